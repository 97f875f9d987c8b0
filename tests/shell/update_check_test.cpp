#include "shell/update_check.h"

#include <gtest/gtest.h>

namespace tf {
namespace {

TEST(CheckVersion, OnlyAWellFormedNewerVersionIsNew) {
    struct Case {
        std::optional<std::string> fetched;
        const char* label;
        bool enabled;
    };
    const Case cases[] = {
        {"v1.0", kAboutLatestVersion, false},
        {"v1.1", kAboutFoundNewVersion, true},
        {"v1.0.0.1", kAboutFoundNewVersion, true},
        {"v10.0", kAboutFoundNewVersion, true},
        {"v1.0\r\n", kAboutLatestVersion, false},
        {"V1.0", kAboutLatestVersion, false},
        {" v1.0", kAboutLatestVersion, false},
        {"v0.9", kAboutLatestVersion, false},
        {"<html>Sign in to the hotel network</html>", kAboutCheckFailed, false},
        {"v1.0beta", kAboutCheckFailed, false},
        // A failed fetch, or one that brought nothing, is no new version.
        {std::nullopt, kAboutCheckFailed, false},
        {"", kAboutCheckFailed, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fetched.value_or("<failed>"));
        UpdateCheckOutcome outcome = CheckVersion(c.fetched, "v1.0");
        EXPECT_EQ(outcome.label, c.label);
        EXPECT_EQ(outcome.updateEnabled, c.enabled);
    }
}

TEST(VersionText, PutsTheLetterBeforeTheResourceVersion) { EXPECT_EQ(VersionText("1.0"), "v1.0"); }

}  // namespace
}  // namespace tf
