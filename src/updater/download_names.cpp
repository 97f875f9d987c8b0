#include "updater/download_names.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "base/cp936.h"
#include "base/text.h"
#include "base/utf8.h"

namespace tf {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameLetters(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) return false;
    }
    return true;
}

std::string_view TrimHeaderBlanks(std::string_view s) {
    const std::size_t first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

}  // namespace

std::string NumberedName(std::string_view path, int n) {
    if (TrimSpaces(path).empty()) return {};
    const std::size_t slash = path.rfind('\\');
    if (slash == std::string_view::npos) return {};
    const std::size_t dot = path.rfind('.');
    const bool hasExtension = dot != std::string_view::npos && dot > slash;
    const std::string_view stem = hasExtension ? path.substr(0, dot) : path;
    const std::string_view extension = hasExtension ? path.substr(dot) : std::string_view();
    std::string out(stem);
    out += '(';
    out += std::to_string(n);
    out += ')';
    out += extension;
    return out;
}

std::string NormalizeUrl(std::string_view url) {
    constexpr std::string_view kScheme = "http://";
    const std::string_view trimmed = TrimSpaces(url);
    for (std::string_view scheme : {kScheme, std::string_view("https://")}) {
        if (trimmed.size() >= scheme.size() && SameLetters(trimmed.substr(0, scheme.size()), scheme))
            return std::string(url);
    }
    // Another scheme ("ftp://", "file://") stays as written, for the transport to refuse: made
    // into "http://ftp://..." it would be fetched from a host named after the scheme.
    const std::size_t colon = trimmed.find("://");
    const auto schemeChar = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' || c == '-' ||
               c == '.';
    };
    if (colon != std::string_view::npos && colon > 0 && !(trimmed[0] >= '0' && trimmed[0] <= '9') &&
        std::all_of(trimmed.begin(), trimmed.begin() + static_cast<std::ptrdiff_t>(colon), schemeChar))
        return std::string(url);
    return std::string(kScheme) + std::string(url);
}

std::string FormatByteSize(std::uint64_t bytes) {
    if (bytes < 1024) return std::to_string(bytes) + " bytes";
    static constexpr const char* kUnits[] = {"KB", "MB", "GB", "TB", "PB", "EB"};
    // Hundredths of the unit, cut: whole-number arithmetic keeps every digit exact up to 16 EB.
    int unit = 0;
    unsigned __int128 hundredths = static_cast<unsigned __int128>(bytes) * 100 / 1024;
    unsigned __int128 scale = 1024;
    while (hundredths >= 100000 && unit + 1 < static_cast<int>(std::size(kUnits))) {
        ++unit;
        scale *= 1024;
        hundredths = static_cast<unsigned __int128>(bytes) * 100 / scale;
    }
    const auto h = static_cast<unsigned long long>(hundredths);
    char text[32];
    if (h < 1000) {
        std::snprintf(text, sizeof text, "%llu.%02llu %s", h / 100, h % 100, kUnits[unit]);
    } else if (h < 10000) {
        std::snprintf(text, sizeof text, "%llu.%llu %s", h / 100, h / 10 % 10, kUnits[unit]);
    } else {
        std::snprintf(text, sizeof text, "%llu %s", h / 100, kUnits[unit]);
    }
    return text;
}

std::string ToAnsi(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (char32_t c : Utf8ToCodePoints(utf8)) {
        const auto code = cp936::CodeOf(c);
        if (!code) {
            out += '?';
        } else if (*code > 0xFF) {
            out += static_cast<char>(*code >> 8);
            out += static_cast<char>(*code & 0xFF);
        } else {
            out += static_cast<char>(*code);
        }
    }
    return out;
}

std::optional<std::string> HeaderValue(std::string_view headers, std::string_view name) {
    while (!headers.empty()) {
        std::size_t end = headers.find('\n');
        std::string_view line = headers.substr(0, end);
        headers = end == std::string_view::npos ? std::string_view() : headers.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        if (SameLetters(TrimHeaderBlanks(line.substr(0, colon)), name)) {
            return std::string(TrimHeaderBlanks(line.substr(colon + 1)));
        }
    }
    return std::nullopt;
}

std::optional<std::uint64_t> ParseByteCount(std::string_view text) {
    text = TrimHeaderBlanks(text);
    if (text.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (value > (UINT64_MAX - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

std::optional<ContentRange> ParseContentRange(std::string_view value) {
    value = TrimHeaderBlanks(value);
    constexpr std::string_view kUnit = "bytes";
    if (value.size() <= kUnit.size() || !SameLetters(value.substr(0, kUnit.size()), kUnit)) return std::nullopt;
    value.remove_prefix(kUnit.size());
    const std::size_t slash = value.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    const std::string_view range = TrimHeaderBlanks(value.substr(0, slash));
    const std::string_view total = TrimHeaderBlanks(value.substr(slash + 1));
    ContentRange out;
    if (range != "*") {
        const std::size_t dash = range.find('-');
        if (dash == std::string_view::npos) return std::nullopt;
        out.first = ParseByteCount(range.substr(0, dash));
        out.last = ParseByteCount(range.substr(dash + 1));
        if (!out.first || !out.last || *out.last < *out.first) return std::nullopt;
    }
    if (total != "*") {
        out.total = ParseByteCount(total);
        if (!out.total) return std::nullopt;
    }
    if (out.last && out.total && *out.last >= *out.total) return std::nullopt;
    return out;
}

}  // namespace tf
