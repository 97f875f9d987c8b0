#include "base/version.h"

namespace tf {

std::optional<Version> ParseVersion(std::string_view text) {
    if (!text.empty() && (text.front() == 'v' || text.front() == 'V')) text.remove_prefix(1);
    Version version{};
    std::size_t parts = 0;
    while (true) {
        const std::size_t dot = text.find('.');
        const std::string_view part = text.substr(0, dot);
        if (parts == version.size() || part.empty() || part.size() > 5) return std::nullopt;
        std::uint32_t value = 0;
        for (char c : part) {
            if (c < '0' || c > '9') return std::nullopt;
            value = value * 10 + static_cast<std::uint32_t>(c - '0');
        }
        if (value > 0xFFFF) return std::nullopt;
        version[parts++] = value;
        if (dot == std::string_view::npos) return version;
        text.remove_prefix(dot + 1);
    }
}

}  // namespace tf
