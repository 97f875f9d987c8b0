// The system's Open and Save As dialogs (comdlg32, delay-loaded and taken from the system folder
// only, like the other DLLs loaded after start).
#pragma once

#include <optional>
#include <string>

#include "base/windows_api_win.h"

namespace tf {

// Pairs of a filter's name and its pattern, each ended by a zero, the whole ended by a second one,
// as the dialogs take them: L"CSV (*.csv)\0*.csv\0All files\0*.*\0".
struct FileDialogOptions {
    const wchar_t* title = nullptr;
    const wchar_t* filter = nullptr;
    const wchar_t* defaultExtension = nullptr;  // without the dot
    std::wstring fileName;                      // the name proposed (Save As)
};

// The chosen file's full path; empty when the user cancelled or the dialog could not be shown.
std::optional<std::wstring> AskOpenFile(HWND owner, const FileDialogOptions& options);
// Save As asks before a file of that name is replaced.
std::optional<std::wstring> AskSaveFile(HWND owner, const FileDialogOptions& options);

}  // namespace tf
