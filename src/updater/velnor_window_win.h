// Form1 of velnor, the updater: fetches the release description, shows it, and on "Update" puts
// the new main program in place with the download control, starts it and closes.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/dpi.h"
#include "base/owned_win.h"
#include "base/windows_api_win.h"
#include "controls/progress_bar_win.h"
#include "updater/release_fetch.h"
#include "updater/release_info.h"
#include "updater/update_flow.h"
#include "updater/update_platform_win.h"
#include "updater/wininet_download_win.h"

namespace tf {

inline constexpr wchar_t kVelnorWindowClass[] = L"VelnorMain";
inline constexpr wchar_t kVelnorCaption[] = L"TamborvinForm velnor";

// Control IDs of the updater window; stable, so that tests can find them.
enum VelnorControl : int {
    kIdVelnorV = 5001,  // version text; first the whole fetched text
    kIdVelnorShuoming,  // description
    kIdVelnorSize,      // size text
    kIdVelnorProgressBar1,
    kIdVelnorCommand1,  // "Update"
    kIdVelnorCommand2,  // "Pause"
    kIdVelnorCommand3,  // "Stop"
    kIdVelnorImage3,    // closes the window
    kIdVelnorLabel1,    // status text
    // Fields the flow uses, never shown.
    kIdVelnorText1,     // download address
    kIdVelnorText2,     // file name
    kIdVelnorText6,     // "1" once the new program started
    kIdVelnorLabel17,   // save path
    kIdVelnorLabel9,    // file size
    kIdVelnorLabel10,   // speed
    kIdVelnorLabel11,   // downloaded size
    kIdVelnorLabel12,   // percent
    kIdVelnorCommand4,  // "…": computes the save path
};

class VelnorWindow {
public:
    VelnorWindow();
    ~VelnorWindow();
    VelnorWindow(const VelnorWindow&) = delete;
    VelnorWindow& operator=(const VelnorWindow&) = delete;

    bool Create(HINSTANCE instance);
    HWND Handle() const { return hwnd_; }

private:
    template <class Owner>
    friend LRESULT CALLBACK OwnerWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // Makes the controls at the first call, moves them and gives them the fonts at later ones.
    void Layout();
    // Fonts and background for this scaling; the window's icons at its present one.
    void UseDpi(Dpi dpi);
    void UseIcons();
    void Paint(HDC dc);
    HBRUSH Background();
    void DrawCloseImage(const DRAWITEMSTRUCT& item);
    void ShowFields();
    void SetText(int id, const std::string& text);

    void Timer1_Timer();
    void FetchRelease();
    void ReleaseFetched(const std::optional<std::string>& body);
    void Update();
    void Command1_Click();
    void Command4_Click();
    void Image3_Click();
    void WinHttpDown1_HttpState(const std::string& fileSize, float percent, const std::string& speed,
                                const std::string& downloaded);
    void WinHttpDown1_StateChanged(std::int16_t state);

    HWND hwnd_ = nullptr;
    HWND tooltip_ = nullptr;
    UniqueFont font_;
    UniqueFont versionFont_;
    UniqueIcon bigIcon_;
    UniqueIcon smallIcon_;
    // The controls Layout made, in the order it makes them.
    std::vector<HWND> controls_;
    HBRUSH background_ = nullptr;
    Dpi dpi_;
    ReleaseFields fields_;
    ReleaseFetch fetch_;
    // Shared with the fetch's worker, which may outlive the window.
    struct Mailbox;
    std::shared_ptr<Mailbox> mailbox_;
    std::string label17_;  // save path
    std::string text6_;    // finished flag
    ProgressBar progressBar1_;
    WinInetDownload WinHttpDown1;
    WinUpdatePlatform platform_;
    ControlDownload download_{WinHttpDown1.control()};
    // What the buttons and the download do to the folder.
    UpdateFlow flow_;
};

}  // namespace tf
