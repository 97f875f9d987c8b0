// Reads the address a running browser shows, from outside the browser: window-class walks for
// Internet Explorer, Chrome and Opera, a DDE request for Firefox, and for the current Chromium and
// Firefox browsers, which answer neither, the page's accessible document. The walks, the registry,
// DDE and accessibility are the platform's (BrowserWindows); which reader runs, in which order, and
// what its result means is decided here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "autofill/page_reader.h"

namespace tf {

// Put after the browser name when its address cannot be read ("firefox浏览器没有打开").
inline constexpr char kBrowserNotOpen[] = "浏览器没有打开";

inline constexpr char kInternetExplorer[] = "Internet Explorer";
inline constexpr char kChrome[] = "Chrome";
inline constexpr char kOpera16[] = "Opera16";
inline constexpr char kFirefox[] = "firefox";

inline constexpr char kDdeTopic[] = "WWW_GetWindowInfo";
// The library refuses an empty item before the browser sees the request.
inline constexpr char kDdeItem[] = "0xFFFFFFFF";

// What one DDE request brought back.
struct DdeReply {
    enum Kind {
        kText,      // the server's answer
        kNoServer,  // no server of that name (no browser window of its kind is open)
        kNoAnswer,  // the server did not answer in time: ask again later
    };
    Kind kind = kNoServer;
    std::string text;
};

// How a read ended. Only a definite answer changes the holder.
enum class ReadOutcome {
    kAddress,  // the holder has the address
    kNone,     // definitely no address: the browser is not open or shows no page
    kPending,  // not known now (a walk under way, a request timed out): the holder is as it was
};

class BrowserWindows {
public:
    virtual ~BrowserWindows() = default;
    // The "Version" value of HKLM\SOFTWARE\Microsoft\Internet Explorer; empty when unreadable.
    virtual std::optional<std::string> ReadIEVersion() = 0;
    // IEFrame > WorkerW > ReBarWindow32 > [Address Band Root] > ComboBoxEx32 > ComboBox > Edit,
    // classes compared exactly; empty when a level is missing.
    virtual std::optional<std::string> ReadIEClassic(bool throughAddressBandRoot) = 0;
    // IEFrame > WorkerW > ReBarWindow32 > Address Band Root > Edit; "" when a window is missing.
    virtual std::string ReadIEAddressBand() = 0;
    // The same, but nothing when the address box is there and did not answer in time: a browser
    // busy for a moment, not a closed one. A platform that cannot tell the two apart gives
    // ReadIEAddressBand's text.
    virtual std::optional<std::string> ReadIEAddressBandInTime() { return ReadIEAddressBand(); }
    // Chrome_WidgetWin_1 > Chrome_OmniboxView; "" when missing.
    virtual std::string ReadChrome() = 0;
    // The first of up to five Chrome_WidgetWin_1, then Chrome_WidgetWin_0, windows that has a
    // ViewsTextfieldEdit child; its text as it stands, "" when none.
    virtual std::string ReadOpera16() = 0;
    // One request for text, asked only of windows of the browser's own processes.
    virtual DdeReply DdeRequest(const std::string& service, const std::string& topic, const std::string& item) = 0;
    // The manual read: IEFrame > WorkerW > ReBarWindow32 > ComboBoxEx32 > ComboBox > Edit; "" when missing.
    virtual std::string ReadIEManual() = 0;

    // The family's front-most browser window that shows a page; 0 when none.
    virtual std::uintptr_t FrontPageWindow(PageFamily) { return 0; }
    // The executable of the browser window the last read looked at; empty when unknown.
    virtual std::string ProgramOfLastWindow() { return {}; }
    // Asks the window for the accessible document of its page and keeps it for ReadOpenPage.
    virtual PageAnswer OpenPage(std::uintptr_t /*window*/) { return {}; }
    // The address of the document kept by the last OpenPage that found one.
    virtual PageAnswer ReadOpenPage() { return {PageAnswer::kGone, {}}; }
};

// The address in the reply to a WWW_GetWindowInfo request: the first of the reply's quoted
// strings, which are separated by commas ("url","title",""); a quote inside one is written \"
// (Firefox escapes the title's quotes so; an address has its quotes percent-escaped). Nothing when
// the reply does not begin with a whole quoted string followed by a comma or its end, or the
// string is empty or holds a NUL: a reply that cannot be read whole gives no address.
std::optional<std::string> DdeReplyAddress(std::string_view reply);

class AddressReader {
public:
    explicit AddressReader(BrowserWindows& windows) : windows_(windows) {}

    // The holder receives the browser's address, or the browser name followed by
    // kBrowserNotOpen when the read fails (an Internet Explorer walk that finds nothing leaves
    // the holder as it was). When the Chrome walk or the Firefox DDE request finds nothing, the
    // page of the front-most window of a current Chromium or Firefox browser is read instead; Opera's
    // box reads current Opera's page likewise.
    // A read that cannot tell now (a page walk under way, a request that timed out) leaves the
    // holder as it was and says so.
    ReadOutcome ReadBrowserAddress(std::string& holder, const std::string& browserName);

    // The last read left a page's walk half done (see PageReader::Walking).
    bool PageWalking() const { return pages_.Walking(); }
    // Whether the holder's address came from a current browser's page, whose escapes are UTF-8
    // rather than code page 936.
    bool FromPage() const { return fromPage_; }
    // Whether the last read found an address, and if not, why.
    ReadState State() const { return state_; }
    // The browser's name ("Edge") of the window that gave the last address; empty when unknown.
    std::string Program();

    // The next page read asks the window even in the slow rhythm of a window without a document:
    // a credential key's press wants an answer now.
    void AskPageNow() { pages_.AskNow(); }

    // The first character of the installed Internet Explorer's version, or empty text.
    std::string GetIEVersion();
    const std::string& IEVersionText() const { return versionText_; }
    const std::string& IEVersionLead() const { return versionLead_; }

private:
    BrowserWindows& windows_;
    std::string versionText_;
    std::string versionLead_;
    PageReader pages_;
    bool fromPage_ = false;
    ReadState state_ = ReadState::kNoWindow;
};

}  // namespace tf
