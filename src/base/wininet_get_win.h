// One HTTP GET over WinINet, the programs' only HTTP library: its three handles (session,
// connection, request) opened together for an address and closed together. Both the version check
// and the updater's download ask for their requests this way, so that they send the same request.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/windows_api_win.h"

#include <wininet.h>

namespace tf {

class WinInetGet {
public:
    // A GET of an http or https `url` with the extra header lines ("Range: bytes=0-"), not sent yet;
    // none when the address is not one or WinINet refuses it. Never from the cache, without cookies
    // and without any dialog. A certificate WinINet does not trust fails the request.
    static std::unique_ptr<WinInetGet> Open(const std::string& url, const wchar_t* agent,
                                            const std::vector<std::string>& headerLines = {});
    ~WinInetGet() { Close(); }
    WinInetGet(const WinInetGet&) = delete;
    WinInetGet& operator=(const WinInetGet&) = delete;

    // Sends the request and waits for the response's headers. Redirects are followed here, with the
    // same header lines and limit, as far as RedirectTarget allows and at most kMaxRedirects hops;
    // one it refuses fails with ERROR_HTTP_REDIRECT_FAILED.
    bool Send();
    // Each later connect, send or receive waits at most this long; false when nothing is left.
    bool Limit(DWORD ms);
    int Status() const;
    // Every header line of the response, as the server sent them.
    std::string RawHeaders() const;
    std::optional<DWORD> ContentLength() const;
    HINTERNET request() const { return request_; }
    void Close();

private:
    WinInetGet() = default;
    bool OpenHandles(const std::string& url);
    std::string Location() const;

    std::string url_;
    std::wstring agent_;
    std::vector<std::string> headerLines_;
    DWORD limitMs_ = 0;

    HINTERNET session_ = nullptr;
    HINTERNET connect_ = nullptr;
    HINTERNET request_ = nullptr;
};

}  // namespace tf
