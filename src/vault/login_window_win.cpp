#include "vault/login_window_win.h"

#include "base/controls_win.h"
#include "base/dialog_scaling_win.h"
#include "base/dpi_win.h"
#include "base/message_pump_win.h"
#include "base/program_look_win.h"
#include "base/wipe.h"

#include <algorithm>
#include <string>

#include "controls/is_button_win.h"
#include "base/window_helpers_win.h"

namespace tf {
namespace {

// Layout at 96 dpi; scaled to the scaling of the monitor the window is on.
constexpr int kMargin = 16;
constexpr int kClientWidth = 340;
constexpr int kBoxHeight = 23;
constexpr int kButtonWidth = 84;
constexpr int kButtonHeight = 28;

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

SIZE ClientSize(Dpi dpi) { return {dpi.Px(kClientWidth), dpi.Px(kMargin + kBoxHeight + 14 + kButtonHeight + kMargin)}; }

}  // namespace

LoginWindow::~LoginWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
}

bool LoginWindow::Create(HWND owner) {
    if (!face_.Ready(kLoginWindowClass, OwnerWindowProc<LoginWindow>, DpiForNewWindow(owner))) return false;

    const SIZE client = ClientSize(face_.dpi);
    hwnd_ = CreateCenteredWindow(kExStyle, kLoginWindowClass, Widen(kLoginCaption), kStyle, client.cx, client.cy, owner,
                                 this, face_.dpi);
    return hwnd_ != nullptr;
}

void LoginWindow::Layout() {
    const Dpi dpi = face_.dpi;
    HFONT font = face_.font.Get();
    const bool first = !password_;
    const int inner = dpi.Px(kClientWidth - 2 * kMargin);
    if (first) {
        password_ = CreateChild(hwnd_, WS_EX_CLIENTEDGE, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL | ES_PASSWORD,
                                kIdLoginPassword, dpi.Px(kMargin), dpi.Px(kMargin), inner, dpi.Px(kBoxHeight), font);
        SendMessageW(password_, EM_SETPASSWORDCHAR, L'*', 0);
    } else {
        MoveChild(password_, dpi.Px(kMargin), dpi.Px(kMargin), inner, dpi.Px(kBoxHeight), font);
    }
    const int buttonsY = dpi.Px(kMargin + kBoxHeight + 14);
    const int cancelX = dpi.Px(kClientWidth - kMargin - kButtonWidth);
    const int okX = cancelX - dpi.Px(kButtonWidth + 8);
    PlaceProgramButton(first, hwnd_, L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK, okX, buttonsY, dpi.Px(kButtonWidth),
                       dpi.Px(kButtonHeight), font);
    PlaceProgramButton(first, hwnd_, L"Cancel", WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL, cancelX, buttonsY,
                       dpi.Px(kButtonWidth), dpi.Px(kButtonHeight), font);
}

bool LoginWindow::ShowModal(HWND owner, Session& session) {
    if (hwnd_) {
        // Asked for again while it is open (a second click on the icon): one prompt is enough.
        ForceForegroundWindow(hwnd_);
        SetFocus(password_);
        return false;
    }
    if (!Create(owner)) return false;
    OpenLoginPrompt(session);
    session_ = &session;
    owner_ = owner;
    // Loaded: in the topmost band, so that no browser window hides it.
    SetTopMost(hwnd_, true);
    if (owner_) EnableWindow(owner_, FALSE);
    ShowWindow(hwnd_, SW_SHOW);
    ForceForegroundWindow(hwnd_);
    SetFocus(password_);

    // The caller's code goes on only when the prompt is gone. Other windows of the program keep
    // receiving their messages meanwhile.
    if (!PumpUntil([this] { return hwnd_ == nullptr; }) && hwnd_) {
        // The program is ending: leave the prompt; the outer loop sees the quit too.
        DestroyWindow(hwnd_);
    }
    session_ = nullptr;
    return true;
}

bool LoginWindow::ShowUnlock(HWND owner, Session& session, const std::string& notice, const PasswordTry& tryPassword) {
    if (!notice.empty()) MessageBoxW(owner, Widen(notice).c_str(), kProgramTitle, MB_OK | MB_ICONINFORMATION);
    tryPassword_ = tryPassword;
    const bool shown = ShowModal(owner, session);
    tryPassword_ = nullptr;
    return shown && session.LoginAccepted;
}

void LoginWindow::btnOK_Click() {
    std::string typed = TextOf(password_);
    std::string failure;
    const VaultLock::Unlocked verdict = tryPassword_                        ? tryPassword_(typed, failure)
                                        : PasswordMatches(typed, *session_) ? VaultLock::Unlocked::kOpened
                                                                            : VaultLock::Unlocked::kWrongPassword;
    WipeString(typed);
    if (verdict != VaultLock::Unlocked::kWrongPassword) {
        // A vault that cannot be opened at all is not the password's fault: the prompt ends and
        // the caller says why.
        session_->LoginAccepted = verdict == VaultLock::Unlocked::kOpened;
        Unload();
        return;
    }
    MessageBoxW(hwnd_, Widen(kPasswordIncorrect).c_str(), kProgramTitle, MB_OK | MB_ICONINFORMATION);
    if (!hwnd_) return;
    SendMessageW(password_, EM_SETSEL, 0, -1);
    SetFocus(password_);
}

void LoginWindow::btnCancel_Click() {
    session_->LoginAccepted = false;
    Unload();
}

void LoginWindow::Unload() {
    if (!hwnd_) return;
    SetTopMost(hwnd_, false);
    // The owner is enabled before the prompt goes, so that it (not another program) is activated.
    if (owner_ && IsWindow(owner_)) EnableWindow(owner_, TRUE);
    DestroyWindow(hwnd_);
}

LRESULT LoginWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    // Moved onto a monitor of another scaling: the typed password stays in its box.
    LRESULT scaled = 0;
    if (FaceScalingMessage(
            hwnd_, face_, msg, wParam, lParam, scaled, [this] { Layout(); },
            [this](Dpi dpi) { return ClientSize(dpi); }))
        return scaled;
    switch (msg) {
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED && session_) {
                if (LOWORD(wParam) == IDOK) btnOK_Click();
                if (LOWORD(wParam) == IDCANCEL) btnCancel_Click();
            }
            return 0;
        case WM_CTLCOLORSTATIC:
            SetBkColor(reinterpret_cast<HDC>(wParam), kFaceColour);
            return reinterpret_cast<LRESULT>(face_.brush.Get());
        case WM_CLOSE:
            // The caption's close button counts as Cancel.
            if (session_) {
                btnCancel_Click();
            } else {
                Unload();
            }
            return 0;
        case WM_DESTROY:
            if (owner_ && IsWindow(owner_)) EnableWindow(owner_, TRUE);
            return 0;
        case WM_NCDESTROY:
            password_ = nullptr;
            break;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

}  // namespace tf
