#include "records/generator_options_win.h"

#include <commctrl.h>

#include <algorithm>
#include <charconv>
#include <string>

#include "base/dialog_scaling_win.h"
#include "base/dpi_win.h"
#include "base/message_pump_win.h"
#include "base/program_look_win.h"
#include "base/window_helpers_win.h"
#include "controls/is_button_win.h"

namespace tf {
namespace {

// Layout at 96 dpi; scaled to the scaling of the monitor the window is on.
constexpr int kMargin = 16;
constexpr int kClientWidth = 300;
constexpr int kLabelWidth = 120;
constexpr int kLengthWidth = 64;
constexpr int kRowHeight = 23;
constexpr int kRowPitch = 29;
constexpr int kButtonWidth = 84;
constexpr int kButtonHeight = 28;
constexpr int kButtonsY = kMargin + 3 * kRowPitch + 8;

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

SIZE ClientSize(Dpi dpi) { return {dpi.Px(kClientWidth), dpi.Px(kButtonsY + kButtonHeight + kMargin)}; }

bool Checked(HWND box) { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }

}  // namespace

GeneratorOptionsWindow::~GeneratorOptionsWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
}

void GeneratorOptionsWindow::Layout() {
    const Dpi dpi = face_.dpi;
    HFONT font = face_.font.Get();
    const bool first = !length_;
    // Made the first time (in the order given) or moved to the present scaling later.
    const auto place = [&](HWND& control, DWORD exStyle, const wchar_t* cls, const wchar_t* text, DWORD style, int id,
                           int x, int y, int w, int h) {
        control = PlaceChild(first, control, hwnd_, exStyle, cls, text, style, id, x, y, w, h, font);
    };
    const int x = dpi.Px(kMargin);
    const int wide = dpi.Px(kClientWidth - 2 * kMargin);
    place(lengthLabel_, 0, L"STATIC", L"&Length (8-64):", SS_LEFT | SS_CENTERIMAGE, -1, x, dpi.Px(kMargin),
          dpi.Px(kLabelWidth), dpi.Px(kRowHeight));
    // The box at its full width: the spin takes its right end again below.
    place(length_, WS_EX_CLIENTEDGE, L"EDIT", L"", WS_TABSTOP | ES_NUMBER | ES_AUTOHSCROLL, kIdGeneratorLength,
          dpi.Px(kMargin + kLabelWidth), dpi.Px(kMargin), dpi.Px(kLengthWidth), dpi.Px(kRowHeight));
    if (first) {
        SendMessageW(length_, EM_SETLIMITTEXT, 2, 0);
        // The arrows and the Up and Down keys step the number; the spin keeps it inside the range.
        HWND spin = CreateChild(hwnd_, 0, UPDOWN_CLASSW, L"",
                                UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS,
                                kIdGeneratorLengthSpin, 0, 0, 0, 0, nullptr);
        SendMessageW(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(length_), 0);
        SendMessageW(spin, UDM_SETRANGE32, kGeneratedMinLength, kGeneratedMaxLength);
        SendMessageW(spin, UDM_SETPOS32, 0, options_->length);
    } else {
        // Setting the buddy again puts the spin at the box's right end and narrows the box for it.
        SendMessageW(GetDlgItem(hwnd_, kIdGeneratorLengthSpin), UDM_SETBUDDY, reinterpret_cast<WPARAM>(length_), 0);
    }
    place(symbols_, 0, L"BUTTON", L"Include &symbols  ! # $ % ...", WS_TABSTOP | BS_AUTOCHECKBOX, kIdGeneratorSymbols,
          x, dpi.Px(kMargin + kRowPitch), wide, dpi.Px(kRowHeight));
    place(noLookAlikes_, 0, L"BUTTON", L"Leave out &look-alikes  0 O 1 l I |", WS_TABSTOP | BS_AUTOCHECKBOX,
          kIdGeneratorNoLookAlikes, x, dpi.Px(kMargin + 2 * kRowPitch), wide, dpi.Px(kRowHeight));
    if (first) {
        SendMessageW(symbols_, BM_SETCHECK, options_->symbols ? BST_CHECKED : BST_UNCHECKED, 0);
        SendMessageW(noLookAlikes_, BM_SETCHECK, options_->noLookAlikes ? BST_CHECKED : BST_UNCHECKED, 0);
    }

    const int cancelX = dpi.Px(kClientWidth - kMargin - kButtonWidth);
    const int okX = cancelX - dpi.Px(kButtonWidth + 8);
    PlaceProgramButton(first, hwnd_, L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK, okX, dpi.Px(kButtonsY),
                       dpi.Px(kButtonWidth), dpi.Px(kButtonHeight), font);
    PlaceProgramButton(first, hwnd_, L"Cancel", WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL, cancelX, dpi.Px(kButtonsY),
                       dpi.Px(kButtonWidth), dpi.Px(kButtonHeight), font);
}

