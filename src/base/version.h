// Program versions as the version resource and the maker's server write them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tf {

// Up to four numbers, as a version resource holds them; missing ones count as 0. Compared number
// by number, the first first.
using Version = std::array<std::uint32_t, 4>;

// "v1.1", "1.1", "V2.0.3.17": one to four decimal numbers of at most 65535 (a version resource's
// range), with an optional "v" before them. Anything else is no version.
std::optional<Version> ParseVersion(std::string_view text);

}  // namespace tf
