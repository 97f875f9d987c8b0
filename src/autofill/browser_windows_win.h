// The browsers' windows, registry and DDE as the address readers see them: class walks and
// WM_GETTEXT across processes, one registry value, one DDE request.
#pragma once

#include "autofill/accessible_page_win.h"
#include "autofill/address_reader.h"
#include "base/windows_api_win.h"

// Left out by WIN32_LEAN_AND_MEAN.
#include <ddeml.h>

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
    std::string ReadChrome() override;
    std::string ReadOpera16() override;
    // Belongs to the thread that first calls it: the DDE library ties its instance to a thread.
    std::optional<std::string> DdeRequest(const std::string& service, const std::string& topic,
                                          const std::string& item) override;
    std::string ReadIEManual() override;
    std::uintptr_t FrontPageWindow(PageFamily family) override;
    PageAnswer OpenPage(std::uintptr_t window) override;
    PageAnswer ReadOpenPage() override;

private:
    DWORD ddeInstance_ = 0;
    // A conversation whose request timed out. Closing it while the server is still busy would wait
    // for the server, so it is closed once the server handles messages again; until then every
    // request fails at once.
    HCONV stalled_ = nullptr;
    AccessiblePages pages_;
};

}  // namespace tf
