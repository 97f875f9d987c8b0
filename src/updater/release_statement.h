// What a release's signature covers: a short statement naming the file, its version, its size and
// its SHA-256, so that a signature made for one file, version or name proves nothing for another.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/version.h"

namespace tf {

using Sha256Digest = std::array<std::uint8_t, 32>;

struct ReleaseStatement {
    std::string name;     // the file name of the release description's second field
    std::string version;  // its fifth field, as it stands
    std::uint64_t size = 0;
    Sha256Digest sha256{};
};

// The signed text, UTF-8, each line ending in "\n":
//   Tamborvin Form release
//   name: <file name>
//   version: <version text>
//   size: <bytes, decimal>
//   sha256: <64 lower-case hex digits>
std::string StatementText(const ReleaseStatement& statement);

// The release description's fields after the version: size in bytes, SHA-256 (hex) and signature
// (hex, r and s), taken with the name and version fields. Empty when any is missing or malformed.
struct SignedRelease {
    ReleaseStatement statement;
    std::vector<std::uint8_t> signature;
};
std::optional<SignedRelease> ParseSignedRelease(std::string_view name, std::string_view version, std::string_view size,
                                                std::string_view sha256, std::string_view signature);

// Exactly `bytes` bytes from 2 * bytes hex digits (either letter case); blanks and line ends around
// them are ignored.
std::optional<std::vector<std::uint8_t>> ParseHex(std::string_view hex, std::size_t bytes);

}  // namespace tf
