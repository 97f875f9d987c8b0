// An address split into its parts; the record editor and the browser watch use it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tf {

struct UrlParts {
    std::string Scheme, Host, Port, Path, Query, Fragment;
    bool operator==(const UrlParts&) const = default;
};

// Addresses that do not begin (in any letter case) with "news:", "ftp://", "http://" or
// "https://" are taken as "http://" addresses. A part the address lacks is empty.
UrlParts ParseUrl(std::string_view address);

// The split itself, of an address that already has its scheme, two ways that must agree: the
// regular expression, the reference, and the scan ParseUrl uses, many times faster and safe on
// long addresses, on which the library's backtracking matcher would recurse once per character and
// exhaust the stack (the expression is only for addresses up to kRegexSplitLimit).
inline constexpr std::size_t kRegexSplitLimit = 256;
UrlParts SplitUrlWithRegex(std::string_view address);
UrlParts SplitUrlByScan(std::string_view address);

}  // namespace tf
