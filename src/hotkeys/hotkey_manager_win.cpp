#include "hotkeys/hotkey_manager_win.h"

#include <optional>

#include "base/message_pump_win.h"

namespace tf {
namespace {

constexpr UINT kListenerStartMs = 10;

// The thread's queue, read for one window's hotkeys.
class ThreadPump : public MessagePump {
public:
    explicit ThreadPump(HWND window) : window_(window) {}
    // The quit message is posted again only once this loop has unwound.
    ~ThreadPump() override {
        if (quitCode_) PostQuitMessage(*quitCode_);
    }

    void WaitForMessage() override { WaitMessage(); }
    std::optional<int> TakeHotkeyMessage() override {
        if (!window_ || !PeekMessageW(&taken_, window_, WM_HOTKEY, WM_HOTKEY, PM_REMOVE)) return std::nullopt;
        return static_cast<int>(taken_.wParam);
    }
    void ForwardHotkeyMessage() override { DispatchMessageW(&taken_); }
    bool ProcessPendingMessages() override {
        tf::ProcessPendingMessages(quitCode_);
        return !quitCode_;
    }

private:
    HWND window_;
    MSG taken_{};
    std::optional<int> quitCode_;
};

}  // namespace

void WindowTimer::SetEnabled(bool enabled) {
    if (enabled && window_) {
        enabled_ = SetTimer(window_, id_, interval_, nullptr) != 0;
    } else {
        if (enabled_ && window_) KillTimer(window_, id_);
        enabled_ = false;
    }
}

void WindowTimer::SetInterval(UINT intervalMs) {
    interval_ = intervalMs;
    if (enabled_) SetEnabled(true);
}

void cHotKey::StartHotKeys(WindowTimer& theTimer) {
    if (!list_.StartHotKeys()) return;
    ctlTimer_ = &theTimer;
    theTimer.SetEnabled(false);
    theTimer.SetInterval(kListenerStartMs);
    theTimer.Tag.clear();
    theTimer.SetEnabled(true);
}

bool cHotKey::TimerTick(UINT_PTR timerId) {
    if (!ctlTimer_ || !ctlTimer_->Owns(timerId)) return false;
    ctlTimer_->SetEnabled(false);
    if (ctlTimer_->Tag != "1") {
        ctlTimer_->Tag = "1";
        HotKeyLoop();
    }
    return true;
}

bool cHotKey::HotkeyMessage(WPARAM identifier) {
    if (list_.Stopped()) return false;
    auto press = list_.Dispatch(static_cast<int>(identifier));
    if (!press) return false;
    if (onPress_) onPress_(*press);
    return true;
}

void cHotKey::HotKeyLoop() {
    ThreadPump pump(frmHwnd());
    ++loopDepth_;
    tf::HotKeyLoop(list_, pump, onPress_);
    --loopDepth_;
}

}  // namespace tf
