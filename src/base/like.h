// The runtime's pattern operator, used by the record searches: "*" any run of characters, "?" any
// one character, "#" one digit, "[a-z]" one character of the list, "[!a-z]" one not in it; every
// other character stands for itself. Case-sensitive; works on characters, not bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tf {

// A pattern compiled once and matched against many texts. An unclosed "[" has no list to end, so
// it stands for itself; what follows it is read as usual.
class LikePattern {
public:
    explicit LikePattern(std::string_view pattern);
    ~LikePattern();
    LikePattern(const LikePattern&);
    LikePattern(LikePattern&&) noexcept;
    LikePattern& operator=(const LikePattern&);
    LikePattern& operator=(LikePattern&&) noexcept;

    bool Matches(std::string_view text) const;

    struct Token;  // one element of the compiled pattern

private:
    // Patterns whose only wildcards are a leading and a trailing "*" (the quick search's shape)
    // are plain text comparisons.
    enum class Shape : std::uint8_t { kGeneral, kEquals, kPrefix, kSuffix, kContains };

    bool MatchesGeneral(std::string_view text) const;

    struct Range {
        char32_t first, last;
    };
    std::vector<Token> tokens_;
    std::vector<Range> ranges_;  // the bracket lists' members, which the tokens point into
    Shape shape_ = Shape::kGeneral;
    std::string literal_;  // the text to look for when shape_ is not kGeneral
};

bool Like(std::string_view text, std::string_view pattern);

}  // namespace tf
