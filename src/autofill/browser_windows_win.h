// The browsers' windows, registry and DDE as the address readers see them: class walks and
// WM_GETTEXT across processes, one registry value, one DDE request.
#pragma once

#include "autofill/accessible_page_win.h"
#include "autofill/address_reader.h"
#include "autofill/credential_typer.h"
#include "base/windows_api_win.h"

#include <string>
#include <unordered_map>
#include <utility>

namespace tf {

class Win32BrowserWindows : public BrowserWindows {
public:
    Win32BrowserWindows() = default;
    ~Win32BrowserWindows() override;
    Win32BrowserWindows(const Win32BrowserWindows&) = delete;
    Win32BrowserWindows& operator=(const Win32BrowserWindows&) = delete;

    std::optional<std::string> ReadIEVersion() override;
    std::optional<std::string> ReadIEClassic(bool throughAddressBandRoot) override;
    std::string ReadIEAddressBand() override;
    std::optional<std::string> ReadIEAddressBandInTime() override;
    std::string ReadChrome() override;
    std::string ReadOpera16() override;
    // Spoken only to the windows of the processes that own a window of the browser's class:
    // asking every top-level window, as the system's DDE library does, would let any hung window
    // of any program hang the watch. Belongs to the thread that first calls it.
    DdeReply DdeRequest(const std::string& service, const std::string& topic, const std::string& item) override;
    std::string ReadIEManual() override;
    std::uintptr_t FrontPageWindow(PageFamily family) override;
    PageAnswer OpenPage(std::uintptr_t window) override;
    PageAnswer ReadOpenPage() override;
    std::string ProgramOfLastWindow() override;
    // The top-level browser window the last read looked at; nullptr when none or gone.
    HWND LastWindow() const { return lastWindow_ && IsWindow(lastWindow_) ? lastWindow_ : nullptr; }

    // While set, every read looks at this top-level window alone, as if it were the browser's only
    // window: a credential key's press reads the window in front, nothing else.
    // Whether the top-level window is one the named reader reads ("Internet Explorer", "Chrome",
    // "Opera16", "firefox"): by its window class and by its program.
    bool IsBrowserWindow(const std::string& readerName, HWND window);
    // The executable of the window's process; empty when it cannot be had.
    std::string ProgramPath(HWND window);

    // Returns the scope it replaces, for a read nested in another to put back.
    HWND SetScope(HWND window) {
        addressBox_ = nullptr;
        return std::exchange(scope_, window);
    }
    // Where the keyboard focus is now in the top-level window, against what the reads since the
    // scope was set looked at: the address box, the page's document.
    FocusFacts FocusAt(HWND top, FocusFacts::Source source);

private:
    // The first top-level window of the class after `after` (nullptr: from the start) that belongs
    // to a program the reader reads, within the scope.
    HWND TopWindow(const char* reader, const wchar_t* cls, HWND after = nullptr);
    // Keeps the window as the one the read looked at.
    HWND Note(HWND window);
    HWND DdeClientWindow();

    // Keeps the text box a read took the address from.
    HWND Box(HWND field) {
        if (field) addressBox_ = field;
        return field;
    }

    HWND scope_ = nullptr;
    HWND addressBox_ = nullptr;
    HWND lastWindow_ = nullptr;
    std::unordered_map<DWORD, std::string> programs_;
    // Browser processes found without a DDE service and topic ("<process>|<service>|<topic>"), and
    // until when they are left unasked.
    std::unordered_map<std::string, ULONGLONG> ddeSilent_;
    ULONGLONG programsSince_ = 0;
    HWND ddeClient_ = nullptr;
    HWND ddeServerWindow_ = nullptr;
    AccessiblePages pages_;
};

}  // namespace tf
