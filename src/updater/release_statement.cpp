#include "updater/release_statement.h"

#include "updater/download_names.h"

namespace tf {

std::string StatementText(const ReleaseStatement& statement) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (std::uint8_t byte : statement.sha256) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 15];
    }
    return "Tamborvin Form release\nname: " + statement.name + "\nversion: " + statement.version +
           "\nsize: " + std::to_string(statement.size) + "\nsha256: " + hex + "\n";
}

std::optional<std::vector<std::uint8_t>> ParseHex(std::string_view hex, std::size_t bytes) {
    constexpr std::string_view kBlanks = " \t\r\n";
    const std::size_t first = hex.find_first_not_of(kBlanks);
    hex = first == std::string_view::npos ? std::string_view() : hex.substr(first);
    hex = hex.substr(0, hex.find_last_not_of(kBlanks) + 1);
    if (hex.size() != 2 * bytes) return std::nullopt;
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = digit(hex[i]);
        const int low = digit(hex[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        out.push_back(static_cast<std::uint8_t>(high << 4 | low));
    }
    return out;
}

std::optional<SignedRelease> ParseSignedRelease(std::string_view name, std::string_view version, std::string_view size,
                                                std::string_view sha256, std::string_view signature) {
    SignedRelease release;
    const auto bytes = ParseByteCount(size);
    const auto digest = ParseHex(sha256, 32);
    auto sig = ParseHex(signature, 64);
    // A line end inside a signed field would let one statement read as another.
    for (std::string_view field : {name, version}) {
        for (char c : field) {
            if (static_cast<unsigned char>(c) < 0x20) return std::nullopt;
        }
    }
    if (!bytes || !digest || !sig) return std::nullopt;
    release.statement.name = std::string(name);
    release.statement.version = std::string(version);
    release.statement.size = *bytes;
    std::copy(digest->begin(), digest->end(), release.statement.sha256.begin());
    release.signature = std::move(*sig);
    return release;
}

}  // namespace tf
