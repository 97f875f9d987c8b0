#include "vault/config_window_win.h"

#include "base/controls_win.h"
#include "base/dialog_scaling_win.h"
#include "base/dpi_win.h"
#include "base/program_look_win.h"
#include "vault/vault_lock.h"

#include <algorithm>
#include <string>

#include "controls/is_button_win.h"
#include "base/window_helpers_win.h"

namespace tf {
namespace {

constexpr const wchar_t* kBoxLabels[kConfigPasswordBoxes] = {L"Old Password", L"New Password", L"Confirm Password"};

// Layout at 96 dpi; scaled to the scaling of the monitor the window is on.
constexpr int kMargin = 14;
constexpr int kClientWidth = 380;
constexpr int kFrameTop = 10;
constexpr int kFramePadding = 14;
constexpr int kFrameCaption = 16;
constexpr int kLabelWidth = 120;
constexpr int kBoxHeight = 23;
constexpr int kRowPitch = 31;
constexpr int kCheckHeight = 22;
constexpr int kButtonWidth = 84;
constexpr int kButtonHeight = 28;

// No WS_CLIPCHILDREN: the group box paints only its frame, so its inside is the window's own
// background, which clipping would leave unpainted.
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

bool Ticked(HWND box) { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }

int FrameHeight() { return kFrameCaption + kConfigPasswordBoxes * kRowPitch + kFramePadding - 8; }

}  // namespace

ConfigWindow::~ConfigWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
}

int ConfigWindow::CheckRows() const { return protection_ ? 3 : 2; }

SIZE ConfigWindow::ClientSize(Dpi dpi) const {
    const int height = kFrameTop + FrameHeight() + 10 + CheckRows() * kCheckHeight + 12 + kButtonHeight + kMargin;
    return {dpi.Px(kClientWidth), dpi.Px(height)};
}

bool ConfigWindow::Create(HWND owner) {
    if (!face_.Ready(kConfigWindowClass, OwnerWindowProc<ConfigWindow>, DpiForNewWindow(owner))) return false;

    const SIZE client = ClientSize(face_.dpi);
    hwnd_ = CreateCenteredWindow(kExStyle, kConfigWindowClass, Widen(kConfigCaption), kStyle, client.cx, client.cy,
                                 owner, this, face_.dpi);
    return hwnd_ != nullptr;
}

void ConfigWindow::Layout() {
    const Dpi dpi = face_.dpi;
    HFONT font = face_.font.Get();
    const bool first = !boxes_[0];
    // Made the first time (in the order given) or moved to the present scaling later.
    const auto place = [&](HWND& control, DWORD exStyle, const wchar_t* cls, const wchar_t* text, DWORD style, int id,
                           int x, int y, int w, int h) {
        control = PlaceChild(first, control, hwnd_, exStyle, cls, text, style, id, x, y, w, h, font);
    };
    const int frameX = dpi.Px(kMargin);
    const int frameW = dpi.Px(kClientWidth - 2 * kMargin);
    // Creation order is the Tab order: the three boxes, the check boxes, OK and Cancel. The
    // frame comes first so that the boxes lie above it.
    HWND frame = GetDlgItem(hwnd_, kIdConfigFrame);
    place(frame, 0, L"BUTTON", L"Set the login password", BS_GROUPBOX, kIdConfigFrame, frameX, dpi.Px(kFrameTop),
          frameW, dpi.Px(FrameHeight()));
    const int labelX = frameX + dpi.Px(kFramePadding);
    const int boxX = labelX + dpi.Px(kLabelWidth);
    const int boxW = frameX + frameW - dpi.Px(kFramePadding) - boxX;
    for (int i = 0; i < kConfigPasswordBoxes; ++i) {
        const int y = dpi.Px(kFrameTop + kFrameCaption + i * kRowPitch);
        HWND label = GetDlgItem(hwnd_, kIdConfigLabel0 + i);
        place(label, 0, L"STATIC", kBoxLabels[i], SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX, kIdConfigLabel0 + i, labelX,
              y, dpi.Px(kLabelWidth - 8), dpi.Px(kBoxHeight));
        HWND& box = boxes_[static_cast<std::size_t>(i)];
        place(box, WS_EX_CLIENTEDGE, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL | ES_PASSWORD, kIdConfigPassword0 + i,
              boxX, y, boxW, dpi.Px(kBoxHeight));
        if (first) SendMessageW(box, EM_SETPASSWORDCHAR, L'*', 0);
    }

    const int checkX = frameX + dpi.Px(4);
    const int checkW = frameW - dpi.Px(4);
    const int checkY = dpi.Px(kFrameTop + FrameHeight() + 10);
    place(remember_, 0, L"BUTTON", L"Remember Access Password ", WS_TABSTOP | BS_AUTOCHECKBOX, kIdConfigRemember,
          checkX, checkY, checkW, dpi.Px(kCheckHeight));
    place(runOnStart_, 0, L"BUTTON", L"Auto start", WS_TABSTOP | BS_AUTOCHECKBOX, kIdConfigRunOnStart, checkX,
          checkY + dpi.Px(kCheckHeight), checkW, dpi.Px(kCheckHeight));
    if (protection_)
        place(protect_, 0, L"BUTTON", Widen(kProtectCheckText).c_str(), WS_TABSTOP | BS_AUTOCHECKBOX, kIdConfigProtect,
              checkX, checkY + dpi.Px(2 * kCheckHeight), checkW, dpi.Px(kCheckHeight));

    const int buttonsY = checkY + dpi.Px(CheckRows() * kCheckHeight + 12);
    const int cancelX = frameX + frameW - dpi.Px(kButtonWidth);
    const int okX = cancelX - dpi.Px(kButtonWidth + 8);
    PlaceProgramButton(first, hwnd_, L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK, okX, buttonsY, dpi.Px(kButtonWidth),
                       dpi.Px(kButtonHeight), font);
    PlaceProgramButton(first, hwnd_, L"Cancel", WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL, cancelX, buttonsY,
                       dpi.Px(kButtonWidth), dpi.Px(kButtonHeight), font);
}

