#include "base/redirect_policy.h"

#include <algorithm>

#ifndef TAMBORVIN_REDIRECT_HOSTS
#define TAMBORVIN_REDIRECT_HOSTS ""
#endif

namespace tf {
namespace {

// A server's Location of more than this is no address of ours.
constexpr std::size_t kMaxLocation = 2048;

struct Address {
    std::string scheme;  // "http" or "https"
    std::string host;    // lower case; an IPv6 address keeps its brackets
    std::string port;    // digits, or empty for the scheme's own
    std::string rest;    // path and query, beginning with "/"
};

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return out;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Letters, digits, dots and dashes only: a user name ("good@evil"), a backslash or a percent sign
// is no host of ours.
bool IsHostName(std::string_view host) {
    if (host.empty()) return false;
    if (host.front() == '[') {
        return host.size() > 2 && host.back() == ']' && std::all_of(host.begin() + 1, host.end() - 1, [](char c) {
                   return IsDigit(c) || (c >= 'a' && c <= 'f') || c == ':' || c == '.';
               });
    }
    return std::all_of(host.begin(), host.end(),
                       [](char c) { return IsDigit(c) || (c >= 'a' && c <= 'z') || c == '.' || c == '-'; });
}

// Printable ASCII without spaces and backslashes (which some parsers take for "/").
bool IsPlainPath(std::string_view rest) {
    return std::all_of(rest.begin(), rest.end(), [](char c) { return c > 0x20 && c < 0x7f && c != '\\'; });
}

// `checkPath` false for the address already asked: only its host and folder matter.
std::optional<Address> ParseAbsolute(std::string_view url, bool checkPath = true) {
    const std::size_t colon = url.find("://");
    if (colon == std::string_view::npos) return std::nullopt;
    Address a;
    a.scheme = Lower(url.substr(0, colon));
    if (a.scheme != "http" && a.scheme != "https") return std::nullopt;
    url.remove_prefix(colon + 3);
    const std::size_t end = std::min(url.find_first_of("/?#"), url.size());
    std::string_view authority = url.substr(0, end);
    std::string_view rest = url.substr(end);
    rest = rest.substr(0, rest.find('#'));
    const std::size_t portColon = authority.rfind(':');
    if (portColon != std::string_view::npos && authority.find(']', portColon) == std::string_view::npos) {
        const std::string_view port = authority.substr(portColon + 1);
        if (port.empty() || port.size() > 5 || !std::all_of(port.begin(), port.end(), IsDigit)) return std::nullopt;
        const int number = std::stoi(std::string(port));
        if (number < 1 || number > 65535) return std::nullopt;
        a.port = std::to_string(number);
        authority = authority.substr(0, portColon);
    }
    a.host = Lower(authority);
    if (!IsHostName(a.host) || (checkPath && !IsPlainPath(rest))) return std::nullopt;
    a.rest = rest.empty() || rest.front() != '/' ? "/" + std::string(rest) : std::string(rest);
    return a;
}

std::string Origin(const Address& a) { return a.scheme + "://" + a.host + (a.port.empty() ? "" : ":" + a.port); }

}  // namespace

std::optional<std::string> RedirectTarget(std::string_view from, std::string_view location,
                                          const std::vector<std::string>& namedHosts) {
    const std::optional<Address> base = ParseAbsolute(from, false);
    if (!base || location.empty() || location.size() > kMaxLocation) return std::nullopt;
    std::string absolute;
    const std::size_t schemeEnd = location.find("://");
    if (schemeEnd != std::string_view::npos && location.find_first_of("/?#") > schemeEnd) {
        absolute = location;
    } else if (location.substr(0, 2) == "//") {
        absolute = base->scheme + ":" + std::string(location);
    } else if (location.front() == '/') {
        absolute = Origin(*base) + std::string(location);
    } else if (location.find(':') < location.find_first_of("/?#")) {
        return std::nullopt;  // another scheme ("javascript:", "file:")
    } else {
        // Relative to the folder of the path asked, or to the path itself for a new query.
        std::string_view path(base->rest);
        path = path.substr(0, path.find('?'));
        if (location.front() != '?') path = path.substr(0, path.rfind('/') + 1);
        absolute = Origin(*base) + std::string(path) + std::string(location);
    }
    const std::optional<Address> target = ParseAbsolute(absolute);
    if (!target || target->scheme != "https") return std::nullopt;
    const bool named = std::any_of(namedHosts.begin(), namedHosts.end(),
                                   [&](const std::string& host) { return Lower(host) == target->host; });
    if (target->host != base->host && !named) return std::nullopt;
    return Origin(*target) + target->rest;
}

const std::vector<std::string>& BuildRedirectHosts() {
    static const std::vector<std::string> hosts = [] {
        std::vector<std::string> list;
        std::string_view names = TAMBORVIN_REDIRECT_HOSTS;
        while (!names.empty()) {
            const std::size_t comma = std::min(names.find(','), names.size());
            if (comma > 0) list.push_back(Lower(names.substr(0, comma)));
            names.remove_prefix(std::min(comma + 1, names.size()));
        }
        return list;
    }();
    return hosts;
}

}  // namespace tf
