#include "base/like.h"

#include <limits>

#include "base/utf8.h"

// Choices where the operator's own rules leave a gap or would fail:
// - "[]" holds no character, so it matches none; "[!]" matches any one character.
// - "-" first or last in a list stands for itself; a range written backwards ("[z-a]") holds
//   nothing. Ranges compare code points.
// - "*", "?", "#" and "[" inside a list stand for themselves; the first "]" ends the list.
// - An unclosed "[" stands for itself (see the header).

namespace tf {

struct LikePattern::Token {
    enum class Kind : std::uint8_t { kLiteral, kAnyOne, kDigit, kList, kStar };
    Kind kind;
    bool negated = false;
    char32_t ch = 0;          // kLiteral
    std::uint32_t first = 0;  // kList: its ranges are ranges_[first, first + count)
    std::uint32_t count = 0;
};

namespace {

using Kind = LikePattern::Token::Kind;
constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();

}  // namespace

LikePattern::LikePattern(std::string_view pattern) {
    const std::u32string p = Utf8ToCodePoints(pattern);
    for (std::size_t i = 0; i < p.size(); ++i) {
        const char32_t c = p[i];
        Token token{};
        if (c == U'*') {
            // A run of stars means no more than one.
            if (!tokens_.empty() && tokens_.back().kind == Kind::kStar) continue;
            token.kind = Kind::kStar;
        } else if (c == U'?') {
            token.kind = Kind::kAnyOne;
        } else if (c == U'#') {
            token.kind = Kind::kDigit;
        } else if (c == U'[' && p.find(U']', i + 1) != std::u32string::npos) {
            const std::size_t close = p.find(U']', i + 1);
            std::size_t j = i + 1;
            token.kind = Kind::kList;
            if (j < close && p[j] == U'!') {
                token.negated = true;
                ++j;
            }
            token.first = static_cast<std::uint32_t>(ranges_.size());
            while (j < close) {
                if (j + 2 < close && p[j + 1] == U'-') {
                    ranges_.push_back({p[j], p[j + 2]});
                    j += 3;
                } else {
                    ranges_.push_back({p[j], p[j]});
                    ++j;
                }
            }
            token.count = static_cast<std::uint32_t>(ranges_.size()) - token.first;
            i = close;
        } else {
            token.kind = Kind::kLiteral;
            token.ch = c;
        }
        tokens_.push_back(token);
    }

    // Recognise "text", "text*", "*text" and "*text*" with literal text.
    std::size_t begin = 0, end = tokens_.size();
    const bool leadingStar = begin < end && tokens_[begin].kind == Kind::kStar;
    if (leadingStar) ++begin;
    const bool trailingStar = begin < end && tokens_[end - 1].kind == Kind::kStar;
    if (trailingStar) --end;
    for (std::size_t k = begin; k < end; ++k) {
        // U+FFFD is also what a malformed byte of the text reads as, which bytes cannot compare.
        if (tokens_[k].kind != Kind::kLiteral || tokens_[k].ch == kReplacementChar) {
            literal_.clear();
            return;
        }
        AppendUtf8(literal_, tokens_[k].ch);
    }
    shape_ = leadingStar ? (trailingStar ? Shape::kContains : Shape::kSuffix)
                         : (trailingStar ? Shape::kPrefix : Shape::kEquals);
}

LikePattern::~LikePattern() = default;
LikePattern::LikePattern(const LikePattern&) = default;
LikePattern::LikePattern(LikePattern&&) noexcept = default;
LikePattern& LikePattern::operator=(const LikePattern&) = default;
LikePattern& LikePattern::operator=(LikePattern&&) noexcept = default;

bool LikePattern::Matches(std::string_view text) const {
    // A well-formed literal matches bytes exactly where it matches characters: its first byte is
    // never a continuation byte, so it always starts a character of the text.
    switch (shape_) {
        case Shape::kEquals:
            return text == literal_;
        case Shape::kPrefix:
            return text.starts_with(literal_);
        case Shape::kSuffix:
            return text.ends_with(literal_);
        case Shape::kContains:
            return text.find(literal_) != std::string_view::npos;
        case Shape::kGeneral:
            break;
    }
    return MatchesGeneral(text);
}

bool LikePattern::MatchesGeneral(std::string_view text) const {
    auto tokenMatches = [this](const Token& token, char32_t c) {
        switch (token.kind) {
            case Kind::kLiteral:
                return c == token.ch;
            case Kind::kAnyOne:
                return true;
            case Kind::kDigit:
                return c >= U'0' && c <= U'9';
            case Kind::kList: {
                bool inList = false;
                for (std::uint32_t k = token.first; k < token.first + token.count && !inList; ++k) {
                    inList = ranges_[k].first <= c && c <= ranges_[k].last;
                }
                return inList != token.negated;
            }
            case Kind::kStar:
                break;
        }
        return false;
    };

    // Greedy stars, backtracking only to the last one: every other token takes exactly one
    // character, so an earlier star never needs to give back what it took. O(text * pattern).
    const std::size_t n = tokens_.size();
    std::size_t p = 0, t = 0;
    std::size_t afterStar = kNone, starText = 0;
    while (true) {
        if (p < n && tokens_[p].kind == Kind::kStar) {
            afterStar = ++p;
            starText = t;
            continue;
        }
        if (t == text.size()) return p == n;
        if (p < n) {
            std::size_t next = t;
            if (tokenMatches(tokens_[p], NextCodePoint(text, next))) {
                ++p;
                t = next;
                continue;
            }
        }
        if (afterStar == kNone) return false;
        NextCodePoint(text, starText);  // the star takes one more character
        t = starText;
        p = afterStar;
    }
}

bool Like(std::string_view text, std::string_view pattern) { return LikePattern(pattern).Matches(text); }

}  // namespace tf
