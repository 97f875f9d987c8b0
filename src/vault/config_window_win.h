// frmConfig: the settings window. It shows and collects the boxes and the touched flags; what OK
// applies, and in which order, is the core's (ApplyConfig in settings.h).
#pragma once

#include <array>

#include "base/dpi.h"
#include "base/owned_win.h"
#include "base/controls_win.h"
#include "base/windows_api_win.h"
#include "vault/settings.h"

namespace tf {

inline constexpr wchar_t kConfigWindowClass[] = L"TamborvinFormConfig";

// Control IDs of the settings window; OK and Cancel are IDOK and IDCANCEL.
enum ConfigControl : int {
    kIdConfigPassword0 = 4101,   // txtPassword(0) "Old Password"; (1) 4102 new, (2) 4103 confirm
    kIdConfigRemember = 4104,    // chkRememberPwd
    kIdConfigRunOnStart = 4105,  // chkRunOnStart
    kIdConfigProtect = 4106,     // protect the vault with the master password
    kIdConfigFrame = 4110,       // "Set the login password"
    kIdConfigLabel0 = 4111,      // the boxes' labels, 4111 .. 4113
};

inline constexpr int kConfigPasswordBoxes = 3;

class ConfigWindow {
public:
    ConfigWindow() = default;
    ~ConfigWindow();
    ConfigWindow(const ConfigWindow&) = delete;
    ConfigWindow& operator=(const ConfigWindow&) = delete;

    // Opens the window modeless, owned by the owner, and brings it to the top; one already open
    // is only brought to the top. The session, store and protection must outlive the window;
    // without a protection the window has no protection box.
    void ShowConfig(HWND owner, Session& session, SettingsStore& store, VaultProtection* protection = nullptr);
    void Close();
    bool IsOpen() const { return hwnd_ != nullptr; }
    HWND Handle() const { return hwnd_; }

private:
    template <class Owner>
    friend LRESULT CALLBACK OwnerWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    bool Create(HWND owner);
    SIZE ClientSize(Dpi dpi) const;
    // Creates the controls the first time, moves them to the present scaling afterwards.
    void Layout();
    void Load();
    int CheckRows() const;
    ConfigForm Collect() const;
    void OnCommand(int id, int code);
    void btnOK_Click();

    Session* session_ = nullptr;
    SettingsStore* store_ = nullptr;
    VaultProtection* protection_ = nullptr;
    // Form-level flags, cleared when the window loads.
    bool passwordTouched_ = false;
    bool runOnStartTouched_ = false;
    bool rememberTouched_ = false;
    bool protectTouched_ = false;
    HWND hwnd_ = nullptr;
    std::array<HWND, kConfigPasswordBoxes> boxes_{};
    HWND remember_ = nullptr;
    HWND runOnStart_ = nullptr;
    HWND protect_ = nullptr;
    DialogFace face_;
};

}  // namespace tf
