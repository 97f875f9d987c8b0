#include "autofill/browser_watch.h"

#include "autofill/page_address.h"
#include "autofill/percent_decode.h"
#include "base/url.h"
#include "base/text.h"
#include "records/record_editor.h"

namespace tf {

const std::array<const char*, kBrowserCount> kBrowserBoxCaptions = {"ie", "chrome", "firefox", "opera"};

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

namespace {

// The boxes a checked box clears. Opera's box neither clears the others nor is cleared by them.
bool Clears(Browser clicked, Browser other) {
    if (clicked == Browser::kOpera || other == Browser::kOpera) return false;
    return clicked != other;
}

}  // namespace

std::string LookupForm(std::string_view searchText, LoginScheme scheme) {
    const std::string_view t = TrimSpaces(searchText);
    if (t.empty()) return {};
    // A "/" at the end may be the one the watch or the editor put after an address without a
    // path; normalising it again would add a second one when the address has a query
    // ("http://host?q/" would become "http://host?q//"), so it is taken off first.
    if (t.ends_with('/') && NormaliseLoginUrl(t, scheme).url != t) {
        NormalisedUrl shorter = NormaliseLoginUrl(t.substr(0, t.size() - 1), scheme);
        if (shorter.path.empty()) return std::move(shorter.url);
    }
    return NormaliseLoginUrl(t, scheme).url;
}

bool IsSecurePage(std::string_view address) {
    constexpr std::string_view kHttps = "https://";
    const std::string_view t = TrimSpaces(address);
    if (t.size() < kHttps.size()) return false;
    for (std::size_t i = 0; i < kHttps.size(); ++i) {
        const char c = t[i] >= 'A' && t[i] <= 'Z' ? static_cast<char>(t[i] - 'A' + 'a') : t[i];
        if (c != kHttps[i]) return false;
    }
    return true;
}

std::string SecureLookupForm(std::string_view address) {
    if (!IsSecurePage(address)) return {};
    const std::string_view rest = TrimSpaces(address).substr(std::string_view("https://").size());
    std::string form = LookupForm("https://" + std::string(rest), LoginScheme::kSecure);
    // Normalising takes out every "http://" and "https://" in the address, which may reach into the
    // host ("https://http://bank/" is the host "http", but would read "https://bank/"): the form
    // must still name the page's own host and port, followed by its end or by "/", "?" or "#".
    const std::string_view site = rest.substr(0, rest.find_first_of("/?#"));
    const std::string_view formRest = std::string_view(form).substr(std::string_view("https://").size());
    const bool sameSite =
        formRest.starts_with(site) && (formRest.size() == site.size() ||
                                       std::string_view("/?#").find(formRest[site.size()]) != std::string_view::npos);
    return sameSite ? form : std::string();
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

PageMatch MatchPage(Browser browser, const std::string& holder, const RecordGrid& grid, bool fromPage) {
    const bool chromeLike = browser == Browser::kChrome || browser == Browser::kOpera;
    // The search box's form of a decoded address: Chrome and Opera put "http://" in front
    // whatever the address begins with, and "/" after one without a path.
    auto searchForm = [&](const std::string& decoded, const std::string& raw, std::string* path) {
        if (!chromeLike) return decoded;
        std::string p = ParseUrl(raw).Path;
        std::string form = "http://" + decoded + (p.empty() ? "/" : "");
        if (path) *path = std::move(p);
        return form;
    };
    // Escapes are decoded after the host only, and none that does not decode goes: what the
    // browser names as the site is compared as the browser wrote it.
    auto decode = [&](const std::string& raw) {
        return DecodeAfterHost(raw, fromPage ? DecodePercentUtf8 : DecodePercent);
    };
    PageMatch m;
    // The address as read, in each form it is known in: decoded, and for a current browser's page
    // also as the browser gives it and with the host in its own characters.
    std::vector<std::string> readings{decode(holder)};
    m.searchText = searchForm(readings[0], holder, &m.text7);
    // A read that found no address must not match: a Chrome that is not running gives "http:///",
    // which is just what the editor stores for a record saved with the untouched "http://".
    const bool noAddress = TrimSpaces(holder).empty() || holder == std::string(ReaderName(browser)) + kBrowserNotOpen;
    if (noAddress) {
        m.slots = FindAccounts(grid, std::string_view());
        return m;
    }
    // The address as read still finds records whose address was put into the vault file in
    // another form than the editor's (by hand, or by an older version), as it always did.
    std::vector<std::string> forms{m.searchText};
    if (fromPage) {
        // A record may hold the address as the browser gives it, escapes and ASCII host included.
        readings.push_back(holder);
        forms.push_back(searchForm(holder, holder, nullptr));
        if (auto unicode = WithUnicodeHost(holder)) {
            readings.push_back(decode(*unicode));
            forms.push_back(searchForm(readings.back(), *unicode, nullptr));
        }
    }
    // The editor's forms: the plain one, which every record stored before https was kept has and
    // which pages of both schemes find, and for an https page the https one (SecureLookupForm is
    // empty for any other). An http page never finds a record whose address says https: on the way
    // the page can be changed by anyone.
    const std::size_t asRead = forms.size();
    for (std::size_t i = 0; i < asRead; ++i) forms.push_back(LookupForm(forms[i]));
    for (const std::string& reading : readings) forms.push_back(SecureLookupForm(reading));
    m.slots = FindAccounts(grid, std::vector<std::string_view>(forms.begin(), forms.end()));
    return m;
}

std::string WatchStatusText(Browser browser, ReadState state, const std::string& holder, const std::string& program) {
    static constexpr std::array<const char*, kBrowserCount> kNames = {"Internet Explorer", "Chrome", "Firefox",
                                                                      "Opera"};
    const std::string name = kNames[static_cast<std::size_t>(browser)];
    switch (state) {
        case ReadState::kAddress: {
            std::string host = ParseUrl(holder).Host;
            if (auto unicode = WithUnicodeHost(host)) host = std::move(*unicode);
            return (program.empty() ? name : program) + ": " + (host.empty() ? holder : host);
        }
        case ReadState::kNoWindow:
            return "no " + name + " window";
        case ReadState::kLoading:
            return "page still loading";
        case ReadState::kAccessibilityOff:
            return "accessibility is off in " + name;
        case ReadState::kNotAnswering:
            return name + " does not answer";
    }
    return {};
}

void BrowserWatch::Tick(AddressReader& reader, const RecordGrid& grid) {
    if (!running_) return;
    const Browser browser = *running_;
    std::string& holder = holders_[Index(browser)];
    // A pending read leaves the holder as it was: the match is made again from the last address,
    // so that records edited meanwhile count.
    reader.ReadBrowserAddress(holder, ReaderName(browser));
    PageMatch m = MatchPage(browser, holder, grid, reader.FromPage());
    const ReadState state = reader.State();
    status_ = WatchStatusText(browser, state, holder, reader.Program());
    followUpMs_ = reader.PageWalking()                                                ? kWalkFollowUpMs
                  : state == ReadState::kLoading && lastState_ != ReadState::kLoading ? kTreeFollowUpMs
                                                                                      : 0;
    lastState_ = state;
    searchText_ = std::move(m.searchText);
    if (browser == Browser::kChrome || browser == Browser::kOpera) text7_ = std::move(m.text7);
    slots_ = std::move(m.slots);
}

}  // namespace tf
