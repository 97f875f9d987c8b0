#include "base/url.h"

// GCC 12 warns about its own <regex> when inlining it (a known false "maybe-uninitialized").
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <regex>
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

namespace tf {

namespace {

// A scheme at the start of any line counts, not only at the start of the text (the lines the
// regular expression ^ of the first version saw: after LF or CR), in any letter case.
bool HasKnownScheme(std::string_view address) {
    constexpr std::string_view kSchemes[] = {"news:", "ftp://", "http://", "https://"};
    for (std::size_t line = 0; line <= address.size();) {
        const std::string_view rest = address.substr(line);
        for (const std::string_view scheme : kSchemes) {
            if (rest.size() < scheme.size()) continue;
            bool same = true;
            for (std::size_t i = 0; same && i < scheme.size(); ++i) {
                const char c = rest[i];
                same = (c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) == scheme[i];
            }
            if (same) return true;
        }
        const std::size_t end = address.find_first_of("\r\n", line);
        if (end == std::string_view::npos) break;
        line = end + 1;
    }
    return false;
}

std::size_t SpanNotOf(std::string_view s, std::size_t pos, std::string_view stops) {
    const std::size_t end = s.find_first_of(stops, pos);
    return end == std::string_view::npos ? s.size() : end;
}

}  // namespace

UrlParts SplitUrlWithRegex(std::string_view address) {
    // The URI split of RFC 3986 appendix B, with the port taken apart from the host.
    static const std::regex split("(?:([^:/?#]+):)?(?://([^/:?#]*))?(?:\\:(\\d*))?([^?#]*)(?:\\?([^#]*))?(?:#(.*))?");
    std::match_results<std::string_view::const_iterator> m;
    UrlParts parts;
    // The pattern matches every text at its start, the empty one too.
    if (!std::regex_search(address.begin(), address.end(), m, split)) return parts;
    parts.Scheme = m[1].str();
    parts.Host = m[2].str();
    parts.Port = m[3].str();
    parts.Path = m[4].str();
    parts.Query = m[5].str();
    parts.Fragment = m[6].str();
    return parts;
}

UrlParts SplitUrlByScan(std::string_view s) {
    // Each group of the expression above, in turn; every one of them is greedy and the rest of the
    // pattern matches whatever is left, so no choice is ever taken back.
    UrlParts parts;
    std::size_t pos = 0;
    const std::size_t schemeEnd = SpanNotOf(s, 0, ":/?#");
    if (schemeEnd > 0 && schemeEnd < s.size() && s[schemeEnd] == ':') {
        parts.Scheme = s.substr(0, schemeEnd);
        pos = schemeEnd + 1;
    }
    if (s.substr(pos).starts_with("//")) {
        const std::size_t hostEnd = SpanNotOf(s, pos + 2, "/:?#");
        parts.Host = s.substr(pos + 2, hostEnd - pos - 2);
        pos = hostEnd;
    }
    if (pos < s.size() && s[pos] == ':') {
        std::size_t portEnd = pos + 1;
        while (portEnd < s.size() && s[portEnd] >= '0' && s[portEnd] <= '9') ++portEnd;
        parts.Port = s.substr(pos + 1, portEnd - pos - 1);
        pos = portEnd;
    }
    const std::size_t pathEnd = SpanNotOf(s, pos, "?#");
    parts.Path = s.substr(pos, pathEnd - pos);
    pos = pathEnd;
    if (pos < s.size() && s[pos] == '?') {
        const std::size_t queryEnd = SpanNotOf(s, pos + 1, "#");
        parts.Query = s.substr(pos + 1, queryEnd - pos - 1);
        pos = queryEnd;
    }
    if (pos < s.size() && s[pos] == '#') {
        // "." stops at a line break.
        const std::size_t fragmentEnd = SpanNotOf(s, pos + 1, "\r\n");
        parts.Fragment = s.substr(pos + 1, fragmentEnd - pos - 1);
    }
    return parts;
}

UrlParts ParseUrl(std::string_view address) {
    std::string s;
    if (!HasKnownScheme(address)) s = "http://";
    s += address;
    // The scan gives what the expression gives (tests and the fuzz target hold them to it) in a
    // small part of the time: the import maps thousands of addresses at once.
    return SplitUrlByScan(s);
}

}  // namespace tf
