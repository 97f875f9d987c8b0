#include "autofill/paste_win.h"

#include "base/message_pump_win.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <functional>
#include <optional>
#include <vector>

namespace tf {

namespace {

constexpr char kWaitSource[] = "[clsWaitableTimer.Wait]";

bool PutData(UINT format, const void* data, std::size_t size) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, std::max<std::size_t>(size, 1));
    if (!memory) return false;
    if (void* target = GlobalLock(memory)) {
        std::memset(target, 0, std::max<std::size_t>(size, 1));
        if (size) std::memcpy(target, data, size);
        GlobalUnlock(memory);
    } else {
        GlobalFree(memory);
        return false;
    }
    // On success the clipboard owns the memory.
    if (SetClipboardData(format, memory)) return true;
    GlobalFree(memory);
    return false;
}

void PutRegisteredDword(const wchar_t* formatName, DWORD value) {
    if (UINT format = RegisterClipboardFormatW(formatName)) PutData(format, &value, sizeof value);
}

std::string SystemMessage(DWORD code) {
    wchar_t* text = nullptr;
    DWORD n =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = n && text ? std::wstring(text, n) : L"Error " + std::to_wstring(code);
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' || message.back() == L' '))
        message.pop_back();
    return Narrow(message);
}

// The program's name without extension, "Timer", then the minutes and seconds of now ("MMSS").
std::wstring TimerName() {
    std::vector<wchar_t> path(32768);
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    std::wstring name(path.data(), std::min<std::size_t>(n, path.size()));
    auto slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos) name.erase(0, slash + 1);
    auto dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos) name.erase(dot);
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t stamp[8];
    swprintf(stamp, 8, L"%02u%02u", static_cast<unsigned>(now.wMinute), static_cast<unsigned>(now.wSecond));
    return name + L"Timer" + stamp;
}

INPUT Key(WORD virtualKey, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    // Some programs look at the scan code only.
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

}  // namespace

Win32Clipboard::~Win32Clipboard() {
    if (ownWindow_) DestroyWindow(ownWindow_);
}

HWND Win32Clipboard::Owner() {
    if (owner_) return owner_;
    if (!ownWindow_)
        ownWindow_ = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr),
                                     nullptr);
    return ownWindow_;
}

bool Win32Clipboard::PutText(const std::string& text) {
    if (!OpenClipboard(Owner())) return false;

    std::wstring wide = Widen(text);
    bool ok = EmptyClipboard() && PutData(CF_UNICODETEXT, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
    if (ok) {
        // Keeps the password out of clipboard history, the cloud clipboard and clipboard monitors;
        // older systems ignore the formats.
        PutRegisteredDword(L"ExcludeClipboardContentFromMonitorProcessing", 0);
        PutRegisteredDword(L"CanIncludeInClipboardHistory", 0);
        PutRegisteredDword(L"CanUploadToCloudClipboard", 0);
    }
    CloseClipboard();
    return ok;
}

clsWaitableTimer::~clsWaitableTimer() {
    if (handle_) CloseHandle(handle_);
}

bool clsWaitableTimer::WaitTrying(int milliseconds, int retryMs, const std::function<bool()>& attempt,
                                  std::string& error) {
    if (handle_) {
        error = std::string(kWaitSource) + "A wait is already running.";
        return false;
    }
    // A timer of this name made by another wait in the same second is opened, not made again.
    handle_ = CreateWaitableTimerW(nullptr, TRUE, TimerName().c_str());
    if (!handle_) {
        error = kWaitSource + SystemMessage(GetLastError());
        return false;
    }
    LARGE_INTEGER due;
    // Negative: relative to now, in 100 ns units.
    due.QuadPart = -static_cast<LONGLONG>(std::max(milliseconds, 0)) * 10000;
    DWORD failure = 0;
    if (!SetWaitableTimer(handle_, &due, 0, nullptr, nullptr, FALSE)) failure = GetLastError();

    // The attempts go by the clock rather than by wake-ups, so a stream of messages neither
    // starves them nor makes them run more often.
    const DWORD retry = static_cast<DWORD>(std::max(retryMs, 1));
    bool done = !attempt;
    DWORD lastTry = GetTickCount();
    if (!failure && !done) done = attempt();

    std::optional<int> quitCode;
    HANDLE timer = handle_;
    while (!failure) {
        DWORD timeout = INFINITE;
        if (!done) {
            const DWORD passed = GetTickCount() - lastTry;
            timeout = passed >= retry ? 0 : retry - passed;
        }
        DWORD woke = MsgWaitForMultipleObjects(1, &timer, FALSE, timeout, QS_ALLINPUT);
        if (woke == WAIT_FAILED) {
            failure = GetLastError();
            break;
        }
        ProcessPendingMessages(quitCode);
        // Once more as the time is up: what frees the clipboard at the last moment still counts.
        if (!done && (woke == WAIT_OBJECT_0 || GetTickCount() - lastTry >= retry)) {
            lastTry = GetTickCount();
            done = attempt();
        }
        if (woke == WAIT_OBJECT_0) break;
    }
    CloseHandle(handle_);
    handle_ = nullptr;
    if (quitCode) PostQuitMessage(*quitCode);
    if (failure) {
        error = kWaitSource + SystemMessage(failure);
        return false;
    }
    return true;
}

bool SendInputKeys::SendPaste() {
    INPUT keys[] = {Key(VK_CONTROL, false), Key('V', false), Key('V', true), Key(VK_CONTROL, true)};
    UINT sent = SendInput(4, keys, sizeof(INPUT));
    if (sent == 4) return true;
    // Part of it went in: do not leave Ctrl held down.
    if (sent > 0) {
        INPUT release = Key(VK_CONTROL, true);
        SendInput(1, &release, sizeof(INPUT));
    }
    return false;
}

bool SendInputKeys::TypeText(const std::string& text) {
    std::wstring units = Widen(text);
    if (units.empty()) return true;
    std::vector<INPUT> inputs;
    inputs.reserve(units.size() * 2);
    for (wchar_t unit : units) {
        INPUT down{};
        down.type = INPUT_KEYBOARD;
        // Each UTF-16 unit travels as itself, whatever the keyboard layout; surrogate pairs
        // arrive as two units.
        down.ki.wScan = unit;
        down.ki.dwFlags = KEYEVENTF_UNICODE;
        INPUT up = down;
        up.ki.dwFlags |= KEYEVENTF_KEYUP;
        inputs.push_back(down);
        inputs.push_back(up);
    }
    return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

}  // namespace tf
