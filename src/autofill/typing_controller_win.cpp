#include "autofill/typing_controller_win.h"

#include <utility>
#include <vector>

#include "base/file_system.h"
#include "base/program_look_win.h"

namespace tf {
namespace {

// Asks the window to look at the window in front again.
constexpr UINT kForegroundChanged = WM_APP + 11;
// The window told of changes of the window in front; the hook's callback has no data of its own.
HWND foregroundListener = nullptr;

void CALLBACK ForegroundChanged(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD) {
    if (foregroundListener) PostMessageW(foregroundListener, kForegroundChanged, 0, 0);
}

}  // namespace

TypingController::TypingController(WatchController& watch, const RecordGrid& grid, std::function<bool()> exit)
    : watch_(watch), grid_(grid), credentialKeys_(watch.Windows(), watch.Reader()) {
    panel_.SetCloseHandler([exit = std::move(exit)] { exit(); });
}

TypingController::~TypingController() {
    if (foregroundHook_) UnhookWinEvent(foregroundHook_);
    foregroundListener = nullptr;
}

void TypingController::LayPanel(HWND window, int x, int y, int width, HFONT font, Dpi dpi) {
    window_ = window;
    if (!faceBrush_) faceBrush_.Reset(CreateSolidBrush(kFaceColour));
    panel_.Lay(window, x, y, width, font, dpi);
}

void TypingController::Start() {
    cHK_.frmHwnd(window_);
    timer1_.SetWindow(window_);
    cHK_.SetHotKeyPressHandler([this](const HotkeyPress& press) {
        // Through the box that registered it: an empty box in front does not shift the others.
        if (auto slot = panel_.SlotForPress(press.index); slot && NewPress(press.key)) Press(*slot);
    });
    panel_.Start();
    // Told of every change of the window in front, without a hook inside other programs.
    foregroundListener = window_;
    foregroundHook_ = SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, ForegroundChanged, 0,
                                      0, WINEVENT_OUTOFCONTEXT);
}

std::string TypingController::UrlSetting() { return ReadUrlSetting(ini_); }

void TypingController::UpdateFunctionKeys() {
    const auto watched = watch_.Watch().RunningTimer();
    const bool wanted = watched && watch_.Windows().IsBrowserWindow(ReaderName(*watched), GetForegroundWindow());
    if (wanted == functionKeysHeld_ || !window_) return;
    functionKeysHeld_ = wanted;
    for (int i = 0; i < kFunctionKeyCount; ++i) {
        // A key another program holds simply does not work here.
        if (wanted) {
            // Once per press: a key held down does not type the credential again at every repeat.
            RegisterHotKey(window_, kFirstFunctionKeyId + i, MOD_NOREPEAT, VK_F7 + i);
        } else {
            UnregisterHotKey(window_, kFirstFunctionKeyId + i);
        }
    }
}

bool TypingController::NewPress(int key) {
    if (!repeats_.Counts(key)) return false;
    // Queued repeats of this press come before the timer's first look, which is put off while
    // other messages wait.
    SetTimer(window_, kKeyUpTimer, kKeyUpPollMs, nullptr);
    return true;
}

void TypingController::LookForKeysUp() {
    const std::vector<int> held = repeats_.Held();
    for (int key : held) {
        if (!(GetAsyncKeyState(key) & 0x8000)) repeats_.SeenUp(key);
    }
    if (repeats_.Held().empty()) KillTimer(window_, kKeyUpTimer);
}

void TypingController::HotKeyWndProc(WPARAM identifier, LPARAM keys) {
    // One of the manager's, reaching the window rather than its listener.
    if (cHK_.HotkeyMessage(identifier)) return;
    const int slot = static_cast<int>(identifier) - kFirstFunctionKeyId + 1;
    if (identifier < kFirstFunctionKeyId || slot > kFunctionKeyCount) return;
    if (!NewPress(HIWORD(keys))) return;
    // Typed as the characters themselves: "+", "^", "%", "~", braces and parentheses included.
    Tell(credentialKeys_.Press(slot, false, watch_.Watch().RunningTimer(), grid_));
}

PressResult TypingController::Press(int entry) {
    const PressResult result = credentialKeys_.Press(entry, true, watch_.Watch().RunningTimer(), grid_);
    Tell(result);
    return result;
}

void TypingController::Tell(const PressResult& result) {
    if (const std::string why = NothingTypedText(result); !why.empty()) watch_.ShowNotice(why);
}

bool TypingController::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    switch (msg) {
        case WM_TIMER:
            if (wParam == kKeyUpTimer) {
                LookForKeysUp();
                return true;
            }
            return cHK_.TimerTick(wParam);
        case WM_HOTKEY:
            HotKeyWndProc(wParam, lParam);
            return true;
        case WM_COMMAND:
            return panel_.OnCommand(LOWORD(wParam), HIWORD(wParam));
        case WM_DRAWITEM:
            if (!panel_.OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return false;
            result = TRUE;
            return true;
        case WM_CTLCOLORSTATIC:
            if (!panel_.StandsOnFace(reinterpret_cast<HWND>(lParam))) return false;
            SetBkColor(reinterpret_cast<HDC>(wParam), kFaceColour);
            result = reinterpret_cast<LRESULT>(faceBrush_.Get());
            return true;
        case kForegroundChanged:
            UpdateFunctionKeys();
            // A browser window come to the front is asked for its page at once.
            if (functionKeysHeld_) watch_.TickSoon(0);
            return true;
        default:
            return false;
    }
}

}  // namespace tf
