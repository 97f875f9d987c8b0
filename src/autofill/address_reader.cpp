#include "autofill/address_reader.h"

#include "autofill/page_address.h"
#include "autofill/percent_decode.h"
#include "base/text.h"
#include "base/utf8.h"

namespace tf {

namespace {

// The runtime took a text as a number when it began with a digit.
bool IsNumber(std::string_view lead) { return !lead.empty() && lead.front() >= '0' && lead.front() <= '9'; }

}  // namespace

ReadOutcome AddressReader::ReadBrowserAddress(std::string& holder, const std::string& browserName) {
    // The page of a current browser, when the old reader found nothing; `notOpen` is what the
    // holder says when there is definitely none.
    auto readPage = [&](PageFamily family, std::string notOpen) {
        std::optional<std::string> page = pages_.Read(windows_, family);
        state_ = pages_.State();
        if (page) {
            holder = CutAtNul(*page);
            fromPage_ = true;
            return ReadOutcome::kAddress;
        }
        if (pages_.Pending()) return ReadOutcome::kPending;
        holder = std::move(notOpen);
        fromPage_ = false;
        return ReadOutcome::kNone;
    };
    auto got = [&](std::string text) {
        holder = std::move(text);
        fromPage_ = false;
        state_ = holder.empty() ? ReadState::kNoWindow : ReadState::kAddress;
        return holder.empty() ? ReadOutcome::kNone : ReadOutcome::kAddress;
    };

    if (browserName == kChrome) {
        std::string text = CutAtNul(windows_.ReadChrome());
        if (!text.empty()) return got(std::move(text));
        return readPage(PageFamily::kChromium, {});
    }
    if (browserName == kOpera16) {
        std::string text(TrimSpaces(CutAtNul(windows_.ReadOpera16())));
        if (!text.empty()) return got(std::move(text));
        return readPage(PageFamily::kOpera, {});
    }
    if (browserName == kInternetExplorer) {
        const std::string version = GetIEVersion();
        if (version == "9" || version == "8") return got(CutAtNul(windows_.ReadIEAddressBand()));
        // The classic walk uses the lead kept from the last good registry read, which a failed
        // read just now has left in place. It fails quietly: the holder keeps the last address.
        if (!IsNumber(versionLead_)) return ReadOutcome::kPending;
        const std::optional<std::string> address = windows_.ReadIEClassic(versionLead_.front() == '7');
        if (!address) return ReadOutcome::kPending;
        return got(CutAtNul(*address));
    }

    // Any other name is a DDE service; the reply is the address in quotes, then further fields.
    const DdeReply reply = windows_.DdeRequest(browserName, kDdeTopic, kDdeItem);
    // A browser busy for a moment is not a closed one.
    if (reply.kind == DdeReply::kNoAnswer) {
        state_ = ReadState::kNotAnswering;
        return ReadOutcome::kPending;
    }
    const std::string text = reply.kind == DdeReply::kText ? CutAtNul(reply.text) : std::string();
    const std::u32string first = Utf8ToCodePoints(std::string_view(text).substr(0, text.find(',')));
    if (text.empty() || first.size() < 2) {
        if (browserName == kFirefox) return readPage(PageFamily::kFirefox, browserName + kBrowserNotOpen);
        got({});
        holder = browserName + kBrowserNotOpen;
        return ReadOutcome::kNone;
    }
    return got(CodePointsToUtf8(std::u32string_view(first).substr(1, first.size() - 2)));
}

std::string AddressReader::Program() {
    return state_ == ReadState::kAddress ? BrowserProgramName(windows_.ProgramOfLastWindow()) : std::string();
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
