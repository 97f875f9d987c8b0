#include "autofill/page_address.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

#include "base/utf8.h"

namespace tf {

namespace {

int Hex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The byte of an escape at `pos`, if it is one.
std::optional<unsigned char> EscapeAt(std::string_view text, std::size_t pos) {
    if (pos + 2 >= text.size() || text[pos] != '%') return std::nullopt;
    const int high = Hex(text[pos + 1]);
    const int low = Hex(text[pos + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    return static_cast<unsigned char>(high * 16 + low);
}

// The length of the UTF-8 sequence a lead byte starts, 0 for a byte that cannot lead.
std::size_t SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

bool ValidUtf8(std::string_view bytes) {
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        if (NextCodePoint(bytes, pos) == kReplacementChar) return false;
    }
    return true;
}

// RFC 3492's parameters and the two steps its decoding and encoding share.
constexpr std::uint32_t kBase = 36, kTMin = 1, kTMax = 26, kSkew = 38, kDamp = 700;

std::uint32_t Adapt(std::uint32_t delta, std::uint32_t points, bool first) {
    delta = first ? delta / kDamp : delta / 2;
    delta += delta / points;
    std::uint32_t k = 0;
    while (delta > ((kBase - kTMin) * kTMax) / 2) {
        delta /= kBase - kTMin;
        k += kBase;
    }
    return k + (kBase - kTMin + 1) * delta / (delta + kSkew);
}

std::uint32_t Threshold(std::uint32_t k, std::uint32_t bias) {
    return k <= bias ? kTMin : (k >= bias + kTMax ? kTMax : k - bias);
}

// RFC 3492, decoding.
std::optional<std::u32string> Punycode(std::string_view input) {
    std::u32string out;
    const std::size_t delimiter = input.rfind('-');
    std::size_t pos = 0;
    if (delimiter != std::string_view::npos) {
        for (char c : input.substr(0, delimiter)) {
            if (static_cast<unsigned char>(c) >= 0x80) return std::nullopt;
            // Host names know no letter case; the stored ones are in lower case.
            out.push_back(static_cast<char32_t>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c));
        }
        pos = delimiter + 1;
    }
    std::uint32_t n = 128, i = 0, bias = 72;
    while (pos < input.size()) {
        const std::uint32_t oldI = i;
        std::uint32_t w = 1;
        for (std::uint32_t k = kBase;; k += kBase) {
            if (pos >= input.size()) return std::nullopt;
            const char c = input[pos++];
            std::uint32_t digit;
            if (c >= '0' && c <= '9') {
                digit = static_cast<std::uint32_t>(c - '0') + 26;
            } else if (c >= 'a' && c <= 'z') {
                digit = static_cast<std::uint32_t>(c - 'a');
            } else if (c >= 'A' && c <= 'Z') {
                digit = static_cast<std::uint32_t>(c - 'A');
            } else {
                return std::nullopt;
            }
            // Overflow guards: a crafted label must not wrap the counters around.
            if (digit > (0xFFFFFFFFu - i) / w) return std::nullopt;
            i += digit * w;
            const std::uint32_t t = Threshold(k, bias);
            if (digit < t) break;
            if (w > 0xFFFFFFFFu / (kBase - t)) return std::nullopt;
            w *= kBase - t;
        }
        const auto points = static_cast<std::uint32_t>(out.size() + 1);
        bias = Adapt(i - oldI, points, oldI == 0);
        if (i / points > 0x10FFFFu - n) return std::nullopt;
        n += i / points;
        i %= points;
        if (n > 0x10FFFF || (n >= 0xD800 && n <= 0xDFFF) || n < 0x80) return std::nullopt;
        out.insert(out.begin() + i, static_cast<char32_t>(n));
        ++i;
    }
    return out;
}

// RFC 3492, encoding, to see that a label is the one encoding of what it decodes to; nothing on
// overflow.
std::optional<std::string> PunycodeEncode(const std::u32string& input) {
    auto digit = [](std::uint32_t d) { return static_cast<char>(d < 26 ? 'a' + d : '0' + (d - 26)); };
    std::string out;
    for (char32_t c : input) {
        if (c < 0x80) out.push_back(static_cast<char>(c));
    }
    const auto basic = static_cast<std::uint32_t>(out.size());
    std::uint32_t handled = basic;
    if (basic > 0) out.push_back('-');
    std::uint32_t n = 128, delta = 0, bias = 72;
    while (handled < input.size()) {
        std::uint32_t m = 0xFFFFFFFFu;
        for (char32_t c : input) {
            if (c >= n && c < m) m = c;
        }
        if (m - n > (0xFFFFFFFFu - delta) / (handled + 1)) return std::nullopt;
        delta += (m - n) * (handled + 1);
        n = m;
        for (char32_t c : input) {
            if (c < n && ++delta == 0) return std::nullopt;
            if (c != n) continue;
            std::uint32_t q = delta;
            for (std::uint32_t k = kBase;; k += kBase) {
                const std::uint32_t t = Threshold(k, bias);
                if (q < t) break;
                out.push_back(digit(t + (q - t) % (kBase - t)));
                q = (q - t) / (kBase - t);
            }
            out.push_back(digit(q));
            bias = Adapt(delta, handled + 1, handled == basic);
            delta = 0;
            ++handled;
        }
        ++delta;
        ++n;
    }
    return out;
}

bool StartsWithAce(std::string_view label) {
    return label.size() > 4 && (label[0] == 'x' || label[0] == 'X') && (label[1] == 'n' || label[1] == 'N') &&
           label[2] == '-' && label[3] == '-';
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The file name of a path, in lower case, without ".exe".
std::string ProgramOf(std::string_view exePath) {
    const std::size_t slash = exePath.find_last_of("\\/");
    std::string_view name = slash == std::string_view::npos ? exePath : exePath.substr(slash + 1);
    std::string lower;
    for (char c : name) lower.push_back(Lower(c));
    if (lower.size() > 4 && lower.ends_with(".exe")) lower.resize(lower.size() - 4);
    return lower;
}

struct Program {
    const char* exe;
    const char* reader;
    const char* name;
};
constexpr std::array<Program, 8> kPrograms = {{
    {"chrome", "Chrome", "Chrome"},
    {"msedge", "Chrome", "Edge"},
    {"brave", "Chrome", "Brave"},
    {"vivaldi", "Chrome", "Vivaldi"},
    {"chromium", "Chrome", "Chromium"},
    {"opera", "Opera16", "Opera"},
    {"firefox", "firefox", "Firefox"},
    {"iexplore", "Internet Explorer", "Internet Explorer"},
}};

}  // namespace

std::string DecodePercentUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const auto first = EscapeAt(text, pos);
        if (!first) {
            out.push_back(text[pos++]);
            continue;
        }
        const std::size_t length = SequenceLength(*first);
        std::string bytes;
        std::size_t at = pos;
        for (std::size_t k = 0; k < length; ++k, at += 3) {
            const auto b = EscapeAt(text, at);
            if (!b) break;
            bytes.push_back(static_cast<char>(*b));
        }
        const bool plain = length == 1 && *first >= 0x20 && *first != '%' && *first != 0x7F;
        const bool multi = length > 1 && bytes.size() == length && ValidUtf8(bytes);
        if (plain || multi) {
            out += bytes;
            pos = at;
        } else {
            out.append(text.substr(pos, 3));
            pos += 3;
        }
    }
    return out;
}

