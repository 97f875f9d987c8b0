// Starting another program the way the shell runs a command line, with a window style.
#pragma once

#include <string>

#include "base/windows_api_win.h"

namespace tf {

// `show` is the first window's state (SW_SHOWMINIMIZED, SW_SHOWNORMAL ...). True when the program
// started; nothing waits for it.
bool StartCommandLine(const std::wstring& commandLine, int show);

// The program file quoted, so that a folder with blanks in its name stays one argument.
std::wstring QuotedPath(const std::string& path);

// The program's product version from its version resource ("1.0"); `fallback` when it has none.
std::string OwnProductVersion(const std::string& fallback);

}  // namespace tf
