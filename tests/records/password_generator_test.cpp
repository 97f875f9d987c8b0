#include "records/password_generator.h"

#include <gtest/gtest.h>

#include <bit>
#include <cctype>
#include <climits>
#include <cmath>
#include <map>
#include <memory>
#include <numeric>
#include <random>
#include <vector>

namespace tf {
namespace {

// A fixed-seed source, so that every run sees the same bytes.
RandomBytes SeededSource(unsigned seed) {
    auto engine = std::make_shared<std::mt19937>(seed);
    return [engine](void* data, std::size_t size) {
        auto* out = static_cast<unsigned char*>(data);
        for (std::size_t i = 0; i < size; ++i) out[i] = static_cast<unsigned char>((*engine)() >> 24);
        return true;
    };
}

// Bytes repeating the pattern, whatever the size asked.
RandomBytes PatternSource(std::vector<unsigned char> pattern) {
    return [pattern](void* data, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) static_cast<unsigned char*>(data)[i] = pattern[i % pattern.size()];
        return true;
    };
}

TEST(GeneratePassword, HasTheClampedLengthEveryClassAndOnlyTheChosenCharacters) {
    const std::pair<GeneratorOptions, std::size_t> cases[] = {
        {{8, true, false}, 8},   {{20, true, true}, 20}, {{64, false, false}, 64},     {{7, false, true}, 8},
        {{65, true, false}, 64}, {{-3, true, false}, 8}, {{INT_MAX, false, true}, 64}, {{INT_MIN, true, true}, 8},
    };
    const RandomBytes source = SeededSource(7);
    for (const auto& [options, length] : cases) {
        SCOPED_TRACE(options.length);
        for (int n = 0; n < 200; ++n) {
            const std::optional<std::string> password = GeneratePassword(options, source);
            ASSERT_TRUE(password);
            ASSERT_EQ(password->size(), length);
            for (int c = 0; c < GeneratorClassCount(options); ++c) {
                EXPECT_NE(password->find_first_of(GeneratorClass(c, options)), std::string::npos) << *password;
            }
            for (char c : *password) {
                // Printable ASCII, no space: stored by the vault and typed as it is.
                EXPECT_TRUE(c > ' ' && c < 0x7F) << *password;
                EXPECT_TRUE(options.symbols || std::isalnum(static_cast<unsigned char>(c))) << *password;
                EXPECT_TRUE(!options.noLookAlikes || kLookAlikes.find(c) == std::string_view::npos) << *password;
            }
        }
    }
}

TEST(GeneratePassword, ThrowsAwayBytesPastTheBoundAndGivesUpOnABrokenSource) {
    // 62 letters and digits: bytes from 248 on are past the bound; modulo 62, 255 would be 'H'.
    const GeneratorOptions plain{8, false, false};
    EXPECT_EQ(GeneratePassword(plain, PatternSource({255, 0, 26, 52})), "Aa0Aa0Aa");
    // Only bytes past the bound, only one class, or no bytes at all: nothing, and no endless loop.
    EXPECT_FALSE(GeneratePassword(plain, PatternSource({255})));
    EXPECT_FALSE(GeneratePassword(plain, PatternSource({0})));
    EXPECT_FALSE(GeneratePassword(plain, [](void*, std::size_t) { return false; }));
}

// The chance that a given position holds one given character of class `c`, over passwords drawn
// uniformly and kept only when they have every class (inclusion and exclusion over the classes
// that may be missing).
double ExpectedShare(const std::vector<double>& sizes, std::size_t c, int length) {
    const double total = std::accumulate(sizes.begin(), sizes.end(), 0.0);
    auto none = [&](std::size_t skip, int positions) {
        double sum = 0;
        for (unsigned set = 0; set < (1u << sizes.size()); ++set) {
            if (skip < sizes.size() && (set >> skip & 1)) continue;
            double left = total;
            for (std::size_t i = 0; i < sizes.size(); ++i) left -= (set >> i & 1) ? sizes[i] : 0;
            sum += (std::popcount(set) % 2 ? -1 : 1) * std::pow(left / total, positions);
        }
        return sum;
    };
    return none(c, length - 1) / total / none(sizes.size(), length);
}

TEST(GeneratePassword, AMillionCharactersPassTheChiSquareTest) {
    for (const GeneratorOptions& options : {GeneratorOptions{20, true, false}, GeneratorOptions{8, false, true}}) {
        SCOPED_TRACE(options.length);
        std::vector<double> sizes;
        std::map<char, std::size_t> classOf;
        for (int c = 0; c < GeneratorClassCount(options); ++c) {
            const std::string members = GeneratorClass(c, options);
            sizes.push_back(static_cast<double>(members.size()));
            for (char m : members) classOf[m] = static_cast<std::size_t>(c);
        }
        std::map<char, double> seen;
        const RandomBytes source = SeededSource(11);
        const int passwords = 1000000 / options.length;
        for (int n = 0; n < passwords; ++n) {
            const std::string password = GeneratePassword(options, source).value();
            for (char c : password) ++seen[c];
        }
        double chi = 0;
        for (const auto& [c, cls] : classOf) {
            const double expected = passwords * options.length * ExpectedShare(sizes, cls, options.length);
            chi += (seen[c] - expected) * (seen[c] - expected) / expected;
        }
        // Wilson and Hilferty's bound for the degrees of freedom, at z = 3.3 (about one in 2000).
        const double df = static_cast<double>(classOf.size() - 1);
        const double bound = df * std::pow(1 - 2 / (9 * df) + 3.3 * std::sqrt(2 / (9 * df)), 3);
        EXPECT_LT(chi, bound);
        EXPECT_EQ(seen.size(), classOf.size());
    }
}

class MapStore : public SettingsStore {
public:
    std::map<std::string, std::string> values;
    std::optional<std::string> GetSetting(const std::string& name) override {
        auto it = values.find(name);
        return it == values.end() ? std::nullopt : std::optional(it->second);
    }
    WriteStatus SaveSetting(const std::string& name, const std::string& value) override {
        values[name] = value;
        return {};
    }
    std::optional<std::string> ReadRunValue() override { return std::nullopt; }
    WriteStatus WriteRunValue(const std::string&) override { return {}; }
    WriteStatus DeleteRunValue() override { return {}; }
    std::string ProgramPath() override { return {}; }
};

TEST(GeneratorOptions, AreKeptAndAnythingMalformedGivesTheDefaults) {
    const GeneratorOptions defaults;
    const std::pair<const char*, GeneratorOptions> cases[] = {
        {"12,0,1", {12, false, true}}, {"64,1,1", {64, true, true}}, {"99,1,0", {64, true, false}},
        {"2,0,0", {8, false, false}},  {"12,2,0", defaults},         {"12,0", defaults},
        {"12,0,1,", defaults},         {" 12,0,1", defaults},        {"", defaults},
        {"99999999999,0,1", defaults},
    };
    MapStore store;
    EXPECT_EQ(LoadGeneratorOptions(store), defaults);
    for (const auto& [stored, options] : cases) {
        SCOPED_TRACE(stored);
        store.values[kGeneratorSetting] = stored;
        EXPECT_EQ(LoadGeneratorOptions(store), options);
    }
    EXPECT_TRUE(SaveGeneratorOptions(store, {33, false, true}).Ok());
    EXPECT_EQ(store.values[kGeneratorSetting], "33,0,1");
    EXPECT_EQ(LoadGeneratorOptions(store), (GeneratorOptions{33, false, true}));
}

}  // namespace
}  // namespace tf
