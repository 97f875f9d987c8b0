// What the fuzz targets share: a check that stops the run (and so keeps the input) when a
// property of a parser does not hold, and splitting one input into several arguments.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#define FUZZ_CHECK(condition)                                                                     \
    do {                                                                                          \
        if (!(condition)) {                                                                       \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                         \
        }                                                                                         \
    } while (0)

namespace tf::fuzz {

inline std::string_view Bytes(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// The input up to the first NUL, and the rest after it (empty when there is none).
inline std::string_view TakeUntilNul(std::string_view& input) {
    const std::size_t nul = input.find('\0');
    std::string_view head = input.substr(0, nul);
    input = nul == std::string_view::npos ? std::string_view() : input.substr(nul + 1);
    return head;
}

}  // namespace tf::fuzz
