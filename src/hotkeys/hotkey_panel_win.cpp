#include "hotkeys/hotkey_panel_win.h"

#include <commctrl.h>

#include <string>

#include "base/controls_win.h"
#include "base/dialog_scaling_win.h"

namespace tf {
namespace {

// Each row label holds both of its words, 16 blanks apart; the row's first box covers the gap.
const std::wstring kRowGap(16, L' ');
const std::wstring kLabel3Caption = L"Account-1" + kRowGap + L"Password-1";
const std::wstring kLabel4Caption = L"Account-2" + kRowGap + L"Password-2";

// Layout at 96 dpi.
constexpr int kOptionHeight = 24;
constexpr int kWordWidth = 84;
constexpr int kBoxWidth = 190;
constexpr int kWideBoxWidth = 250;
constexpr int kBoxHeight = 24;
constexpr int kColumnGap = 16;
constexpr int kRowPitch = 32;
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 28;

int ModifierBits() {
    int bits = 0;
    if (GetKeyState(VK_SHIFT) < 0) bits |= kKeyDownShift;
    if (GetKeyState(VK_CONTROL) < 0) bits |= kKeyDownCtrl;
    if (GetKeyState(VK_MENU) < 0) bits |= kKeyDownAlt;
    return bits;
}

}  // namespace

int HotkeyPanel::Lay(HWND parent, int x, int y, int width, HFONT font, Dpi dpi) {
    dpi_ = dpi;
    const bool first = !optSetHotKey_;
    const DWORD boxStyle = WS_TABSTOP | ES_AUTOHSCROLL | ES_CENTER;
    const int optionH = dpi_.Px(kOptionHeight);
    if (optSetHotKey_) {
        MoveChild(optSetHotKey_, x, y, dpi_.Px(110), optionH, font);
    } else {
        optSetHotKey_ = CreateChild(parent, 0, L"BUTTON", kSetHotkeyCaption, WS_GROUP | WS_TABSTOP | BS_AUTORADIOBUTTON,
                                    kIdOptSetHotKey, x, y, dpi_.Px(110), optionH, font);
    }
    if (optTestHotKey_) {
        MoveChild(optTestHotKey_, x + dpi_.Px(120), y, dpi_.Px(150), optionH, font);
    } else {
        optTestHotKey_ = CreateChild(parent, 0, L"BUTTON", kConfirmSettingCaption, BS_AUTORADIOBUTTON, kIdOptTestHotKey,
                                     x + dpi_.Px(120), y, dpi_.Px(150), optionH, font);
        // Selected from the start: the hotkeys are in use.
        SendMessageW(optTestHotKey_, BM_SETCHECK, BST_CHECKED, 0);
    }

    const int firstBoxX = x + dpi_.Px(kWordWidth);
    const int secondBoxX = firstBoxX + dpi_.Px(kBoxWidth + kColumnGap + kWordWidth);
    const int boxH = dpi_.Px(kBoxHeight);
    secondWordX_ = dpi_.Px(kWordWidth + kBoxWidth + kColumnGap);
    const auto layBox = [&](int i, int boxX, int boxY, int boxW) {
        HWND& box = txtHotKey_[static_cast<std::size_t>(i)];
        if (box) {
            MoveChild(box, boxX, boxY, boxW, boxH, font);
        } else {
            box = CreateChild(parent, WS_EX_CLIENTEDGE, L"EDIT", L"", WS_GROUP | boxStyle, kIdTxtHotKey0 + i, boxX,
                              boxY, boxW, boxH, font);
        }
    };
    int rowY = y + dpi_.Px(34);
    for (int row = 0; row < 2; ++row) {
        // The boxes first: siblings made earlier lie on top, and the label under them is clipped.
        for (int column = 0; column < 2; ++column) {
            layBox(row * 2 + column, column == 0 ? firstBoxX : secondBoxX, rowY, dpi_.Px(kBoxWidth));
        }
        HWND& label = row == 0 ? label3_ : label4_;
        if (label) {
            MoveChild(label, x, rowY, secondBoxX - x, boxH, font);
        } else {
            label = CreateChild(parent, 0, L"STATIC", row == 0 ? kLabel3Caption.c_str() : kLabel4Caption.c_str(),
                                SS_OWNERDRAW | WS_CLIPSIBLINGS, row == 0 ? kIdLabel3 : kIdLabel4, x, rowY,
                                secondBoxX - x, boxH, font);
        }
        rowY += dpi_.Px(kRowPitch);
    }
    // Boxes 4 and 5 stand apart, lower and wider, with no caption.
    rowY += dpi_.Px(12);
    for (int i = 4; i < kHotkeyBoxCount; ++i) {
        layBox(i, firstBoxX + (i - 4) * dpi_.Px(kWideBoxWidth + kColumnGap), rowY, dpi_.Px(kWideBoxWidth));
    }
    if (first) {
        for (int i = 0; i < kHotkeyBoxCount; ++i) {
            SetWindowSubclass(txtHotKey_[static_cast<std::size_t>(i)], BoxProc, static_cast<UINT_PTR>(i),
                              reinterpret_cast<DWORD_PTR>(this));
            ShowBox(i);
        }
    }

    const int buttonX = x + width - dpi_.Px(kButtonWidth);
    const int buttonW = dpi_.Px(kButtonWidth);
    const int buttonH = dpi_.Px(kButtonHeight);
    if (cmdSave_) {
        MoveChild(cmdSave_, buttonX, y + dpi_.Px(34), buttonW, buttonH, font);
    } else {
        cmdSave_ = CreateChild(parent, 0, L"BUTTON", L"Save", WS_GROUP | WS_TABSTOP | BS_PUSHBUTTON, kIdCmdSave,
                               buttonX, y + dpi_.Px(34), buttonW, buttonH, font);
    }
    if (cmdClose_) {
        MoveChild(cmdClose_, buttonX, y + dpi_.Px(34 + kRowPitch + 4), buttonW, buttonH, font);
    } else {
        cmdClose_ = CreateChild(parent, 0, L"BUTTON", L"Close", WS_TABSTOP | BS_PUSHBUTTON, kIdCmdClose, buttonX,
                                y + dpi_.Px(34 + kRowPitch + 4), buttonW, buttonH, font);
    }
    return rowY + boxH - y;
}

void HotkeyPanel::Start() {
    boxes_ = LoadHotKeys(ini_);
    for (int i = 0; i < kHotkeyBoxCount; ++i) ShowBox(i);
    optSetHotKey_Click();
    ApplyHotKeys();
    // In use: nothing to save until the user edits.
    EnableWindow(cmdSave_, FALSE);
}

void HotkeyPanel::ShowBox(int index) {
    SetWindowTextW(txtHotKey_[static_cast<std::size_t>(index)],
                   Widen(boxes_[static_cast<std::size_t>(index)].text).c_str());
}

void HotkeyPanel::txtHotKey_KeyDown(int index, int keyCode, int shift) {
    if (index < 0 || index >= kHotkeyBoxCount) return;
    boxes_[static_cast<std::size_t>(index)] = HotkeyBoxAfterKeyDown(keyCode, shift);
    ShowBox(index);
}

bool HotkeyPanel::Checked(HWND option) const { return SendMessageW(option, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void HotkeyPanel::optSetHotKey_Click() {
    const bool editing = Checked(optSetHotKey_);
    if (editing) {
        EnableWindow(cmdSave_, FALSE);
        SendMessageW(optTestHotKey_, BM_SETCHECK, BST_UNCHECKED, 0);
    }
    for (HWND box : txtHotKey_) EnableWindow(box, editing);
    cHK_.ClsAllHotKey();
    entries_.fill(-1);
    EnableWindow(cmdSave_, TRUE);
    inUse_ = !editing;
}

void HotkeyPanel::optTestHotKey_Click() {
    if (Checked(optTestHotKey_)) {
        EnableWindow(cmdSave_, TRUE);
        SendMessageW(optSetHotKey_, BM_SETCHECK, BST_UNCHECKED, 0);
    }
    cmdSave_Click();
    optSetHotKey_Click();
    ApplyHotKeys();
    EnableWindow(cmdSave_, FALSE);
}

void HotkeyPanel::cmdSave_Click() { SaveHotKeys(ini_, boxes_); }

void HotkeyPanel::ApplyHotKeys() {
    entries_ = tf::ApplyHotKeys(boxes_, cHK_.List());
    // A refused box shows "null"; the settings file keeps its value until the next save.
    for (int i = 0; i < kHotkeyBoxCount; ++i) ShowBox(i);
    cHK_.StartHotKeys(timer1_);
}

bool HotkeyPanel::OnCommand(int id, int code) {
    if (id >= kIdTxtHotKey0 && id < kIdTxtHotKey0 + kHotkeyBoxCount) return true;
    if (code != BN_CLICKED)
        return id == kIdOptSetHotKey || id == kIdOptTestHotKey || id == kIdCmdSave || id == kIdCmdClose;
    switch (id) {
        case kIdOptSetHotKey:
            // A click on the option already selected changes nothing.
            if (inUse_ && Checked(optSetHotKey_)) optSetHotKey_Click();
            return true;
        case kIdOptTestHotKey:
            if (!inUse_ && Checked(optTestHotKey_)) optTestHotKey_Click();
            return true;
        case kIdCmdSave:
            cmdSave_Click();
            return true;
        case kIdCmdClose:
            if (onClose_) onClose_();
            return true;
        default:
            return false;
    }
}

bool HotkeyPanel::OnDrawItem(const DRAWITEMSTRUCT& item) {
    if (item.CtlType != ODT_STATIC || (item.hwndItem != label3_ && item.hwndItem != label4_)) return false;
    HWND parent = GetParent(item.hwndItem);
    auto brush = reinterpret_cast<HBRUSH>(SendMessageW(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(item.hDC),
                                                       reinterpret_cast<LPARAM>(item.hwndItem)));
    FillRect(item.hDC, &item.rcItem, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
    std::wstring caption(static_cast<std::size_t>(GetWindowTextLengthW(item.hwndItem)) + 1, L'\0');
    caption.resize(
        static_cast<std::size_t>(GetWindowTextW(item.hwndItem, caption.data(), static_cast<int>(caption.size()))));
    // The two words in their columns: the first at the left, the second over the second box's label.
    const std::size_t gap = caption.find(kRowGap);
    const std::wstring first = gap == std::wstring::npos ? caption : caption.substr(0, gap);
    const std::wstring second = gap == std::wstring::npos ? L"" : caption.substr(gap + kRowGap.size());
    auto font = reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0));
    HGDIOBJ oldFont = font ? SelectObject(item.hDC, font) : nullptr;
    SetBkMode(item.hDC, TRANSPARENT);
    RECT left = item.rcItem;
    DrawTextW(item.hDC, first.c_str(), static_cast<int>(first.size()), &left,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    RECT right = item.rcItem;
    right.left += secondWordX_;
    DrawTextW(item.hDC, second.c_str(), static_cast<int>(second.size()), &right,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (oldFont) SelectObject(item.hDC, oldFont);
    return true;
}

LRESULT CALLBACK HotkeyPanel::BoxProc(HWND box, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR index,
                                      DWORD_PTR self) {
    auto* panel = reinterpret_cast<HotkeyPanel*>(self);
    switch (msg) {
        case WM_GETDLGCODE: {
            // Every key belongs to the box, except a plain Tab, which still moves on.
            const auto* key = reinterpret_cast<const MSG*>(lParam);
            const bool plainTab = key && key->message == WM_KEYDOWN && key->wParam == VK_TAB &&
                                  GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0;
            if (plainTab) break;
            return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS;
        }
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            panel->txtHotKey_KeyDown(static_cast<int>(index), static_cast<int>(wParam), ModifierBits());
            return 0;
        // The box is locked: nothing typed, pasted or undone changes its text, and Alt does not
        // open the window menu.
        case WM_KEYUP:
        case WM_SYSKEYUP:
        case WM_CHAR:
        case WM_SYSCHAR:
        case WM_DEADCHAR:
        case WM_SYSDEADCHAR:
        case WM_PASTE:
        case WM_CUT:
        case WM_CLEAR:
        case WM_UNDO:
        case EM_UNDO:
        case WM_CONTEXTMENU:
            return 0;
        case WM_NCDESTROY:
            RemoveWindowSubclass(box, BoxProc, index);
            break;
        default:
            break;
    }
    return DefSubclassProc(box, msg, wParam, lParam);
}

}  // namespace tf
