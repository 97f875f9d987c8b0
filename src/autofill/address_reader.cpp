#include "autofill/address_reader.h"

#include "autofill/page_address.h"
#include "autofill/percent_decode.h"
#include "base/text.h"
#include "base/utf8.h"

namespace tf {

namespace {

// The runtime took a text as a number when it began with a digit.
bool IsNumber(std::string_view lead) { return !lead.empty() && lead.front() >= '0' && lead.front() <= '9'; }

// An address with a NUL in it was not read whole: what came before the NUL may be another site's
// address cut short ("bank.com" of "bank.com\0@evil.net").
bool Whole(std::string_view text) { return text.find('\0') == std::string_view::npos; }

}  // namespace

std::optional<std::string> DdeReplyAddress(std::string_view reply) {
    if (!reply.starts_with('"')) return std::nullopt;
    std::string address;
    for (std::size_t i = 1; i < reply.size(); ++i) {
        const char c = reply[i];
        if (c == '\0') return std::nullopt;
        if (c == '\\' && i + 1 < reply.size() && reply[i + 1] == '"') {
            address.push_back('"');
            ++i;
        } else if (c == '"') {
            const bool closed = i + 1 == reply.size() || reply[i + 1] == ',';
            if (!closed || address.empty()) return std::nullopt;
            return address;
        } else {
            address.push_back(c);
        }
    }
    return std::nullopt;  // the quote is never closed
}

ReadOutcome AddressReader::ReadBrowserAddress(std::string& holder, const std::string& browserName) {
    // The page of a current browser, when the old reader found nothing; `notOpen` is what the
    // holder says when there is definitely none.
    auto readPage = [&](PageFamily family, std::string notOpen) {
        std::optional<std::string> page = pages_.Read(windows_, family);
        state_ = pages_.State();
        if (page && Whole(*page)) {
            holder = std::move(*page);
            fromPage_ = true;
            return ReadOutcome::kAddress;
        }
        if (pages_.Pending()) return ReadOutcome::kPending;
        holder = std::move(notOpen);
        fromPage_ = false;
        return ReadOutcome::kNone;
    };
    auto got = [&](std::string text) {
        if (!Whole(text)) text.clear();
        holder = std::move(text);
        fromPage_ = false;
        state_ = holder.empty() ? ReadState::kNoWindow : ReadState::kAddress;
        return holder.empty() ? ReadOutcome::kNone : ReadOutcome::kAddress;
    };

    if (browserName == kChrome) {
        std::string text = windows_.ReadChrome();
        if (!text.empty() && Whole(text)) return got(std::move(text));
        return readPage(PageFamily::kChromium, {});
    }
    if (browserName == kOpera16) {
        std::string text = windows_.ReadOpera16();
        if (Whole(text) && !TrimSpaces(text).empty()) return got(std::string(TrimSpaces(text)));
        return readPage(PageFamily::kOpera, {});
    }
    if (browserName == kInternetExplorer) {
        const std::string version = GetIEVersion();
        if (version == "9" || version == "8") {
            // A box that did not answer in time is a busy browser: the last address stands.
            std::optional<std::string> band = windows_.ReadIEAddressBandInTime();
            if (!band) {
                state_ = ReadState::kNotAnswering;
                return ReadOutcome::kPending;
            }
            return got(std::move(*band));
        }
        // The classic walk uses the lead kept from the last good registry read, which a failed
        // read just now has left in place. It fails quietly: the holder keeps the last address.
        if (!IsNumber(versionLead_)) return ReadOutcome::kPending;
        std::optional<std::string> address = windows_.ReadIEClassic(versionLead_.front() == '7');
        if (!address) return ReadOutcome::kPending;
        return got(std::move(*address));
    }

    // Any other name is a DDE service; the reply is the address in quotes, then further fields.
    const DdeReply reply = windows_.DdeRequest(browserName, kDdeTopic, kDdeItem);
    // A browser busy for a moment is not a closed one.
    if (reply.kind == DdeReply::kNoAnswer) {
        state_ = ReadState::kNotAnswering;
        return ReadOutcome::kPending;
    }
    std::optional<std::string> address =
        reply.kind == DdeReply::kText ? DdeReplyAddress(reply.text) : std::optional<std::string>();
    if (!address) {
        if (browserName == kFirefox) return readPage(PageFamily::kFirefox, browserName + kBrowserNotOpen);
        got({});
        holder = browserName + kBrowserNotOpen;
        return ReadOutcome::kNone;
    }
    return got(std::move(*address));
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
