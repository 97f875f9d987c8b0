// Screen scaling: layouts are given in pixels at 96 dpi or in twips (1440 to the inch) and drawn at
// the dpi of the window's monitor. Rounded as Win32's MulDiv rounds, so sizes agree with what the
// system computes.
#pragma once

namespace tf {

inline constexpr int kLayoutDpi = 96;
inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kPointsPerInch = 72;

// a * b / c to the nearest whole number, halves away from zero; -1 for c == 0, as MulDiv gives.
constexpr int MulDivRounded(int a, int b, int c) {
    if (c == 0) return -1;
    long long product = static_cast<long long>(a) * b;
    if (c < 0) {
        product = -product;
        c = -c;
    }
    const long long half = product >= 0 ? c / 2 : -(c / 2);
    return static_cast<int>((product + half) / c);
}

// The screen's dots per inch. Made from a plain number (GetDeviceCaps' LOGPIXELSY), so a window that
// keeps an int can pass it where a Dpi is asked for.
class Dpi {
public:
    constexpr Dpi() = default;
    constexpr Dpi(int dotsPerInch) : value_(dotsPerInch) {}

    constexpr int Value() const { return value_; }
    // A length laid out at 96 dpi, in the screen's pixels.
    constexpr int Px(int px96) const { return MulDivRounded(px96, value_, kLayoutDpi); }
    constexpr int FromTwips(int twips) const { return MulDivRounded(twips, value_, kTwipsPerInch); }
    constexpr int ToTwips(int pixels) const { return MulDivRounded(pixels, kTwipsPerInch, value_); }
    // Whole twips in one pixel (15 at 96 dpi), as layouts measured in pixel steps take them.
    constexpr int TwipsPerPixel() const { return kTwipsPerInch / (value_ > 1 ? value_ : 1); }
    // The lfHeight of a font of this many points: negative, so the size is the characters' own.
    constexpr int FontHeight(int points) const { return -MulDivRounded(points, value_, kPointsPerInch); }
    // The size in points of a font whose lfHeight is this (either sign).
    constexpr int PointsOf(int fontHeight) const {
        return MulDivRounded(fontHeight < 0 ? -fontHeight : fontHeight, kPointsPerInch, value_);
    }

    constexpr bool operator==(const Dpi&) const = default;

private:
    int value_ = kLayoutDpi;
};

}  // namespace tf
