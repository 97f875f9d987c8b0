// A small repeatable generator for the benchmarks' made-up records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tf::bench {

class Random {
public:
    explicit Random(std::uint64_t start = 20240601) : state_(start) {}

    std::uint32_t Next() {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<std::uint32_t>(state_ >> 33);
    }
    template <typename T, std::size_t N>
    const T& Pick(const T (&items)[N]) {
        return items[Next() % N];
    }
    std::string Ascii(int length, std::string_view alphabet = "abcdefghijklmnopqrstuvwxyz0123456789") {
        std::string s;
        for (int i = 0; i < length; ++i) s += alphabet[Next() % alphabet.size()];
        return s;
    }

private:
    std::uint64_t state_;
};

}  // namespace tf::bench
