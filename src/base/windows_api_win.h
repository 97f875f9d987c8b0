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

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// The folder of the running program, without a trailing separator.
std::string ProgramFolder();

}  // namespace tf
