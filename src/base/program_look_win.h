// The program's name and colours as every window shows them: one place, so that the windows of
// the vault and of the updater look like one program.
#pragma once

#include "base/windows_api_win.h"

namespace tf {

// The caption of the program's message boxes and questions.
inline constexpr wchar_t kProgramTitle[] = L"Tamborvin Form";

// The blue of the main window's title band, of frames and of titles in text.
inline constexpr COLORREF kBandBlue = RGB(2, 87, 157);
// Text on that blue.
inline constexpr COLORREF kBandText = RGB(255, 255, 255);
// The face of the program's own windows and prompts.
inline constexpr COLORREF kFaceColour = RGB(235, 243, 251);
// The lighter face of the hint window, which stands over any web page.
inline constexpr COLORREF kHintFaceColour = RGB(246, 250, 254);
// Hints and status lines on the face colour.
inline constexpr COLORREF kHintText = RGB(70, 90, 110);
// The labels of the boxes, and the address the hint window names.
inline constexpr COLORREF kLabelText = RGB(30, 40, 55);
inline constexpr COLORREF kAddressText = RGB(30, 30, 30);
// The mark of a box that must be filled in.
inline constexpr COLORREF kRequiredMark = RGB(200, 30, 30);
// Text that opens a web page.
inline constexpr COLORREF kLinkColour = RGB(0, 70, 200);

}  // namespace tf
