// frmLogin: the master-password prompt. It is modal: the owner stays disabled and the caller
// waits until the prompt closes, then reads the session's LoginAccepted.
#pragma once

#include "base/dpi.h"
#include "base/owned_win.h"
#include "base/controls_win.h"
#include "base/windows_api_win.h"
#include "vault/settings.h"
#include "vault/vault_lock.h"

#include <functional>
#include <string>

namespace tf {

inline constexpr wchar_t kLoginWindowClass[] = L"TamborvinFormLogin";

// Control IDs of the prompt; OK and Cancel are IDOK and IDCANCEL, which Enter and Escape send.
enum LoginControl : int {
    kIdLoginPassword = 4001,  // txtPassword
};

class LoginWindow {
public:
    LoginWindow() = default;
    ~LoginWindow();
    LoginWindow(const LoginWindow&) = delete;
    LoginWindow& operator=(const LoginWindow&) = delete;

    // Shows the prompt over the owner and returns when it has closed; OK with the right password
    // sets session.LoginAccepted, Cancel clears it. Only one prompt at a time: while one is open
    // a second call brings it to the front and returns false at once (LoginAccepted untouched).
    bool ShowModal(HWND owner, Session& session);
    // The same at start, for a protected vault: each OK tries the typed password on the vault.
    // The notice, when there is one, is said before the prompt shows. True when one opened it.
    using PasswordTry = std::function<VaultLock::Unlocked(const std::string& typed, std::string& failure)>;
    bool ShowUnlock(HWND owner, Session& session, const std::string& notice, const PasswordTry& tryPassword);
    bool IsOpen() const { return hwnd_ != nullptr; }
    HWND Handle() const { return hwnd_; }

private:
    template <class Owner>
    friend LRESULT CALLBACK OwnerWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    bool Create(HWND owner);
    // Creates the controls the first time, moves them to the present scaling afterwards.
    void Layout();
    void btnOK_Click();
    void btnCancel_Click();
    void Unload();

    Session* session_ = nullptr;
    PasswordTry tryPassword_;
    HWND owner_ = nullptr;
    HWND hwnd_ = nullptr;
    HWND password_ = nullptr;
    DialogFace face_;
};

}  // namespace tf
