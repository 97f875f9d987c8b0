// HttpTransport over the flat WinHTTP API in asynchronous mode. WinHTTP calls back on its own
// threads; the callback only posts to a hidden message window, so every notification is handled on
// the thread that made the transport, between its other messages.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/windows_api_win.h"
#include "updater/download_ports.h"

namespace tf {

struct WinHttpRequestContext;

class WinHttpTransport final : public HttpTransport {
public:
    WinHttpTransport();
    ~WinHttpTransport() override;
    WinHttpTransport(const WinHttpTransport&) = delete;
    WinHttpTransport& operator=(const WinHttpTransport&) = delete;

    bool Start(const std::string& url, const std::vector<std::string>& headerLines, HttpEvents& events) override;
    void Abandon() override;

    // Requests whose WinHTTP handles are not closed yet (for tests: abandoned ones go too).
    static long OpenRequests();

private:
    template <class Owner>
    friend LRESULT CALLBACK OwnerWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void Notify(UINT what, LPARAM value);
    void ReadNext();
    // Closes the current request's handles; its later callbacks find no current request.
    void Release();
    void Fail(DWORD code);

    HWND hwnd_ = nullptr;
    void* session_ = nullptr;
    WinHttpRequestContext* current_ = nullptr;
    HttpEvents* events_ = nullptr;
    unsigned nextId_ = 0;
    std::shared_ptr<bool> life_ = std::make_shared<bool>(true);
};

}  // namespace tf
