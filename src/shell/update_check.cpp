#include "shell/update_check.h"

#include "base/version.h"

namespace tf {

UpdateCheckOutcome CheckVersion(const std::optional<std::string>& fetched, std::string_view ownVersion) {
    if (!fetched) return {kAboutCheckFailed, false};
    // The file as servers keep it, with a line end or blanks around the version.
    std::string_view text = *fetched;
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    // Anything but a version (a proxy's or a captive portal's page) is no answer at all.
    const std::optional<Version> offered = ParseVersion(text);
    const std::optional<Version> own = ParseVersion(ownVersion);
    if (!offered || !own) return {kAboutCheckFailed, false};
    if (*offered > *own) return {kAboutFoundNewVersion, true};
    return {kAboutLatestVersion, false};
}

std::string VersionText(std::string_view productVersion) { return "v" + std::string(productVersion); }

}  // namespace tf
