// frmAbout: names the program and its version, links to the maker's pages, and checks once per
// opening whether the maker's server offers a newer version; its button then starts the updater.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/dpi.h"
#include "base/owned_win.h"
#include "base/windows_api_win.h"

namespace tf {

inline constexpr wchar_t kAboutWindowClass[] = L"TamborvinFormAbout";
inline constexpr char kAboutVelnorButton[] = "Clike here velnor";
inline constexpr char kUpdaterProgram[] = "velnor.exe";

// Control IDs of the About window; stable, so that tests can find them.
enum AboutWindowControl : int {
    kIdAboutLabel1 = 4101,  // "Tamborvin Download"
    kIdAboutImage1,         // logo
    kIdAboutLabel2,         // "Version 1.0"
    kIdAboutLabel3,         // "Home"
    kIdAboutLabelx,         // "FAQ"
    kIdAboutLabel666,       // the result of the check
    kIdAboutVelnor,         // "Clike here velnor"
};

class AboutWindow {
public:
    AboutWindow() = default;
    ~AboutWindow();
    AboutWindow(const AboutWindow&) = delete;
    AboutWindow& operator=(const AboutWindow&) = delete;

    // Opens the window afresh over the owner, or brings the open one to the front. `exitProgram`
    // ends the program as its Exit does, once the updater has started.
    void Show(HWND owner, std::function<void()> exitProgram);
    HWND Handle() const { return hwnd_; }

private:
    template <class Owner>
    friend LRESULT CALLBACK OwnerWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // Makes the controls at the first call, moves them and gives them the fonts at later ones.
    void Layout();
    // Fonts and logo for this scaling; kept between openings at the same one.
    void UseDpi(Dpi dpi);
    void Timer1_Timer();
    // The fetch's answer, posted back by its worker; `late`: the deadline passed first.
    void CheckDone(bool late);
    void velnor_Click();
    void OpenPage(const char* path);

    HWND hwnd_ = nullptr;
    HWND label666_ = nullptr;
    HWND velnor_ = nullptr;
    HWND links_[2] = {};
    UniqueFont font_;
    UniqueFont titleFont_;
    UniqueFont linkFont_;
    UniqueIcon logo_;
    Dpi dpi_;
    Dpi fontDpi_;
    std::vector<HWND> controls_;
    std::string vold_;
    std::string vnew_;
    // Shared with the worker that fetches the version text, which may outlive the window.
    struct Check;
    std::shared_ptr<Check> check_;
    std::function<void()> exitProgram_;
};

}  // namespace tf