bool GeneratorOptionsWindow::ShowModal(HWND owner, GeneratorOptions& options) {
    if (hwnd_ || !face_.Ready(kGeneratorOptionsClass, OwnerWindowProc<GeneratorOptionsWindow>, DpiForNewWindow(owner)))
        return false;
    options_ = &options;
    accepted_ = false;
    owner_ = owner;
    const SIZE client = ClientSize(face_.dpi);
    hwnd_ = CreateCenteredWindow(kExStyle, kGeneratorOptionsClass, Widen(kGeneratorOptionsCaption), kStyle, client.cx,
                                 client.cy, owner, this, face_.dpi);
    if (!hwnd_) {
        options_ = nullptr;
        return false;
    }
    if (owner_) EnableWindow(owner_, FALSE);
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    SetFocus(length_);
    SendMessageW(length_, EM_SETSEL, 0, -1);
    if (!PumpUntil([this] { return hwnd_ == nullptr; }) && hwnd_) DestroyWindow(hwnd_);
    options_ = nullptr;
    return accepted_;
}

void GeneratorOptionsWindow::Unload() {
    // The owner is enabled before the window goes, so that it (not another program) is activated.
    if (owner_ && IsWindow(owner_)) EnableWindow(owner_, TRUE);
    if (hwnd_) DestroyWindow(hwnd_);
}

LRESULT GeneratorOptionsWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    // Moved onto a monitor of another scaling: the length typed and the checks stay.
    LRESULT scaled = 0;
    if (FaceScalingMessage(
            hwnd_, face_, msg, wParam, lParam, scaled, [this] { Layout(); },
            [this](Dpi dpi) { return ClientSize(dpi); }))
        return scaled;
    switch (msg) {
        case WM_COMMAND:
            if (HIWORD(wParam) != BN_CLICKED || !options_) return 0;
            if (LOWORD(wParam) == IDOK) {
                // An empty or unreadable box keeps the length the window opened with.
                const std::string typed = TextOf(length_);
                int length = options_->length;
                std::from_chars(typed.data(), typed.data() + typed.size(), length);
                *options_ = {std::clamp(length, kGeneratedMinLength, kGeneratedMaxLength), Checked(symbols_),
                             Checked(noLookAlikes_)};
                accepted_ = true;
                Unload();
            }
            if (LOWORD(wParam) == IDCANCEL) Unload();
            return 0;
        case WM_CTLCOLORSTATIC:
            SetTextColor(reinterpret_cast<HDC>(wParam), kLabelText);
            SetBkColor(reinterpret_cast<HDC>(wParam), kFaceColour);
            return reinterpret_cast<LRESULT>(face_.brush.Get());
        case WM_CLOSE:
            Unload();
            return 0;
        case WM_DESTROY:
            if (owner_ && IsWindow(owner_)) EnableWindow(owner_, TRUE);
            return 0;
        case WM_NCDESTROY:
            lengthLabel_ = length_ = symbols_ = noLookAlikes_ = nullptr;
            break;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

}  // namespace tf
