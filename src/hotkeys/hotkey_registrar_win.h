// The hotkey list's platform side: system-wide hotkeys registered to one window, whose thread
// then receives WM_HOTKEY, and the global atom table.
#pragma once

#include "base/windows_api_win.h"
#include "hotkeys/hotkey_list.h"

namespace tf {

class Win32HotkeyRegistrar : public HotkeyRegistrar {
public:
    explicit Win32HotkeyRegistrar(HWND window = nullptr) : window_(window) {}
    // For a window created after the registrar; hotkeys already registered stay with the old one.
    void SetWindow(HWND window) { window_ = window; }
    HWND Window() const { return window_; }

    bool Register(int id, unsigned modifiers, unsigned key) override;
    void Unregister(int id) override;
    int AddAtom(const std::string& name) override;
    void DeleteAtom(int atom) override;

private:
    HWND window_;
};

// The core's modifier mask as RegisterHotKey takes it.
UINT ToSystemModifiers(unsigned modifiers);

}  // namespace tf
