// The base subsystem: what every other one builds on (text, files, the address split, one HTTP GET)
// and the window basics both programs share.
//
// The one way Windows files include <windows.h>: wide API, no min/max macros, and the macros
// that clash with the core's own names taken away here.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#undef DeleteFile

#include <string>
#include <string_view>

namespace tf {

// The window procedure of a window that belongs to a C++ object, passed as the creation
// parameter: the object learns its handle (hwnd_) at WM_NCCREATE, gets every message from then on
// through HandleMessage, and forgets the handle after WM_NCDESTROY. The class befriends this template.
// A control, which may also be made from the class name alone, has a static ObjectOf that turns the
// creation parameter into the object; when it gives none, the window makes an object of its own
// (marked ownedByWindow_) and frees it when it goes.
template <class Owner>
LRESULT CALLBACK OwnerWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    constexpr bool kControl = requires(void* param) { Owner::ObjectOf(param); };
    Owner* self = nullptr;
    if (msg == WM_NCCREATE) {
        void* param = reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams;
        if constexpr (kControl) {
            self = Owner::ObjectOf(param);
            if (!self) {
                self = new Owner();
                self->ownedByWindow_ = true;
            }
        } else {
            self = static_cast<Owner*>(param);
        }
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Owner*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
    LRESULT result = self->HandleMessage(msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        // The window is gone: the object forgets it, and no later message can reach the object.
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        if constexpr (kControl) {
            if (self->ownedByWindow_) delete self;
        }
    }
    return result;
}

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// The folder of the running program, without a trailing separator.
std::string ProgramFolder();

}  // namespace tf
