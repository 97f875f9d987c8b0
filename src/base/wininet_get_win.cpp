#include "base/wininet_get_win.h"

#include "base/redirect_policy.h"

namespace tf {

std::unique_ptr<WinInetGet> WinInetGet::Open(const std::string& url, const wchar_t* agent,
                                             const std::vector<std::string>& headerLines) {
    std::unique_ptr<WinInetGet> get(new WinInetGet);
    get->agent_ = agent;
    get->headerLines_ = headerLines;
    if (!get->OpenHandles(url)) return nullptr;
    return get;
}

bool WinInetGet::OpenHandles(const std::string& url) {
    Close();
    url_ = url;
    const std::wstring wideUrl = Widen(url);
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof(parts);
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!InternetCrackUrlW(wideUrl.c_str(), 0, 0, &parts) || parts.dwHostNameLength == 0) return false;
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return false;
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
    path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (path.empty()) path = L"/";

    // A session of its own: an abandoned request may still be closing its handles on another thread.
    session_ = InternetOpenW(agent_.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!session_) return false;
    connect_ = InternetConnectW(session_, host.c_str(), parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    if (!connect_) return false;
    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                  INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_AUTO_REDIRECT;
    if (parts.nScheme == INTERNET_SCHEME_HTTPS) flags |= INTERNET_FLAG_SECURE;
    request_ = HttpOpenRequestW(connect_, L"GET", path.c_str(), nullptr, nullptr, nullptr, flags, 0);
    if (!request_) return false;
    std::wstring headers;
    for (const std::string& line : headerLines_) headers += Widen(line) + L"\r\n";
    if (!headers.empty() && !HttpAddRequestHeadersW(request_, headers.c_str(), static_cast<DWORD>(headers.size()),
                                                    HTTP_ADDREQ_FLAG_ADD | HTTP_ADDREQ_FLAG_REPLACE)) {
        return false;
    }
    return limitMs_ == 0 || Limit(limitMs_);
}

bool WinInetGet::Send() {
    for (int hop = 0;; ++hop) {
        if (!HttpSendRequestW(request_, nullptr, 0, nullptr, 0)) return false;
        const int status = Status();
        if (status != 301 && status != 302 && status != 303 && status != 307 && status != 308) return true;
        // A redirect without an address is the caller's to refuse, as any other status.
        const std::string location = Location();
        if (location.empty()) return true;
        const std::optional<std::string> next =
            hop < kMaxRedirects ? RedirectTarget(url_, location, BuildRedirectHosts()) : std::nullopt;
        if (!next) {
            SetLastError(ERROR_HTTP_REDIRECT_FAILED);
            return false;
        }
        if (!OpenHandles(*next)) {
            SetLastError(ERROR_HTTP_REDIRECT_FAILED);
            return false;
        }
    }
}

bool WinInetGet::Limit(DWORD ms) {
    if (ms == 0) return false;
    limitMs_ = ms;
    for (DWORD option :
         {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT}) {
        if (!InternetSetOptionW(request_, option, &ms, sizeof(ms))) return false;
    }
    return true;
}

int WinInetGet::Status() const {
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!HttpQueryInfoW(request_, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)) return 0;
    return static_cast<int>(status);
}

std::string WinInetGet::Location() const {
    // Longer than any address RedirectTarget takes.
    std::wstring location(4096, L'\0');
    DWORD size = static_cast<DWORD>(location.size() * sizeof(wchar_t));
    if (!HttpQueryInfoW(request_, HTTP_QUERY_LOCATION, location.data(), &size, nullptr)) return {};
    location.resize(size / sizeof(wchar_t));
    return Narrow(location);
}

std::string WinInetGet::RawHeaders() const {
    DWORD size = 0;
    HttpQueryInfoW(request_, HTTP_QUERY_RAW_HEADERS_CRLF, nullptr, &size, nullptr);
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) return {};
    std::wstring headers(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(headers.size() * sizeof(wchar_t));
    if (!HttpQueryInfoW(request_, HTTP_QUERY_RAW_HEADERS_CRLF, headers.data(), &size, nullptr)) return {};
    headers.resize(size / sizeof(wchar_t));
    return Narrow(headers);
}

std::optional<DWORD> WinInetGet::ContentLength() const {
    DWORD length = 0;
    DWORD size = sizeof(length);
    if (!HttpQueryInfoW(request_, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size, nullptr)) {
        return std::nullopt;
    }
    return length;
}

void WinInetGet::Close() {
    for (HINTERNET* handle : {&request_, &connect_, &session_}) {
        if (*handle) InternetCloseHandle(*handle);
        *handle = nullptr;
    }
}

}  // namespace tf
