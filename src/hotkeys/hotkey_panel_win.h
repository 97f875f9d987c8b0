// The hotkey panel of the main window: six capture boxes, the option buttons that switch between
// editing the hotkeys and using them, and the buttons cmdSave and cmdClose.
#pragma once

#include <array>
#include <functional>

#include "base/dpi.h"
#include "base/windows_api_win.h"
#include "hotkeys/hotkey_manager_win.h"
#include "hotkeys/hotkey_panel.h"
#include "hotkeys/ini_settings.h"

namespace tf {

// Control IDs; stable, so that tests can find and drive them.
enum HotkeyPanelControl : int {
    kIdOptSetHotKey = 4301,
    kIdOptTestHotKey,
    kIdCmdSave,
    kIdCmdClose,
    kIdLabel3,             // "Account-1 … Password-1"
    kIdLabel4,             // "Account-2 … Password-2"
    kIdTxtHotKey0 = 4310,  // boxes 0..5 follow in order
};

inline constexpr wchar_t kSetHotkeyCaption[] = L"Set hotkey";
inline constexpr wchar_t kConfirmSettingCaption[] = L"Confirm setting";

class HotkeyPanel {
public:
    // The manager, the settings file and the timer must outlive the panel.
    HotkeyPanel(cHotKey& manager, IniFile& ini, WindowTimer& timer1) : cHK_(manager), ini_(ini), timer1_(timer1) {}
    HotkeyPanel(const HotkeyPanel&) = delete;
    HotkeyPanel& operator=(const HotkeyPanel&) = delete;

    // Lays the panel out in `parent` from (x, y), `width` wide, at this scaling; returns the height it
    // took. The first call makes the controls, a later one (another scaling) moves them, keeping
    // the boxes' texts and the options' state.
    int Lay(HWND parent, int x, int y, int width, HFONT font, Dpi dpi);
    // Start of the main window: boxes from the settings file, disabled, and applied.
    void Start();

    // The main window's routing; false for controls that are not the panel's.
    bool OnCommand(int id, int code);
    bool OnDrawItem(const DRAWITEMSTRUCT& item);
    // The option buttons and row labels stand on the window's face colour.
    bool StandsOnFace(HWND control) const {
        return control == optSetHotKey_ || control == optTestHotKey_ || control == label3_ || control == label4_;
    }

    // cmdClose.
    void SetCloseHandler(std::function<void()> handler) { onClose_ = std::move(handler); }

    // The credential slot (1-4) a press of this manager entry types, if any.
    std::optional<int> SlotForPress(int hotKeyIndex) const { return SlotForEntry(entries_, hotKeyIndex); }
    const HotkeyBoxes& Boxes() const { return boxes_; }

    void txtHotKey_KeyDown(int index, int keyCode, int shift);

private:
    static LRESULT CALLBACK BoxProc(HWND box, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self);
    void ShowBox(int index);
    void optSetHotKey_Click();
    void optTestHotKey_Click();
    void cmdSave_Click();
    void ApplyHotKeys();
    bool Checked(HWND option) const;

    cHotKey& cHK_;
    IniFile& ini_;
    WindowTimer& timer1_;
    HotkeyBoxes boxes_;
    HotkeyEntries entries_{-1, -1, -1, -1, -1, -1};
    std::array<HWND, kHotkeyBoxCount> txtHotKey_{};
    HWND optSetHotKey_ = nullptr;
    HWND optTestHotKey_ = nullptr;
    HWND cmdSave_ = nullptr;
    HWND cmdClose_ = nullptr;
    HWND label3_ = nullptr;
    HWND label4_ = nullptr;
    // Where each row label draws its second word: over the column of the row's second box.
    int secondWordX_ = 0;
    std::function<void()> onClose_;
    // Which option button was selected last: a click on the selected one changes nothing.
    bool inUse_ = true;
    Dpi dpi_;
};

}  // namespace tf
