// ProgressBar, the updater's progress bar, without Windows: the Value and Max rules, the stored
// design, where each column band of the two skin pictures goes, and the pictures themselves.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "controls/line_unit.h"

namespace tf {

// The bar is always this high at 96 dpi (scaled with the window); the skin pictures are made at the
// bar's height, so they are never stretched up and down.
inline constexpr int kProgressBarHeight = 12;
inline constexpr int kSkinWidth = 16;
inline constexpr int kSkinHeight = kProgressBarHeight;
// Each picture is read as a left cap, a middle band that is stretched, and a right cap. Widths at
// 96 dpi: at other scalings each is so many lines (LineUnit) wide.
inline constexpr int kSkinCapWidth = 2;
inline constexpr int kSkinMiddleX = kSkinCapWidth;
inline constexpr int kSkinMiddleWidth = kSkinWidth - 2 * kSkinCapWidth;
inline constexpr int kSkinRightCapX = kSkinWidth - kSkinCapWidth;
// A fill this narrow is copied unstretched: there is no room for two caps and a middle.
inline constexpr int kSmallestStretchedFill = 5;

inline constexpr double kDefaultProgressValue = 0;
inline constexpr double kDefaultProgressMax = 100;

class ProgressRange {
public:
    double Value() const { return value_; }
    double Max() const { return max_; }

    // Kept within 0..Max: above Max becomes Max; negative or not a number becomes 0.
    void SetValue(double x);
    // A negative or not-a-number Max becomes 0 (a full bar) rather than dragging Value below 0;
    // a Value above the new Max is pulled down to it.
    void SetMax(double m);

    // Fill width in pixels of a bar W pixels wide: Value / Max of W, rounded, ties to even.
    // Max 0 is a full bar.
    int FillWidth(int width) const;

private:
    double value_ = kDefaultProgressValue;
    double max_ = kDefaultProgressMax;
};

// The design kept with a window: "Value=40;Max=80", each left out when it has its default.
std::string SaveProgressDesign(const ProgressRange& range);
// Unknown keys and unreadable numbers are skipped; what is read passes the range rules, so a
// hand-edited design cannot put the fill outside the track.
ProgressRange LoadProgressDesign(std::string_view design);

// One copy from a skin picture into the bar, all rows: columns sourceX .. sourceX + sourceWidth - 1
// of the picture stretched onto x .. x + width - 1 of the bar.
struct SkinBlit {
    int x;
    int width;
    int sourceX;
    int sourceWidth;
    bool operator==(const SkinBlit&) const = default;
};

// The track across the whole width. Narrower than two caps, the bar takes what fits of each cap,
// so that nothing is drawn mirrored or outside it. `unit`: the pictures' LineUnit.
std::vector<SkinBlit> TrackBlits(int width, int unit = 1);
// The done part: caps and a stretched middle, or for a fill no wider than two caps its first
// columns as they are.
std::vector<SkinBlit> FillBlits(int fillWidth, int unit = 1);

// Both pictures share the frame; their outermost corner pixels are white, for the rounded ends.
inline constexpr std::uint32_t kSkinFrameColour = 0x9DB0C8;
inline constexpr std::uint32_t kSkinCornerColour = 0xFFFFFF;

// A picture 16 lines wide and as high as the bar, rows top to bottom, each pixel 0xRRGGBB. Its
// frame is one line thick, its rounded ends two lines; the gradient has a step in every row.
struct SkinPicture {
    int width = kSkinWidth;
    int height = kSkinHeight;
    int unit = 1;
    std::vector<std::uint32_t> pixels;
    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

// Near-white, slightly darker at the top so the track reads as a groove. The height is kept to at
// least four lines, where the frame and a row of the inside fit.
SkinPicture TrackSkin(int height = kSkinHeight, int unit = 1);
// Green, darker towards the bottom, with a bright line under the top edge.
SkinPicture FillSkin(int height = kSkinHeight, int unit = 1);

}  // namespace tf
