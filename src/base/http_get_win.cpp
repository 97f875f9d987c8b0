#include "base/http_get_win.h"

#include "base/owned_win.h"
#include "base/windows_api_win.h"

#include <winhttp.h>

#include <algorithm>
#include <cstdlib>

namespace tf {
namespace {

struct WinHttpHandleTraits : NullEmptyTraits<HINTERNET> {
    static bool Free(HINTERNET h) { return WinHttpCloseHandle(h) != FALSE; }
};
using Handle = Owned<WinHttpHandleTraits>;

// Nothing of ours is bigger; a longer answer is no version text.
constexpr std::size_t kMaxBody = 64 * 1024;
// What is left of the whole fetch's time; each blocking call may wait only that long, so a server
// that sends a byte now and then cannot stretch the fetch.
class Deadline {
public:
    explicit Deadline(unsigned limitMs) : end_(GetTickCount64() + limitMs) {}
    bool Limit(HINTERNET handle) const {
        const ULONGLONG now = GetTickCount64();
        if (now >= end_) return false;
        const int left = static_cast<int>(end_ - now);
        return WinHttpSetTimeouts(handle, left, left, left, left) != FALSE;
    }

private:
    ULONGLONG end_;
};

}  // namespace

std::optional<std::string> HttpGetText(const std::string& url, unsigned limitMs) {
    const Deadline deadline(limitMs);
    std::wstring wide = Widen(url);
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof(parts);
    wchar_t host[256] = {};
    wchar_t path[2048] = {};
    parts.lpszHostName = host;
    parts.dwHostNameLength = static_cast<DWORD>(std::size(host));
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = static_cast<DWORD>(std::size(path));
    if (!WinHttpCrackUrl(wide.c_str(), 0, 0, &parts)) return std::nullopt;

    Handle session(WinHttpOpen(L"Tamborvin Form", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                               WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) return std::nullopt;
    Handle connection(WinHttpConnect(session.Get(), host, parts.nPort, 0));
    if (!connection) return std::nullopt;
    DWORD flags = WINHTTP_FLAG_REFRESH | (parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0);
    Handle request(WinHttpOpenRequest(connection.Get(), L"GET", path, nullptr, WINHTTP_NO_REFERER,
                                      WINHTTP_DEFAULT_ACCEPT_TYPES, flags));
    if (!request || !deadline.Limit(request.Get())) return std::nullopt;
    if (!WinHttpSendRequest(request.Get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
        !deadline.Limit(request.Get()) || !WinHttpReceiveResponse(request.Get(), nullptr)) {
        return std::nullopt;
    }
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!WinHttpQueryHeaders(request.Get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX) ||
        status != 200) {
        return std::nullopt;
    }
    std::optional<DWORD> length;
    DWORD value = 0;
    size = sizeof(value);
    if (WinHttpQueryHeaders(request.Get(), WINHTTP_QUERY_CONTENT_LENGTH | WINHTTP_QUERY_FLAG_NUMBER,
                            WINHTTP_HEADER_NAME_BY_INDEX, &value, &size, WINHTTP_NO_HEADER_INDEX)) {
        length = value;
    }
    std::string body;
    while (true) {
        // Asked for only what has arrived: a read of more waits until it has all of it, however
        // long the server takes a byte at a time.
        DWORD available = 0;
        if (!deadline.Limit(request.Get()) || !WinHttpQueryDataAvailable(request.Get(), &available)) {
            return std::nullopt;
        }
        if (available == 0) break;
        char chunk[4096];
        DWORD read = 0;
        const DWORD want = std::min<DWORD>(available, sizeof chunk);
        if (!WinHttpReadData(request.Get(), chunk, want, &read)) return std::nullopt;
        if (read == 0) break;
        body.append(chunk, read);
        if (body.size() > kMaxBody) return std::nullopt;
    }
    // A dropped connection reports no error, only an early end.
    if (length && body.size() != *length) return std::nullopt;
    return body;
}

}  // namespace tf
