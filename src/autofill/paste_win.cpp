#include "autofill/paste_win.h"

#include "base/message_pump_win.h"
#include "base/window_helpers_win.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <exception>
#include <cstring>
#include <cwchar>
#include <functional>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

namespace tf {

namespace {

constexpr char kWaitSource[] = "[clsWaitableTimer.Wait]";

// The memory the clipboard now holds the data in, or nullptr when it could not be put there.
HGLOBAL PutData(UINT format, const void* data, std::size_t size) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, std::max<std::size_t>(size, 1));
    if (!memory) return nullptr;
    if (void* target = GlobalLock(memory)) {
        std::memset(target, 0, std::max<std::size_t>(size, 1));
        if (size) std::memcpy(target, data, size);
        GlobalUnlock(memory);
    } else {
        GlobalFree(memory);
        return nullptr;
    }
    // On success the clipboard owns the memory.
    if (SetClipboardData(format, memory)) return memory;
    GlobalFree(memory);
    return nullptr;
}

// The password rendered for a paste, wiped before the clipboard frees it. Only while the clipboard
// is open by us and still holds that memory.
void WipeRendered(HGLOBAL& rendered) {
    if (rendered && GetClipboardData(CF_UNICODETEXT) == rendered) {
        if (void* p = GlobalLock(rendered)) {
            SecureZeroMemory(p, GlobalSize(rendered));
            GlobalUnlock(rendered);
        }
    }
    rendered = nullptr;
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

// Formats whose data is no global memory (GDI handles, private data), or that the system makes
// from another format that is kept.
bool KeptAsMemory(UINT format) {
    switch (format) {
        case CF_BITMAP:
        case CF_METAFILEPICT:
        case CF_PALETTE:
        case CF_OWNERDISPLAY:
        case CF_DSPBITMAP:
        case CF_DSPMETAFILEPICT:
        case CF_DSPENHMETAFILE:
        case CF_ENHMETAFILE:
            return false;
        default:
            return !(format >= CF_PRIVATEFIRST && format <= CF_PRIVATELAST) &&
                   !(format >= CF_GDIOBJFIRST && format <= CF_GDIOBJLAST);
    }
}

// Asking a program for a format it has not rendered yet waits on it; one that does not handle
// messages is not asked at all.
constexpr UINT kOwnerProbeMs = 100;

// Every format of the open clipboard that can be kept, up to the size bound.
ClipboardContent ReadOpenClipboard() {
    ClipboardContent content;
    HWND owner = GetClipboardOwner();
    DWORD_PTR ignored = 0;
    if (owner && !SendMessageTimeoutW(owner, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kOwnerProbeMs, &ignored)) return content;
    std::size_t total = 0;
    for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format)) {
        std::string bytes;
        if (format == CF_ENHMETAFILE) {
            auto metafile = static_cast<HENHMETAFILE>(GetClipboardData(format));
            const UINT size = metafile ? GetEnhMetaFileBits(metafile, 0, nullptr) : 0;
            if (size == 0 || total + size > kMaxKeptClipboardBytes) continue;
            bytes.resize(size);
            if (GetEnhMetaFileBits(metafile, size, reinterpret_cast<BYTE*>(bytes.data())) != size) continue;
        } else {
            if (!KeptAsMemory(format)) continue;
            HANDLE data = GetClipboardData(format);
            const std::size_t size = data ? GlobalSize(data) : 0;
            if (size == 0 || total + size > kMaxKeptClipboardBytes) continue;
            const auto* p = static_cast<const char*>(GlobalLock(data));
            if (!p) continue;
            bytes.assign(p, size);
            GlobalUnlock(data);
        }
        total += bytes.size();
        content.push_back({format, std::move(bytes)});
    }
    return content;
}

}  // namespace

// One read of the clipboard on a thread of its own, shared with it: a read that outlives its time
// is left to end on its own.
struct ClipboardRead {
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    bool opened = false;
    ClipboardContent content;
    ~ClipboardRead() {
        if (done) CloseHandle(done);
    }
};

