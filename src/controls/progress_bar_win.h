// ProgressBar as a window class of the program: a rounded bar, 12 pixels high at 96 dpi, drawn from
// the track and fill skins. Either a C++ object owns it (ProgressBar::Create), or any window creates the class by
// name, with the design ("Value=40;Max=80") as its window text, and drives it by messages.
#pragma once

#include <bit>
#include <cstdint>
#include <functional>
#include <string>

#include "base/owned_win.h"
#include "base/windows_api_win.h"
#include "controls/progress_bar.h"

namespace tf {

inline constexpr wchar_t kProgressBarClass[] = L"TamborvinProgressBar";

// Values travel as the bits of a double in WPARAM or the result, which are 64 bits wide, so that
// the messages also work from another process.
enum ProgressBarMessage : UINT {
    kPbmSetValue = WM_USER + 1,
    kPbmGetValue,
    kPbmSetMax,
    kPbmGetMax,
};
// Notification codes of WM_COMMAND to the parent, as a static control's.
inline constexpr WORD kPbnClicked = 0;
inline constexpr WORD kPbnDoubleClicked = 1;

static_assert(sizeof(WPARAM) == sizeof(double) && sizeof(LRESULT) == sizeof(double));
inline void SendProgressValue(HWND bar, double value) {
    SendMessageW(bar, kPbmSetValue, std::bit_cast<WPARAM>(value), 0);
}
inline void SendProgressMax(HWND bar, double max) { SendMessageW(bar, kPbmSetMax, std::bit_cast<WPARAM>(max), 0); }
inline double ProgressValueOf(HWND bar) { return std::bit_cast<double>(SendMessageW(bar, kPbmGetValue, 0, 0)); }
inline double ProgressMaxOf(HWND bar) { return std::bit_cast<double>(SendMessageW(bar, kPbmGetMax, 0, 0)); }

// A mouse event on the bar: buttons 1 left, 2 right, 4 middle; shift 1 Shift, 2 Ctrl, 4 Alt;
// x and y in pixels of the bar.
struct ProgressMouse {
    std::int16_t button;
    std::int16_t shift;
    float x;
    float y;
};

class ProgressBar {
public:
    ProgressBar() = default;
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    static bool Register();

    // A child of the parent; the height is always kProgressBarHeight at the parent's scaling. Value
    // and Max set before are kept.
    bool Create(HWND parent, int id, int x, int y, int width);
    HWND Handle() const { return hwnd_; }

    double Value() const { return range_.Value(); }
    void SetValue(double value);
    double Max() const { return range_.Max(); }
    void SetMax(double max);
    // What a window's design keeps of the bar.
    std::string Design() const { return SaveProgressDesign(range_); }

    std::function<void(const ProgressMouse&)> MouseDown;
    std::function<void(const ProgressMouse&)> MouseUp;
    std::function<void(const ProgressMouse&)> MouseMove;
    std::function<void()> Click;
    std::function<void()> DblClick;

    // The object a window of the class belongs to, from its creation parameter; none for a window made
    // from the class name alone.
    static ProgressBar* ObjectOf(void* param);

private:
    template <class Owner>
    friend LRESULT CALLBACK OwnerWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void Changed(int oldFill);
    void Reshape();
    void Paint(HDC dc);
    void Notify(WORD code);
    ProgressMouse MouseAt(std::int16_t button, WPARAM wParam, LPARAM lParam) const;
    void ButtonDown(std::int16_t button, WPARAM wParam, LPARAM lParam);
    void ButtonUp(std::int16_t button, WPARAM wParam, LPARAM lParam);
    int Width() const;
    // The bar's height and line thickness at the scaling of its window.
    int Height() const;
    int Unit() const;

    HWND hwnd_ = nullptr;
    ProgressRange range_;
    UniqueBitmap track_;
    UniqueBitmap fill_;
    int skinHeight_ = 0;  // what the pictures were made for
    int skinUnit_ = 0;
    std::int16_t pressed_ = 0;
    // Made by a window created from the class name alone: the window deletes it at its end.
    bool ownedByWindow_ = false;
};

}  // namespace tf
