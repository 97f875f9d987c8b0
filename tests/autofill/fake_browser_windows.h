// A BrowserWindows whose answers the test sets, and which notes the walks it was asked for.
#pragma once

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
    std::optional<std::string> dde;  // empty: no server answers

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
    std::string ReadChrome() override {
        calls.push_back("chrome");
        return chrome;
    }
    std::string ReadOpera16() override {
        calls.push_back("opera");
        return opera;
    }
    std::optional<std::string> DdeRequest(const std::string& service, const std::string& topic,
                                          const std::string& item) override {
        calls.push_back("dde " + service + "|" + topic + "|" + item);
        return dde;
    }
    std::string ReadIEManual() override {
        calls.push_back("manual");
        return manual;
    }
};

}  // namespace tf
