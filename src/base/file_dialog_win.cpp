#include "base/file_dialog_win.h"

#include <commdlg.h>

#include <vector>

namespace tf {
namespace {

// A path as long as Windows' long paths allow.
constexpr DWORD kPathChars = 32768;

std::optional<std::wstring> Ask(HWND owner, const FileDialogOptions& options, bool save) {
    std::vector<wchar_t> path(kPathChars, L'\0');
    options.fileName.copy(path.data(), std::min<std::size_t>(options.fileName.size(), kPathChars - 1));
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = options.filter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = path.data();
    ofn.nMaxFile = kPathChars;
    ofn.lpstrTitle = options.title;
    ofn.lpstrDefExt = options.defaultExtension;
    // No change of the current folder: the program finds its own files by its folder, not by it.
    ofn.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
    ofn.Flags |= save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST;
    const BOOL chosen = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    if (!chosen) return std::nullopt;
    return std::wstring(path.data());
}

}  // namespace

std::optional<std::wstring> AskOpenFile(HWND owner, const FileDialogOptions& options) {
    return Ask(owner, options, false);
}

std::optional<std::wstring> AskSaveFile(HWND owner, const FileDialogOptions& options) {
    return Ask(owner, options, true);
}

}  // namespace tf
