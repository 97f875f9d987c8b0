// The record editor's password generator: a new password drawn from the system's random source,
// and the options the user chose for it, kept in the per-user settings between runs.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/system_random.h"
#include "vault/settings.h"

namespace tf {

inline constexpr int kGeneratedMinLength = 8;
inline constexpr int kGeneratedMaxLength = 64;
inline constexpr int kGeneratedDefaultLength = 20;

// Kept as "length,symbols,noLookAlikes" ("20,1,0") in the per-user section beside the master
// password.
inline constexpr char kGeneratorSetting[] = "PasswordGenerator";

// Characters that are easily taken for one another in many fonts, left out when asked.
inline constexpr std::string_view kLookAlikes = "0Oo1lIiL|`'\"";

struct GeneratorOptions {
    int length = kGeneratedDefaultLength;  // clamped to 8-64 wherever it is used
    bool symbols = true;
    bool noLookAlikes = false;
    bool operator==(const GeneratorOptions&) const = default;
};

// The classes a password is drawn from, in order: capitals, small letters, digits and, when
// chosen, symbols. Printable ASCII only (no space): the vault keeps it and the typing sends it
// as it is under any keyboard layout.
std::string GeneratorClass(int index, const GeneratorOptions& options);
int GeneratorClassCount(const GeneratorOptions& options);

// A new password of the clamped length with at least one character of every class, or nothing
// when the source fails or keeps giving unusable bytes. Each character is drawn uniformly from
// the union of the classes (a byte past the largest multiple of the alphabet's size is thrown
// away, not reduced modulo), and a password missing a class is drawn again whole, so every
// password that has all classes is equally likely.
std::optional<std::string> GeneratePassword(const GeneratorOptions& options, const RandomBytes& random);

GeneratorOptions LoadGeneratorOptions(SettingsStore& store);
WriteStatus SaveGeneratorOptions(SettingsStore& store, const GeneratorOptions& options);

}  // namespace tf