void ConfigWindow::Load() {
    const ConfigForm opening = ConfigOpeningForm(*store_, protection_);
    passwordTouched_ = opening.passwordTouched;
    runOnStartTouched_ = opening.runOnStartTouched;
    rememberTouched_ = opening.rememberTouched;
    if (opening.runOnStartChecked) SendMessageW(runOnStart_, BM_SETCHECK, BST_CHECKED, 0);
    if (opening.rememberChecked) SendMessageW(remember_, BM_SETCHECK, BST_CHECKED, 0);
    protectTouched_ = false;
    if (protect_ && opening.protectChecked) SendMessageW(protect_, BM_SETCHECK, BST_CHECKED, 0);
}

void ConfigWindow::ShowConfig(HWND owner, Session& session, SettingsStore& store, VaultProtection* protection) {
    if (!hwnd_) {
        session_ = &session;
        store_ = &store;
        protection_ = protection;
        if (!Create(owner)) return;
        Load();
        ShowWindow(hwnd_, SW_SHOW);
        SetFocus(boxes_[0]);
    }
    ForceForegroundWindow(hwnd_);
    BringWindowToTop(hwnd_);
}

void ConfigWindow::Close() {
    if (hwnd_) DestroyWindow(hwnd_);
}

ConfigForm ConfigWindow::Collect() const {
    ConfigForm form;
    form.oldPassword = TextOf(boxes_[0]);
    form.newPassword = TextOf(boxes_[1]);
    form.confirmPassword = TextOf(boxes_[2]);
    form.rememberChecked = Ticked(remember_);
    form.runOnStartChecked = Ticked(runOnStart_);
    form.passwordTouched = passwordTouched_;
    form.runOnStartTouched = runOnStartTouched_;
    form.rememberTouched = rememberTouched_;
    form.protectChecked = protect_ && Ticked(protect_);
    form.protectTouched = protectTouched_;
    return form;
}

void ConfigWindow::btnOK_Click() {
    ConfigOutcome outcome = ApplyConfig(Collect(), *session_, *store_, protection_);
    if (outcome.refusal) {
        MessageBoxW(hwnd_, Widen(*outcome.refusal).c_str(), kProgramTitle, MB_OK | MB_ICONEXCLAMATION);
        if (hwnd_ && outcome.focusBox >= 0 && outcome.focusBox < kConfigPasswordBoxes) {
            SetFocus(boxes_[static_cast<std::size_t>(outcome.focusBox)]);
        }
        return;
    }
    if (outcome.passwordChanged) {
        MessageBoxW(hwnd_, Widen(kPasswordChanged).c_str(), kProgramTitle, MB_OK | MB_ICONINFORMATION);
    }
    // A setting the registry refused is said, never passed over: OK only, like the earlier version.
    for (const std::string& failure : outcome.failures) {
        MessageBoxW(hwnd_, Widen(failure).c_str(), kProgramTitle, MB_OK);
    }
    Close();
}

void ConfigWindow::OnCommand(int id, int code) {
    if (id >= kIdConfigPassword0 && id < kIdConfigPassword0 + kConfigPasswordBoxes) {
        if (code == EN_CHANGE) passwordTouched_ = true;
        return;
    }
    if (code != BN_CLICKED) return;
    switch (id) {
        case kIdConfigRemember:
            rememberTouched_ = true;
            break;
        case kIdConfigRunOnStart:
            runOnStartTouched_ = true;
            break;
        case kIdConfigProtect:
            // Asked once, as the box is unticked: the file will be readable by anyone.
            if (protection_ && protection_->lock.Protected() && !Ticked(protect_) &&
                MessageBoxW(hwnd_, Widen(kUnprotectQuestion).c_str(), kProgramTitle,
                            MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) != IDYES) {
                if (protect_) SendMessageW(protect_, BM_SETCHECK, BST_CHECKED, 0);
                break;
            }
            protectTouched_ = true;
            break;
        case IDOK:
            btnOK_Click();
            break;
        case IDCANCEL:
            Close();
            break;
        default:
            break;
    }
}

LRESULT ConfigWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    // Moved onto a monitor of another scaling: the boxes keep what is typed, the checks their state.
    LRESULT scaled = 0;
    if (FaceScalingMessage(
            hwnd_, face_, msg, wParam, lParam, scaled, [this] { Layout(); },
            [this](Dpi dpi) { return ClientSize(dpi); }))
        return scaled;
    switch (msg) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            SetBkColor(reinterpret_cast<HDC>(wParam), kFaceColour);
            return reinterpret_cast<LRESULT>(face_.brush.Get());
        case WM_CLOSE:
            Close();
            return 0;
        case WM_NCDESTROY:
            boxes_.fill(nullptr);
            remember_ = runOnStart_ = protect_ = nullptr;
            break;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

}  // namespace tf
