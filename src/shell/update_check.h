// What the About window makes of the version text it fetched from the maker's server.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tf {

inline constexpr char kAboutFoundNewVersion[] = "Found a new version";
inline constexpr char kAboutLatestVersion[] = "your version is the latest version";
inline constexpr char kAboutCheckFailed[] = "Could not check for a new version";
inline constexpr char kAboutUpdaterMissing[] = "velnor.exe could not be started";

// Paths on the maker's server.
inline constexpr char kVersionFilePath[] = "/version/form/new.txt";
inline constexpr char kHomePagePath[] = "/tamborvinform/index.html";
inline constexpr char kFaqPagePath[] = "/tamborvinform/faq.html";

struct UpdateCheckOutcome {
    std::string label;  // Label666
    bool updateEnabled = false;
};

// `fetched` is the version file's body, nothing when the fetch failed. Only a version strictly newer
// than the own one is a new version (an older one, replayed or cached, is not); blanks and line
// ends around it do not count. A failed fetch, or a body that is no version, is a failed check.
UpdateCheckOutcome CheckVersion(const std::optional<std::string>& fetched, std::string_view ownVersion);

// "1.0" (the program's version resource) -> "v1.0", as the version file writes it.
std::string VersionText(std::string_view productVersion);

}  // namespace tf
