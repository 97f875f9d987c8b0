// The small rules of the download: its file names, its address, its size texts and the response
// headers it reads.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tf {

// `path` with "(n)" put before its extension: C:\dir\setup.exe, 2 -> C:\dir\setup(2).exe. A dot in a
// folder name is no extension (C:\a.b\file -> C:\a.b\file(1)). Empty for a blank path or one
// without a backslash.
std::string NumberedName(std::string_view path, int n);

// "http://" put in front of an address that names no scheme (letter case and leading blanks
// aside); an address that does is kept as it stands: a release served over https is downloaded
// over https, and one of another scheme is refused by the transport.
std::string NormalizeUrl(std::string_view url);

// The shell's short size text: "999 bytes", "1.17 MB", "11.7 MB", "117 MB" (three digits, cut, not
// rounded; the next unit from 1000 of the last one on).
std::string FormatByteSize(std::uint64_t bytes);

// The text in the system ANSI code page (936); characters it lacks become "?".
std::string ToAnsi(std::string_view utf8);

// The value of the header `name` (any letter case) in a block of "Name: value" lines, without
// the blanks around it; empty when the block has no such header.
std::optional<std::string> HeaderValue(std::string_view headers, std::string_view name);

// A decimal number of bytes, nothing else around it but blanks.
std::optional<std::uint64_t> ParseByteCount(std::string_view text);

// "bytes first-last/total", "bytes */total" or with an unknown total "bytes first-last/*".
struct ContentRange {
    std::optional<std::uint64_t> first;  // empty for "*"
    std::optional<std::uint64_t> last;   // empty for "*"
    std::optional<std::uint64_t> total;  // empty for "*"
};
std::optional<ContentRange> ParseContentRange(std::string_view value);

}  // namespace tf
