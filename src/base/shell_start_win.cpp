#include "base/shell_start_win.h"

#include <vector>

namespace tf {

bool StartCommandLine(const std::wstring& commandLine, int show) {
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

std::wstring QuotedPath(const std::string& path) { return L"\"" + Widen(path) + L"\""; }

std::string OwnProductVersion(const std::string& fallback) {
    wchar_t exe[MAX_PATH + 1] = {};
    if (!GetModuleFileNameW(nullptr, exe, MAX_PATH)) return fallback;
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(exe, &ignored);
    if (size == 0) return fallback;
    std::vector<char> block(size);
    if (!GetFileVersionInfoW(exe, 0, size, block.data())) return fallback;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\StringFileInfo\\040904B0\\ProductVersion", &value, &length) || length == 0) {
        return fallback;
    }
    return Narrow(static_cast<const wchar_t*>(value));
}

}  // namespace tf
