// ProgressBar, the updater's progress bar, without Windows: the Value and Max rules, the stored
// design, where each column band of the two skin pictures goes, and the pictures themselves.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tf {

// The bar is always this high; the skin pictures have the same height.
inline constexpr int kProgressBarHeight = 12;
inline constexpr int kSkinWidth = 16;
inline constexpr int kSkinHeight = kProgressBarHeight;
// Each picture is read as a left cap, a middle band that is stretched, and a right cap.
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
// so that nothing is drawn mirrored or outside it.
std::vector<SkinBlit> TrackBlits(int width);
// The done part: caps and a stretched middle, or for a fill of 4 pixels or less its first columns
// as they are.
std::vector<SkinBlit> FillBlits(int fillWidth);

// Both pictures share the frame; their outermost corner pixels are white, for the rounded ends.
inline constexpr std::uint32_t kSkinFrameColour = 0x9DB0C8;
inline constexpr std::uint32_t kSkinCornerColour = 0xFFFFFF;

// A 16 x 12 picture, rows top to bottom, each pixel 0xRRGGBB.
struct SkinPicture {
    std::array<std::uint32_t, kSkinWidth * kSkinHeight> pixels{};
    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y * kSkinWidth + x)]; }
};

// Near-white, slightly darker at the top so the track reads as a groove.
SkinPicture TrackSkin();
// Green, darker towards the bottom, with a bright line under the top edge.
SkinPicture FillSkin();

}  // namespace tf
