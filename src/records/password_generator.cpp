#include "records/password_generator.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "base/wipe.h"

namespace tf {
namespace {

constexpr std::array<std::string_view, 4> kClasses = {
    "ABCDEFGHIJKLMNOPQRSTUVWXYZ",
    "abcdefghijklmnopqrstuvwxyz",
    "0123456789",
    "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~",
};

// A source that keeps giving bytes past the bound, or passwords without every class, is broken:
// the chance that a sound one needs this many whole draws is far below one in 2^100.
constexpr int kMaxAttempts = 1000;
// Bytes taken for one password: room for the thrown-away ones (at most a third of them for any
// alphabet of these classes); a draw that runs short is made again whole.
constexpr int kBytesPerCharacter = 4;

int Clamped(int length) { return std::clamp(length, kGeneratedMinLength, kGeneratedMaxLength); }

bool HasEveryClass(std::string_view password, const GeneratorOptions& options) {
    for (int i = 0; i < GeneratorClassCount(options); ++i) {
        if (password.find_first_of(GeneratorClass(i, options)) == std::string_view::npos) return false;
    }
    return true;
}

}  // namespace

int GeneratorClassCount(const GeneratorOptions& options) { return options.symbols ? 4 : 3; }

std::string GeneratorClass(int index, const GeneratorOptions& options) {
    std::string members;
    for (char c : kClasses[static_cast<std::size_t>(index)]) {
        if (!options.noLookAlikes || kLookAlikes.find(c) == std::string_view::npos) members += c;
    }
    return members;
}

std::optional<std::string> GeneratePassword(const GeneratorOptions& options, const RandomBytes& random) {
    const std::size_t length = static_cast<std::size_t>(Clamped(options.length));
    std::string alphabet;
    for (int i = 0; i < GeneratorClassCount(options); ++i) alphabet += GeneratorClass(i, options);
    const unsigned size = static_cast<unsigned>(alphabet.size());
    // The largest multiple of the size that one byte can reach: below it every character has the
    // same number of byte values; a modulo of any byte would favour the first 256 % size ones.
    const unsigned bound = 256 - 256 % size;

    std::array<unsigned char, kGeneratedMaxLength * kBytesPerCharacter> bytes{};
    std::string password;
    password.reserve(kGeneratedMaxLength);  // never reallocated: no copy left behind unwiped
    for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
        password.clear();
        if (!random(bytes.data(), length * kBytesPerCharacter)) break;
        for (std::size_t i = 0; i < length * kBytesPerCharacter && password.size() < length; ++i) {
            if (bytes[i] < bound) password += alphabet[bytes[i] % size];
        }
        // Drawn again whole rather than patched: putting a missing class in at some place would
        // make that class likelier there than anywhere else.
        if (password.size() == length && HasEveryClass(password, options)) {
            WipeMemory(bytes.data(), bytes.size());
            return std::optional<std::string>(std::move(password));
        }
    }
    WipeMemory(bytes.data(), bytes.size());
    WipeString(password);
    return std::nullopt;
}

GeneratorOptions LoadGeneratorOptions(SettingsStore& store) {
    const GeneratorOptions defaults;
    const std::optional<std::string> stored = store.GetSetting(kGeneratorSetting);
    if (!stored) return defaults;
    // Three whole numbers and nothing else; anything else gives the defaults.
    int values[3] = {};
    const char* at = stored->data();
    const char* end = at + stored->size();
    for (int i = 0; i < 3; ++i) {
        const auto [next, error] = std::from_chars(at, end, values[i]);
        if (error != std::errc() || (i < 2 ? next == end || *next != ',' : next != end)) return defaults;
        at = next + (i < 2 ? 1 : 0);
    }
    if ((values[1] != 0 && values[1] != 1) || (values[2] != 0 && values[2] != 1)) return defaults;
    return {Clamped(values[0]), values[1] == 1, values[2] == 1};
}

WriteStatus SaveGeneratorOptions(SettingsStore& store, const GeneratorOptions& options) {
    return store.SaveSetting(kGeneratorSetting, std::to_string(Clamped(options.length)) + "," +
                                                    (options.symbols ? "1" : "0") + "," +
                                                    (options.noLookAlikes ? "1" : "0"));
}

}  // namespace tf
