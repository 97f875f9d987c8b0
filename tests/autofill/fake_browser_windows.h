// A BrowserWindows whose answers the test sets, and which notes the walks it was asked for.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "autofill/address_reader.h"

namespace tf {

class FakeBrowserWindows : public BrowserWindows {
public:
    std::optional<std::string> version;
    std::optional<std::string> classic;  // empty: a level of the walk is missing
    std::string band, chrome, opera, manual;
    bool bandTimesOut = false;       // the address band is there but does not answer in time
    std::optional<std::string> dde;  // empty: no server answers
    bool ddeTimesOut = false;        // with no answer: the server is there but too slow

    // "version", "classic", "classic+band root", "band", "chrome", "opera", "dde <service>|<topic>|<item>"
    std::vector<std::string> calls;

    std::optional<std::string> ReadIEVersion() override {
        calls.push_back("version");
        return version;
    }
    std::optional<std::string> ReadIEClassic(bool throughAddressBandRoot) override {
        calls.push_back(throughAddressBandRoot ? "classic+band root" : "classic");
        return classic;
    }
    std::string ReadIEAddressBand() override {
        calls.push_back("band");
        return band;
    }
    std::optional<std::string> ReadIEAddressBandInTime() override {
        calls.push_back("band");
        if (bandTimesOut) return std::nullopt;
        return band;
    }
    std::string ReadChrome() override {
        calls.push_back("chrome");
        return chrome;
    }
    std::string ReadOpera16() override {
        calls.push_back("opera");
        return opera;
    }
    DdeReply DdeRequest(const std::string& service, const std::string& topic, const std::string& item) override {
        calls.push_back("dde " + service + "|" + topic + "|" + item);
        if (dde) return {DdeReply::kText, *dde};
        return {ddeTimesOut ? DdeReply::kNoAnswer : DdeReply::kNoServer, {}};
    }
    std::string ReadIEManual() override {
        calls.push_back("manual");
        return manual;
    }

    // The page side: the front window of each family (0: none), and the answers that asking for
    // its document (OpenPage) and reading the document kept (ReadOpenPage) give, in turn; once
    // they run out, "not ready" and "gone".
    std::uintptr_t chromiumWindow = 0;
    std::uintptr_t firefoxWindow = 0;
    std::deque<PageAnswer> openAnswers;
    std::deque<PageAnswer> keptAnswers;
    // "open <window>", "kept"; apart from calls, so that the old readers' expectations stand.
    std::vector<std::string> pageCalls;

    std::uintptr_t FrontPageWindow(PageFamily family) override {
        return family == PageFamily::kFirefox ? firefoxWindow : chromiumWindow;
    }
    PageAnswer OpenPage(std::uintptr_t window) override {
        pageCalls.push_back("open " + std::to_string(window));
        return Next(openAnswers, {PageAnswer::kNotReady, {}});
    }
    PageAnswer ReadOpenPage() override {
        pageCalls.push_back("kept");
        return Next(keptAnswers, {PageAnswer::kGone, {}});
    }

private:
    static PageAnswer Next(std::deque<PageAnswer>& answers, PageAnswer otherwise) {
        if (answers.empty()) return otherwise;
        PageAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
};

}  // namespace tf
