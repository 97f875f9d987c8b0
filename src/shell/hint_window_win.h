// Form2: the small hint at the bottom-right of the screen that names the login address the page
// in front matched. It never takes the focus: the user is about to paste into the browser.
#pragma once

#include <string>

#include "base/dpi.h"
#include "base/owned_win.h"
#include "base/screen_fit.h"
#include "base/windows_api_win.h"

namespace tf {

inline constexpr wchar_t kHintWindowClass[] = L"TamborvinFormHint";
inline constexpr char kHintLabel1[] = "Tamborvin";
inline constexpr char kHintLabel2[] = "Tamborvin ";

// Control IDs of the hint window; stable, so that tests can find them.
enum HintWindowControl : int {
    kIdHintImage2 = 3001,  // opens the maker's second web site
    kIdHintLabel2,         // the matched login address
    kIdHintLabel1,         // "Tamborvin"
    kIdHintImage1,         // the program's padlock
};

class HintWindow {
public:
    HintWindow() = default;
    ~HintWindow();
    HintWindow(const HintWindow&) = delete;
    HintWindow& operator=(const HintWindow&) = delete;

    // Creates the window hidden at the bottom-right corner of the primary monitor.
    bool Create(HINSTANCE instance);
    // Puts the window at the bottom right of the monitor that shows this browser window (the
    // primary monitor for none, or for one minimised or gone), at that monitor's scaling; nothing
    // when it is there already. Called at every read of the browser, so the hint follows it.
    void PlaceFor(HWND browser);
    HWND Handle() const { return hwnd_; }

    void SetLabel2(const std::string& text);
    std::string Label2() const;
    // Shows the address in the topmost band without activating the window.
    void ShowHint(const std::string& text);
    void HideHint();

private:
    template <class Owner>
    friend LRESULT CALLBACK OwnerWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // Lays the controls out for the client area and scaling: made on the first call, moved after.
    void Layout();
    // Takes another scaling: the fonts and the icon remade for it.
    void UseDpi(Dpi dpi);
    void MoveTo(const ScreenBox& box);
    void DrawImage(const DRAWITEMSTRUCT& item);
    void Image2_Click();

    HWND hwnd_ = nullptr;
    HINSTANCE instance_ = nullptr;
    HWND image1_ = nullptr;
    HWND image2_ = nullptr;
    HWND label1_ = nullptr;
    HWND label2_ = nullptr;
    UniqueIcon icon_;
    UniqueFont font_;
    UniqueFont boldFont_;
    UniqueBrush faceBrush_;
    UniqueBrush frameBrush_;
    Dpi dpi_;
    // Set while the window moves itself: the scaling of where it goes is its own to take then.
    bool placing_ = false;
};

}  // namespace tf
