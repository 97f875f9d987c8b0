// The keys that type credentials into the page in front: F7-F10, held while a window of the watched
// browser is in front, and the six hotkey boxes of the panel on the main window with their manager,
// settings file and start timer.
#pragma once

#include <functional>
#include <string>

#include "autofill/credential_keys_win.h"
#include "autofill/watch_controller_win.h"
#include "base/dpi.h"
#include "base/owned_win.h"
#include "base/window_part_win.h"
#include "hotkeys/hotkey_manager_win.h"
#include "hotkeys/hotkey_panel_win.h"
#include "hotkeys/key_repeat.h"
#include "hotkeys/ini_file_win.h"
#include "records/record_grid.h"

namespace tf {

// Timer1: starts the hotkey listener.
inline constexpr UINT_PTR kTimer1 = 10;
// Looks at held credential keys until they are let go (see RepeatGuard).
inline constexpr UINT_PTR kKeyUpTimer = 12;
inline constexpr UINT kKeyUpPollMs = 30;

// F7-F10 are registered on the main window under these identifiers, in order, and type credential
// 1-4 of the page in front. They are held only while a window of the watched browser is in front:
// everywhere else they stay the other programs' keys (F7 spelling, F10 the menu bar).
inline constexpr int kFunctionKeyCount = 4;
inline constexpr int kFirstFunctionKeyId = 1;

class TypingController : public WindowPart {
public:
    // The watch and the records must outlive the controller; exit is the panel's close button.
    TypingController(WatchController& watch, const RecordGrid& grid, std::function<bool()> exit);
    ~TypingController() override;
    TypingController(const TypingController&) = delete;
    TypingController& operator=(const TypingController&) = delete;

    // Lays the hotkey panel into the window from (x, y), `width` wide: made at the first call, moved
    // at a later one (another scaling).
    void LayPanel(HWND window, int x, int y, int width, HFONT font, Dpi dpi);
    // At start: the hotkeys from the settings file, and the window told of every change of the
    // window in front.
    void Start();
    // Takes F7-F10 when a window of the watched browser is in front, and gives them back otherwise.
    void UpdateFunctionKeys();
    // Pastes credential 1-4 of the page in front into its focused field; when nothing is typed,
    // the hint says why for a few seconds.
    PressResult Press(int entry);
    // Before the program ends: a password pasted a moment ago does not stay on the clipboard.
    void Flush() { credentialKeys_.Flush(); }
    // The "url" setting of the settings file.
    std::string UrlSetting();

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void HotKeyWndProc(WPARAM identifier, LPARAM keys);
    // Whether a press of the key counts, rather than being an auto-repeat of a key held down.
    bool NewPress(int key);
    void LookForKeysUp();
    void Tell(const PressResult& result);

    WatchController& watch_;
    const RecordGrid& grid_;
    HWND window_ = nullptr;
    // The function keys and hotkeys: they read the page in front themselves at the press.
    CredentialKeys credentialKeys_;
    PrivateProfileIniFile ini_{IniPath(ProgramFolder())};
    WindowTimer timer1_{kTimer1, 10};
    cHotKey cHK_;
    HotkeyPanel panel_{cHK_, ini_, timer1_};
    UniqueBrush faceBrush_;
    bool functionKeysHeld_ = false;
    RepeatGuard repeats_;
    HWINEVENTHOOK foregroundHook_ = nullptr;
};

}  // namespace tf
