#include "hotkeys/hotkey_registrar_win.h"

namespace tf {

UINT ToSystemModifiers(unsigned modifiers) {
    // Spelled out bit by bit: the core's values only happen to equal the system's.
    UINT system = 0;
    if (modifiers & kHotkeyAlt) system |= MOD_ALT;
    if (modifiers & kHotkeyCtrl) system |= MOD_CONTROL;
    if (modifiers & kHotkeyShift) system |= MOD_SHIFT;
    return system;
}

bool Win32HotkeyRegistrar::Register(int id, unsigned modifiers, unsigned key) {
    // Held down, a hotkey would otherwise fire again at every auto-repeat and type the credential
    // over and over.
    return RegisterHotKey(window_, id, ToSystemModifiers(modifiers) | MOD_NOREPEAT, key) != FALSE;
}

void Win32HotkeyRegistrar::Unregister(int id) { UnregisterHotKey(window_, id); }

int Win32HotkeyRegistrar::AddAtom(const std::string& name) { return GlobalAddAtomW(Widen(name).c_str()); }

void Win32HotkeyRegistrar::DeleteAtom(int atom) { GlobalDeleteAtom(static_cast<ATOM>(atom)); }

}  // namespace tf
