#include "autofill/browser_watch.h"

#include "autofill/percent_decode.h"
#include "autofill/url.h"
#include "base/text.h"
#include "records/record_editor.h"

namespace tf {

const std::array<const char*, kBrowserCount> kBrowserBoxCaptions = {"ie", "chrome", "firefox", "opera"};

namespace {

const char* ReaderName(Browser b) {
    switch (b) {
        case Browser::kIE:
            return kInternetExplorer;
        case Browser::kChrome:
            return kChrome;
        case Browser::kFirefox:
            return kFirefox;
        case Browser::kOpera:
            return kOpera16;
    }
    return kInternetExplorer;
}

// The boxes a checked box clears. Opera's box neither clears the others nor is cleared by them.
bool Clears(Browser clicked, Browser other) {
    if (clicked == Browser::kOpera || other == Browser::kOpera) return false;
    return clicked != other;
}

}  // namespace

std::string LookupForm(std::string_view searchText) {
    const std::string_view t = TrimSpaces(searchText);
    if (t.empty()) return {};
    // A "/" at the end may be the one the watch or the editor put after an address without a
    // path; normalising it again would add a second one when the address has a query
    // ("http://host?q/" would become "http://host?q//"), so it is taken off first.
    if (t.ends_with('/') && !IsNormalLoginUrl(t)) {
        NormalisedUrl shorter = NormaliseLoginUrl(t.substr(0, t.size() - 1));
        if (shorter.path.empty()) return std::move(shorter.url);
    }
    return NormaliseLoginUrl(t).url;
}

BrowserWatch::BrowserWatch() = default;

void BrowserWatch::BoxClicked(Browser box, bool nowChecked) {
    checked_[Index(box)] = nowChecked;
    if (!nowChecked) return;
    running_ = box;
    // Clearing a box from here raises its click as well, which does nothing for a clear box.
    for (int i = 0; i < kBrowserCount; ++i) {
        if (Clears(box, static_cast<Browser>(i))) checked_[static_cast<std::size_t>(i)] = false;
    }
}

void BrowserWatch::Load() {
    for (Browser b : {Browser::kFirefox, Browser::kIE, Browser::kChrome, Browser::kOpera}) {
        if (Checked(b)) running_ = b;
    }
}

void BrowserWatch::Tick(AddressReader& reader, const RecordGrid& grid) {
    if (!running_) return;
    const Browser browser = *running_;
    const char* const name = ReaderName(browser);
    std::string& holder = holders_[Index(browser)];
    reader.ReadBrowserAddress(holder, name);

    if (browser == Browser::kIE || browser == Browser::kFirefox) {
        searchText_ = CutAtNul(DecodePercent(holder));
    } else {
        const std::string& a = holder;
        text7_ = ParseUrl(a).Path;
        // "http://" goes in front whatever the address begins with.
        searchText_ = CutAtNul("http://" + DecodePercent(a) + (text7_.empty() ? "/" : ""));
    }

    // A read that found no address must not match: a Chrome that is not running gives "http:///",
    // which is just what the editor stores for a record saved with the untouched "http://".
    const bool noAddress = TrimSpaces(holder).empty() || holder == std::string(name) + kBrowserNotOpen;
    if (noAddress) {
        slots_ = FindAccounts(grid, std::string_view());
        return;
    }
    // The address as read still finds records whose address was put into the vault file in
    // another form than the editor's (by hand, or by an older version), as it always did.
    const std::string normal = LookupForm(searchText_);
    slots_ = FindAccounts(grid, {searchText_, normal});
}

}  // namespace tf
