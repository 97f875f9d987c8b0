// The hotkeys subsystem: system-wide hotkeys of one window, the panel of six boxes that sets them,
// and the settings file they are kept in.
//
// cHotKey: the hotkey list registered to one window, with its listener running inside a timer tick
// of that window, and WindowTimer, the timer it is started with.
#pragma once

#include <string>

#include "base/windows_api_win.h"
#include "hotkeys/hotkey_list.h"
#include "hotkeys/hotkey_listener.h"
#include "hotkeys/hotkey_registrar_win.h"

namespace tf {

// A window timer that remembers whether it runs, its interval and a tag, so that its owner can hand
// it around like a timer control.
class WindowTimer {
public:
    WindowTimer(UINT_PTR id, UINT intervalMs) : id_(id), interval_(intervalMs) {}
    ~WindowTimer() { SetEnabled(false); }
    WindowTimer(const WindowTimer&) = delete;
    WindowTimer& operator=(const WindowTimer&) = delete;

    void SetWindow(HWND window) { window_ = window; }
    void SetEnabled(bool enabled);
    bool Enabled() const { return enabled_; }
    // A running timer starts its new interval afresh.
    void SetInterval(UINT intervalMs);
    UINT Interval() const { return interval_; }
    bool Owns(UINT_PTR id) const { return id == id_; }

    std::string Tag;

private:
    HWND window_ = nullptr;
    UINT_PTR id_;
    UINT interval_;
    bool enabled_ = false;
};

class cHotKey {
public:
    cHotKey() = default;
    ~cHotKey() = default;
    cHotKey(const cHotKey&) = delete;
    cHotKey& operator=(const cHotKey&) = delete;

    HWND frmHwnd() const { return registrar_.Window(); }
    void frmHwnd(HWND vNewValue) { registrar_.SetWindow(vNewValue); }

    int AddHotKey(int hotKey, bool hCtrl = false, bool hAlt = false, bool hShift = false) {
        return list_.AddHotKey(hotKey, hCtrl, hAlt, hShift);
    }
    bool DelHotKey(int hotKey, bool hCtrl = false, bool hAlt = false, bool hShift = false) {
        return list_.DelHotKey(hotKey, hCtrl, hAlt, hShift);
    }
    bool ClsAllHotKey() { return list_.ClsAllHotKey(); }
    int GetHotKeySetting(int hotKeyIndex, int& hotKey, bool& hCtrl, bool& hAlt, bool& hShift) const {
        return list_.GetHotKeySetting(hotKeyIndex, hotKey, hCtrl, hAlt, hShift);
    }
    int HotKeysCount() const { return list_.HotKeysCount(); }
    HotkeyList& List() { return list_; }

    // Arms the listener: its loop starts on the timer's next tick (10 ms). With no entry nothing
    // changes. The timer must live as long as this object.
    void StartHotKeys(WindowTimer& theTimer);
    // The loop ends at its next pass; the entries stay registered.
    void StopHotKeys() { list_.StopHotKeys(); }
    bool Listening() const { return loopDepth_ > 0; }

    // HotKeyPress.
    void SetHotKeyPressHandler(HotkeyPressHandler handler) { onPress_ = std::move(handler); }

    // For the window procedure. A tick of the timer given to StartHotKeys runs the loop (once per
    // start, however often the timer fires); false for any other timer.
    bool TimerTick(UINT_PTR timerId);
    // A hotkey message that reached the window procedure instead of the loop (a message box's own
    // loop was running, or the first tick had not come yet) is raised all the same while the
    // listener is armed. False when it is no entry's.
    bool HotkeyMessage(WPARAM identifier);

private:
    void HotKeyLoop();

    Win32HotkeyRegistrar registrar_;
    HotkeyList list_{registrar_};
    WindowTimer* ctlTimer_ = nullptr;
    HotkeyPressHandler onPress_;
    int loopDepth_ = 0;
};

}  // namespace tf
