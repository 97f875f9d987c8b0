// Small text helpers shared by the core.
#pragma once

#include <string_view>

namespace tf {

// Without the spaces (only ' ') at both ends, as the runtime's Trim gave.
inline std::string_view TrimSpaces(std::string_view s) {
    const std::size_t first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

}  // namespace tf
