// The autofill subsystem: reading the address the browser shows from outside it, matching it to a
// record, and typing that record's credentials into the page in front when a key is pressed.
//
// The browser watch: four check boxes choose the browser, one 1000 ms timer per browser, of which
// one runs; each tick reads the address, normalises it and looks it up among the records.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "autofill/address_reader.h"
#include "records/record_editor.h"
#include "records/record_grid.h"
#include "records/record_search.h"

namespace tf {

// In box order: Check2 "ie", Check3 "chrome", Check4 "firefox", Check5 "opera".
enum class Browser { kIE = 0, kChrome, kFirefox, kOpera };
inline constexpr int kBrowserCount = 4;
inline constexpr int kWatchIntervalMs = 1000;
// A tick soon after one that left a page's walk half done, and after the first request to a page,
// which only begins to build its tree.
inline constexpr int kWalkFollowUpMs = 40;
inline constexpr int kTreeFollowUpMs = 250;

// The box captions, in box order.
extern const std::array<const char*, kBrowserCount> kBrowserBoxCaptions;
inline constexpr char kBrowserRowCaption[] = "select brower";

// The browser name a box's reader goes by.
const char* ReaderName(Browser browser);

// What a page address finds among the records, built the way the watch builds it.
struct PageMatch {
    std::string searchText;  // the address as the search box shows it
    std::string text7;       // Chrome and Opera: the path part of the address
    CredentialSlots slots;
};
// `holder` is the address as the browser's reader left it; `fromPage` says it came from a current
// browser's page, which escapes in UTF-8 and may give the host in its ASCII form: the address is
// then also looked up as it was read and with the host in its own characters.
PageMatch MatchPage(Browser browser, const std::string& holder, const RecordGrid& grid, bool fromPage = false);

// What the row of browser boxes says about the last read: the browser and site read, or why
// nothing was ("no Chrome window", "accessibility is off in Firefox", "page still loading").
std::string WatchStatusText(Browser browser, ReadState state, const std::string& holder, const std::string& program);

class BrowserWatch {
public:
    BrowserWatch();

    bool Checked(Browser box) const { return checked_[Index(box)]; }
    // The timer that runs, if any.
    std::optional<Browser> RunningTimer() const { return running_; }

    // A box was clicked (by the user or by code) and is now checked or clear: a checked box
    // starts its timer, stops the others and clears the boxes its row names; a clear one does
    // nothing, so one timer keeps running.
    void BoxClicked(Browser box, bool nowChecked);
    // At load the boxes are looked at in the order firefox, ie, chrome, opera; the last checked wins.
    void Load();

    // One tick of the running timer. A read that cannot tell now keeps the last address, so the
    // match and the hint stay as they were rather than blink for a second.
    void Tick(AddressReader& reader, const RecordGrid& grid);

    // The address holder of each browser, as the last read left it.
    const std::string& Holder(Browser browser) const { return holders_[Index(browser)]; }
    // The address looked up by the last tick, as the search box shows it.
    const std::string& SearchText() const { return searchText_; }
    // The path part of the last Chrome or Opera address.
    const std::string& Text7() const { return text7_; }
    // The words for the row of browser boxes after the last tick.
    const std::string& StatusText() const { return status_; }
    // How soon the next tick should come rather than at the next second, 0 for no sooner: a page
    // read under way goes on shortly, so that a slow browser's page is matched within a fraction of
    // a second; so does a page whose tree the first request has just begun to build.
    int FollowUpMs() const { return followUpMs_; }
    const CredentialSlots& Slots() const { return slots_; }

private:
    static std::size_t Index(Browser b) { return static_cast<std::size_t>(b); }

    std::array<bool, kBrowserCount> checked_{true, false, false, false};
    std::optional<Browser> running_;
    std::array<std::string, kBrowserCount> holders_;
    std::string searchText_;
    std::string text7_;
    CredentialSlots slots_;
    std::string status_;
    ReadState lastState_ = ReadState::kNoWindow;
    int followUpMs_ = 0;
};

// What the lookup compares besides the address as read: the page address in the form the editor
// stores addresses in. The plain form ("http://" in front, no "https://", "/" at the end when
// there is no path), which every record stored before https was kept has, so that pages served
// over either scheme and addresses read without a scheme find those records. Empty for an empty
// address.
std::string LookupForm(std::string_view searchText, LoginScheme scheme = LoginScheme::kPlain);

// Whether the page address is one served over https ("https://" in front, any letter case).
bool IsSecurePage(std::string_view address);
// The https form of an https page's address ("https://" in front, as the editor keeps it), for
// the records saved from https addresses; empty for any other address, and for one whose form would
// name another host than the page ("https://http://bank/" is the host "http").
std::string SecureLookupForm(std::string_view address);

}  // namespace tf
