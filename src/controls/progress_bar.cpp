#include "controls/progress_bar.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>

namespace tf {

void ProgressRange::SetValue(double x) {
    value_ = x > max_ ? max_ : x;
    if (!(value_ >= 0)) value_ = 0;
}

void ProgressRange::SetMax(double m) {
    max_ = m >= 0 ? m : 0;
    if (value_ > max_) value_ = max_;
}

int ProgressRange::FillWidth(int width) const {
    if (width <= 0) return 0;
    // Also covers Value and Max both infinite, whose quotient is not a number.
    if (max_ <= 0 || value_ >= max_) return width;
    double fill = std::nearbyint(value_ / max_ * width);
    if (!(fill > 0)) return 0;
    return std::min(width, static_cast<int>(fill));
}

namespace {

std::string FormatNumber(double x) {
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof(buffer), x);
    return std::string(buffer, result.ptr);
}

}  // namespace

std::string SaveProgressDesign(const ProgressRange& range) {
    std::string design;
    if (range.Value() != kDefaultProgressValue) design += "Value=" + FormatNumber(range.Value());
    if (range.Max() != kDefaultProgressMax) {
        if (!design.empty()) design += ';';
        design += "Max=" + FormatNumber(range.Max());
    }
    return design;
}

ProgressRange LoadProgressDesign(std::string_view design) {
    double value = kDefaultProgressValue;
    double max = kDefaultProgressMax;
    while (!design.empty()) {
        std::size_t end = design.find(';');
        std::string_view item = design.substr(0, end);
        design = end == std::string_view::npos ? std::string_view() : design.substr(end + 1);
        std::size_t equals = item.find('=');
        if (equals == std::string_view::npos) continue;
        std::string_view key = item.substr(0, equals);
        std::string_view text = item.substr(equals + 1);
        double number = 0;
        auto [ptr, error] = std::from_chars(text.data(), text.data() + text.size(), number);
        if (error != std::errc() || ptr != text.data() + text.size()) continue;
        if (key == "Value") value = number;
        if (key == "Max") max = number;
    }
    // Max first, so that Value is checked against the stored Max rather than the default.
    ProgressRange range;
    range.SetMax(max);
    range.SetValue(value);
    return range;
}

std::vector<SkinBlit> TrackBlits(int width, int unit) {
    std::vector<SkinBlit> blits;
    if (width <= 0) return blits;
    const int u = std::max(unit, 1);
    const int cap = kSkinCapWidth * u;
    const int skinWidth = kSkinWidth * u;
    int right = std::min(cap, width / 2);
    int left = std::min(cap, width - right);
    int middle = width - left - right;
    blits.push_back({0, left, 0, left});
    if (middle > 0) blits.push_back({left, middle, cap, skinWidth - 2 * cap});
    if (right > 0) blits.push_back({width - right, right, skinWidth - right, right});
    return blits;
}

std::vector<SkinBlit> FillBlits(int fillWidth, int unit) {
    if (fillWidth <= 0) return {};
    const int u = std::max(unit, 1);
    const int cap = kSkinCapWidth * u;
    const int skinWidth = kSkinWidth * u;
    if (fillWidth <= 2 * cap) return {{0, fillWidth, 0, fillWidth}};
    return {{0, cap, 0, cap},
            {cap, fillWidth - 2 * cap, cap, skinWidth - 2 * cap},
            {fillWidth - cap, cap, skinWidth - cap, cap}};
}

namespace {

struct Rgb {
    double r, g, b;
};

Rgb FromPixel(std::uint32_t p) { return {double(p >> 16 & 0xFF), double(p >> 8 & 0xFF), double(p & 0xFF)}; }

std::uint32_t ToPixel(Rgb c) {
    auto byte = [](double v) { return static_cast<std::uint32_t>(std::clamp(std::lround(v), 0L, 255L)); };
    return byte(c.r) << 16 | byte(c.g) << 8 | byte(c.b);
}

std::uint32_t Mix(std::uint32_t from, std::uint32_t to, double t) {
    Rgb a = FromPixel(from);
    Rgb b = FromPixel(to);
    return ToPixel({a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t});
}

// The frame and corners shared by both pictures around an interior given row by row. Each pixel is
// placed by the line it lies in counted from the nearest edge, so every feature is `unit` pixels.
SkinPicture Framed(int height, int unit, const std::function<std::uint32_t(int row)>& interior) {
    SkinPicture picture;
    picture.unit = std::max(unit, 1);
    const int u = picture.unit;
    picture.width = kSkinWidth * u;
    picture.height = std::max(height, 4 * u);
    picture.pixels.resize(static_cast<std::size_t>(picture.width * picture.height));
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const int lineX = std::min(x, picture.width - 1 - x) / u;
            const int lineY = std::min(y, picture.height - 1 - y) / u;
            bool edgeX = lineX == 0;
            bool edgeY = lineY == 0;
            bool nearX = lineX <= 1;
            bool nearY = lineY <= 1;
            std::uint32_t colour;
            if (edgeX && edgeY) {
                colour = kSkinCornerColour;
            } else if ((edgeX && nearY) || (edgeY && nearX)) {
                // The frame next to a corner, lightened: the curve of the end in a 2-line cap.
                colour = Mix(kSkinFrameColour, kSkinCornerColour, 0.35);
            } else if (edgeX || edgeY) {
                colour = kSkinFrameColour;
            } else if (nearX && nearY) {
                // Inside the curve, half frame, half surface.
                colour = Mix(kSkinFrameColour, interior(y), 0.5);
            } else {
                colour = interior(y);
            }
            picture.pixels[static_cast<std::size_t>(y * picture.width + x)] = colour;
        }
    }
    return picture;
}

// Position of a row between the first (0) and the last (1) of rows first .. last.
double RowFraction(int row, int first, int last) { return last > first ? (row - first) / double(last - first) : 0; }

}  // namespace

SkinPicture TrackSkin(int height, int unit) {
    const int u = std::max(unit, 1);
    const int last = std::max(height, 4 * u) - u - 1;
    return Framed(height, u,
                  [u, last](int row) { return Mix(0xE4EAF1, 0xFBFCFE, std::sqrt(RowFraction(row, u, last))); });
}

SkinPicture FillSkin(int height, int unit) {
    const int u = std::max(unit, 1);
    const int last = std::max(height, 4 * u) - u - 1;
    return Framed(height, u, [u, last](int row) {
        if (row < 2 * u) return std::uint32_t{0xB4EBA0};
        return Mix(0x7AD25C, 0x2C8E26, RowFraction(row, 2 * u, last));
    });
}

}  // namespace tf
