#include "shell/update_check.h"

namespace tf {

UpdateCheckOutcome CheckVersion(const std::optional<std::string>& fetched, std::string_view ownVersion) {
    if (!fetched || fetched->empty()) return {kAboutCheckFailed, false};
    if (*fetched != ownVersion) return {kAboutFoundNewVersion, true};
    return {kAboutLatestVersion, false};
}

std::string VersionText(std::string_view productVersion) { return "v" + std::string(productVersion); }

}  // namespace tf
