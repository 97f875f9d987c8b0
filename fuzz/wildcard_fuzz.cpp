// The wildcard matcher: pattern, NUL, text. No crash, and the compiled pattern answers as the
// one-off match does.
#include "base/like.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input = tf::fuzz::Bytes(data, size);
    const std::string_view pattern = tf::fuzz::TakeUntilNul(input);
    const std::string_view text = input;
    const tf::LikePattern compiled(pattern);
    const bool matches = compiled.Matches(text);
    FUZZ_CHECK(tf::Like(text, pattern) == matches);
    // A pattern always matches itself once its wildcards are taken as literal characters only
    // when it has none; "*" then matches anything.
    FUZZ_CHECK(tf::Like(text, "*"));
    if (pattern.find_first_of("*?#[") == std::string_view::npos) FUZZ_CHECK(compiled.Matches(pattern));
    return 0;
}
