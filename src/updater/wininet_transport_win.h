// HttpTransport over WinINet, read synchronously on a worker thread per request. Under Wine,
// WinHTTP's reads stay far below the loopback's rate whatever the buffer size, while a synchronous
// InternetReadFile into a large reused buffer keeps up with it. The worker hands what it reads to a
// hidden message window, so every notification is handled on the thread that made the transport,
// between its other messages.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/windows_api_win.h"
#include "updater/download_ports.h"

namespace tf {

struct WinInetRequest;

class WinInetTransport final : public HttpTransport {
public:
    WinInetTransport();
    ~WinInetTransport() override;
    WinInetTransport(const WinInetTransport&) = delete;
    WinInetTransport& operator=(const WinInetTransport&) = delete;

    bool Start(const std::string& url, const std::vector<std::string>& headerLines, HttpEvents& events) override;
    void Abandon() override;

    // Requests whose worker has not ended yet (for tests: abandoned ones go too).
    static long OpenRequests();

private:
    template <class Owner>
    friend LRESULT CALLBACK OwnerWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void Notify(UINT what);
    void Release();

    HWND hwnd_ = nullptr;
    std::shared_ptr<WinInetRequest> current_;
    HttpEvents* events_ = nullptr;
    unsigned nextId_ = 0;
    std::shared_ptr<bool> life_ = std::make_shared<bool>(true);
};

}  // namespace tf
