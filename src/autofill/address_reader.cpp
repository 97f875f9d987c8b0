#include "autofill/address_reader.h"

#include "autofill/percent_decode.h"
#include "base/text.h"
#include "base/utf8.h"

namespace tf {

namespace {

// The runtime took a text as a number when it began with a digit.
bool IsNumber(std::string_view lead) { return !lead.empty() && lead.front() >= '0' && lead.front() <= '9'; }

}  // namespace

void AddressReader::ReadBrowserAddress(std::string& holder, const std::string& browserName) {
    if (browserName == kChrome) {
        holder = CutAtNul(windows_.ReadChrome());
        if (holder.empty()) {
            if (auto page = pages_.Read(windows_, PageFamily::kChromium)) holder = CutAtNul(*page);
        }
        return;
    }
    if (browserName == kOpera16) {
        holder = std::string(TrimSpaces(CutAtNul(windows_.ReadOpera16())));
        return;
    }
    if (browserName == kInternetExplorer) {
        const std::string version = GetIEVersion();
        if (version == "9" || version == "8") {
            holder = CutAtNul(windows_.ReadIEAddressBand());
            return;
        }
        // The classic walk uses the lead kept from the last good registry read, which a failed
        // read just now has left in place. It fails quietly: the holder keeps the last address.
        if (!IsNumber(versionLead_)) return;
        const std::optional<std::string> address = windows_.ReadIEClassic(versionLead_.front() == '7');
        if (address) holder = CutAtNul(*address);
        return;
    }

    // Any other name is a DDE service; the reply is the address in quotes, then further fields.
    const std::optional<std::string> reply = windows_.DdeRequest(browserName, kDdeTopic, kDdeItem);
    const std::string text = reply ? CutAtNul(*reply) : std::string();
    const std::u32string first = Utf8ToCodePoints(std::string_view(text).substr(0, text.find(',')));
    if (!reply || text.empty() || first.size() < 2) {
        std::optional<std::string> page;
        if (browserName == kFirefox) page = pages_.Read(windows_, PageFamily::kFirefox);
        holder = page ? CutAtNul(*page) : browserName + kBrowserNotOpen;
        return;
    }
    holder = CodePointsToUtf8(std::u32string_view(first).substr(1, first.size() - 2));
}

std::string AddressReader::GetIEVersion() {
    const std::optional<std::string> version = windows_.ReadIEVersion();
    if (!version) return {};
    versionText_ = CutAtNul(*version);
    versionLead_.clear();
    if (!versionText_.empty()) {
        std::size_t pos = 0;
        NextCodePoint(versionText_, pos);
        versionLead_ = versionText_.substr(0, pos);
    }
    return versionLead_;
}

}  // namespace tf