std::size_t HostEnd(std::string_view address) {
    std::size_t start = 0;
    const std::size_t scheme = address.find("://");
    if (scheme != std::string_view::npos && address.find_first_of("/?#") == scheme + 1) start = scheme + 3;
    const std::size_t end = address.find_first_of("/?#", start);
    return end == std::string_view::npos ? address.size() : end;
}

std::string DecodeAfterHost(std::string_view address, std::string (*decode)(std::string_view)) {
    const std::size_t end = HostEnd(address);
    return std::string(address.substr(0, end)) + decode(address.substr(end));
}

std::optional<std::string> WithUnicodeHost(std::string_view address) {
    const std::size_t scheme = address.find("://");
    const std::size_t hostStart = scheme == std::string_view::npos ? 0 : scheme + 3;
    std::size_t hostEnd = address.find_first_of("/?#", hostStart);
    if (hostEnd == std::string_view::npos) hostEnd = address.size();
    // User name and port are not part of the host.
    std::size_t start = hostStart;
    if (const std::size_t at = address.substr(hostStart, hostEnd - hostStart).rfind('@'); at != std::string_view::npos)
        start = hostStart + at + 1;
    std::size_t end = hostEnd;
    if (const std::size_t colon = address.substr(start, hostEnd - start).find(':'); colon != std::string_view::npos)
        end = start + colon;

    std::string host;
    bool changed = false;
    std::string_view rest = address.substr(start, end - start);
    while (true) {
        const std::size_t dot = rest.find('.');
        const std::string_view label = rest.substr(0, dot);
        if (StartsWithAce(label)) {
            const std::string_view code = label.substr(4);
            const auto decoded = Punycode(code);
            if (!decoded || decoded->empty()) return std::nullopt;
            // A label of plain ASCII needs no encoding, and one that is not the encoding of what it
            // decodes to is not one a registry gives out: either would make a second name for a
            // host that has one already ("xn--bank-" for bank).
            if (std::all_of(decoded->begin(), decoded->end(), [](char32_t c) { return c < 0x80; })) return std::nullopt;
            std::string lower;
            for (char c : code) lower.push_back(Lower(c));
            if (PunycodeEncode(*decoded) != lower) return std::nullopt;
            host += CodePointsToUtf8(*decoded);
            changed = true;
        } else {
            host += label;
        }
        if (dot == std::string_view::npos) break;
        host.push_back('.');
        rest.remove_prefix(dot + 1);
    }
    if (!changed) return std::nullopt;
    return std::string(address.substr(0, start)) + host + std::string(address.substr(end));
}

bool IsBrowserProgram(std::string_view readerName, std::string_view exePath) {
    const std::string program = ProgramOf(exePath);
    for (const Program& p : kPrograms) {
        if (program == p.exe && readerName == p.reader) return true;
    }
    return false;
}

std::string BrowserProgramName(std::string_view exePath) {
    const std::string program = ProgramOf(exePath);
    for (const Program& p : kPrograms) {
        if (program == p.exe) return p.name;
    }
    return {};
}

bool IsWebPageAddress(std::string_view address) {
    std::string scheme;
    for (char c : address.substr(0, address.find(':'))) scheme.push_back(Lower(c));
    if (address.find(':') == std::string_view::npos) return false;
    return scheme == "http" || scheme == "https" || scheme == "file" || scheme == "ftp";
}

PageRank RankPage(std::string_view address, long long area) { return {IsWebPageAddress(address), area}; }

bool Outranks(const PageRank& a, const PageRank& b) {
    if (a.webPage != b.webPage) return a.webPage;
    return a.area > b.area;
}

}  // namespace tf