namespace {

// What the clipboard holds now, read within kReadPreviousMs; nothing when it could not be read in
// time (the clipboard is then still open on the reading thread). Messages sent to this thread are
// handled meanwhile: our own deferred text may be asked for.
std::optional<ClipboardContent> ReadClipboard(std::shared_ptr<ClipboardRead>& late) {
    if (late) {
        if (WaitForSingleObject(late->done, 0) != WAIT_OBJECT_0) return std::nullopt;
        late.reset();
    }
    auto read = std::make_shared<ClipboardRead>();
    if (!read->done) return std::nullopt;
    try {
        std::thread([read] {
            // Opened for a window of this thread: Wine lets a second thread open a clipboard that
            // another one holds open when both give no window.
            HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
            read->opened = window && OpenClipboard(window) != FALSE;
            if (read->opened) {
                read->content = ReadOpenClipboard();
                CloseClipboard();
            }
            if (window) DestroyWindow(window);
            SetEvent(read->done);
        }).detach();
    } catch (const std::system_error&) {
        return std::nullopt;
    }
    const DWORD until = GetTickCount() + kReadPreviousMs;
    for (;;) {
        const DWORD now = GetTickCount();
        const DWORD left = static_cast<LONG>(until - now) > 0 ? until - now : 0;
        const DWORD woke = MsgWaitForMultipleObjects(1, &read->done, FALSE, left, QS_SENDMESSAGE);
        if (woke == WAIT_OBJECT_0) break;
        if (woke != WAIT_OBJECT_0 + 1) {
            late = std::move(read);
            return std::nullopt;
        }
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    if (!read->opened) return std::nullopt;
    return std::move(read->content);
}

void Wipe(std::wstring& text) {
    if (!text.empty()) SecureZeroMemory(text.data(), text.size() * sizeof(wchar_t));
    text.clear();
}

// The clipboard window that put a password on the clipboard and has not put the user's content
// back yet. A crash empties the clipboard that window still owns, rather than leave the password
// there for the next paste in any program.
std::atomic<HWND> passwordOwner{nullptr};
LPTOP_LEVEL_EXCEPTION_FILTER crashFilterBefore = nullptr;
std::terminate_handler terminateBefore = nullptr;

void WithdrawAfterCrash() {
    HWND window = passwordOwner.exchange(nullptr);
    if (window && GetClipboardOwner() == window && OpenClipboard(window)) {
        EmptyClipboard();
        CloseClipboard();
    }
}

LONG WINAPI OnCrash(EXCEPTION_POINTERS* exception) {
    WithdrawAfterCrash();
    return crashFilterBefore ? crashFilterBefore(exception) : EXCEPTION_CONTINUE_SEARCH;
}

[[noreturn]] void OnTerminate() {
    WithdrawAfterCrash();
    if (terminateBefore) terminateBefore();
    std::abort();
}

constexpr wchar_t kClipboardWindowClass[] = L"TamborvinFormClipboard";
constexpr UINT_PTR kClipboardTimer = 1;

}  // namespace

Win32Clipboard::Win32Clipboard() {
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kClipboardWindowClass;
        crashFilterBefore = SetUnhandledExceptionFilter(OnCrash);
        terminateBefore = std::set_terminate(OnTerminate);
        return RegisterClassExW(&wc) != 0;
    }();
    if (registered)
        window_ = CreateWindowExW(0, kClipboardWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    if (window_) SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Win32Clipboard::~Win32Clipboard() {
    HWND owner = window_;
    passwordOwner.compare_exchange_strong(owner, nullptr);
    if (window_) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
    Wipe(deferred_);
}

void Win32Clipboard::Forget() { Wipe(deferred_); }

LRESULT CALLBACK Win32Clipboard::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Win32Clipboard*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
        case WM_RENDERFORMAT:
            // A program asks for the text: it is pasting now. The clipboard is open on its behalf.
            if (self && wParam == CF_UNICODETEXT && !self->deferred_.empty()) {
                self->rendered_ =
                    PutData(CF_UNICODETEXT, self->deferred_.c_str(), (self->deferred_.size() + 1) * sizeof(wchar_t));
                self->Forget();
                if (self->taken_) self->taken_();
            }
            return 0;
        case WM_RENDERALLFORMATS:
            // Ending with a text never taken: it goes with us rather than stay behind.
            if (self) self->Forget();
            return 0;
        case WM_DESTROYCLIPBOARD:
            if (self) self->Forget();
            return 0;
        case WM_TIMER:
            if (self && wParam == kClipboardTimer && self->tick_) {
                // The handler may stop the timer and drop itself.
                auto tick = self->tick_;
                tick();
            }
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

bool Win32Clipboard::PutText(const std::string& text, ClipboardContent* previous) {
    if (!window_) return false;
    if (previous) {
        auto content = ReadClipboard(lateRead_);
        if (!content) return false;
        *previous = std::move(*content);
    }
    if (!OpenClipboard(window_)) return false;
    std::wstring wide = Widen(text);
    if (GetClipboardOwner() == window_) WipeRendered(rendered_);
    rendered_ = nullptr;
    bool ok = EmptyClipboard() != FALSE;
    if (ok) {
        Wipe(deferred_);
        deferred_ = std::move(wide);
        // No data yet: the system asks for it when a program pastes.
        SetClipboardData(CF_UNICODETEXT, nullptr);
        // Keeps the password out of clipboard history, the cloud clipboard and clipboard monitors;
        // older systems ignore the formats.
        PutRegisteredDword(L"ExcludeClipboardContentFromMonitorProcessing", 0);
        PutRegisteredDword(L"CanIncludeInClipboardHistory", 0);
        PutRegisteredDword(L"CanUploadToCloudClipboard", 0);
        passwordOwner = window_;
    } else {
        Wipe(wide);
    }
    CloseClipboard();
    return ok;
}

bool Win32Clipboard::Restore(const ClipboardContent& content) {
    if (!window_ || !OpenClipboard(window_)) return false;
    if (GetClipboardOwner() == window_) WipeRendered(rendered_);
    rendered_ = nullptr;
    const bool ok = EmptyClipboard() != FALSE;
    Forget();
    if (ok) {
        HWND owner = window_;
        passwordOwner.compare_exchange_strong(owner, nullptr);
    }
    // A format that cannot be put back is lost; the password is gone all the same.
    for (std::size_t i = 0; ok && i < content.size(); ++i) {
        const ClipboardFormat& format = content[i];
        if (format.id == CF_ENHMETAFILE) {
            HENHMETAFILE metafile = SetEnhMetaFileBits(static_cast<UINT>(format.bytes.size()),
                                                       reinterpret_cast<const BYTE*>(format.bytes.data()));
            if (metafile && !SetClipboardData(CF_ENHMETAFILE, metafile)) DeleteEnhMetaFile(metafile);
        } else {
            PutData(format.id, format.bytes.data(), format.bytes.size());
        }
    }
    CloseClipboard();
    return ok;
}

void Win32Clipboard::StartTimer(UINT milliseconds, std::function<void()> tick) {
    tick_ = std::move(tick);
    if (window_) SetTimer(window_, kClipboardTimer, milliseconds, nullptr);
}

void Win32Clipboard::StopTimer() {
    if (window_) KillTimer(window_, kClipboardTimer);
    tick_ = nullptr;
}

clsWaitableTimer::~clsWaitableTimer() {
    if (handle_) CloseHandle(handle_);
}

bool clsWaitableTimer::WaitTrying(int milliseconds, int retryMs, const std::function<bool()>& attempt,
                                  std::string& error, bool endWhenDone) {
    if (handle_) {
        error = std::string(kWaitSource) + "A wait is already running.";
        return false;
    }
    handle_ = CreateWaitableTimerW(nullptr, TRUE, nullptr);
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
    const bool endEarly = endWhenDone && attempt;
    while (!failure && !(done && endEarly)) {
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
    INPUT keys[] = {KeyInput(VK_CONTROL, false), KeyInput('V', false), KeyInput('V', true), KeyInput(VK_CONTROL, true)};
    UINT sent = SendInput(4, keys, sizeof(INPUT));
    if (sent == 4) return true;
    // Part of it went in: do not leave Ctrl held down.
    if (sent > 0) {
        INPUT release = KeyInput(VK_CONTROL, true);
        SendInput(1, &release, sizeof(INPUT));
    }
    return false;
}

bool SendInputKeys::ModifiersHeld() {
    for (int key : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LWIN, VK_RWIN}) {
        if (GetAsyncKeyState(key) & 0x8000) return true;
    }
    return false;
}

bool SendInputKeys::TypeText(const std::string& text) {
    std::wstring units = Widen(text);
    if (units.empty()) return true;
    // Both copies of the text are wiped once the keys are out.
    struct WipeOnExit {
        std::wstring& units;
        std::vector<INPUT>& inputs;
        ~WipeOnExit() {
            Wipe(units);
            if (!inputs.empty()) SecureZeroMemory(inputs.data(), inputs.size() * sizeof(INPUT));
        }
    };
    std::vector<INPUT> inputs;
    const WipeOnExit wipe{units, inputs};
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
