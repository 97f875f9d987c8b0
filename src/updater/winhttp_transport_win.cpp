#include "updater/winhttp_transport_win.h"

#include <winhttp.h>

#include <atomic>

#include "base/controls_win.h"

namespace tf {

namespace {

constexpr wchar_t kWindowClass[] = L"TamborvinWinHttpTransport";
// One message per kind of notification; wParam carries the request's id, lParam its value.
constexpr UINT kSent = WM_APP + 1;
constexpr UINT kHeaders = WM_APP + 2;
constexpr UINT kRead = WM_APP + 3;
constexpr UINT kError = WM_APP + 4;
// Large reads keep the per-chunk work (event, message pump) small beside the bytes moved.
constexpr DWORD kBufferSize = 256 * 1024;

std::atomic<long> g_openRequests{0};

}  // namespace

// Lives from WinHttpOpenRequest until WinHTTP reports the request handle closing, so that the read
// buffer outlasts a read still under way when the request is abandoned.
struct WinHttpRequestContext {
    HWND window = nullptr;
    unsigned id = 0;
    HINTERNET connect = nullptr;
    HINTERNET request = nullptr;
    std::vector<char> buffer = std::vector<char>(kBufferSize);
};

namespace {

// Runs on WinHTTP's threads (or inside a WinHTTP call): touches nothing but the context's window
// and id, which never change, and frees the context once its handle is gone.
void CALLBACK OnWinHttpStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID info, DWORD length) {
    auto* request = reinterpret_cast<WinHttpRequestContext*>(context);
    if (!request) return;
    switch (status) {
        case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
            PostMessageW(request->window, kSent, request->id, 0);
            break;
        case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE:
            PostMessageW(request->window, kHeaders, request->id, 0);
            break;
        case WINHTTP_CALLBACK_STATUS_READ_COMPLETE:
            PostMessageW(request->window, kRead, request->id, static_cast<LPARAM>(length));
            break;
        case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR:
            PostMessageW(request->window, kError, request->id,
                         static_cast<LPARAM>(static_cast<WINHTTP_ASYNC_RESULT*>(info)->dwError));
            break;
        case WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING:
            delete request;
            --g_openRequests;
            break;
        default:
            break;
    }
}

}  // namespace

WinHttpTransport::WinHttpTransport() {
    RegisterWindowClass(kWindowClass, OwnerWindowProc<WinHttpTransport>, nullptr);
    hwnd_ =
        CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), this);
    session_ = WinHttpOpen(L"velnor", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS,
                           WINHTTP_FLAG_ASYNC);
    if (session_) {
        WinHttpSetStatusCallback(session_, OnWinHttpStatus,
                                 WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS | WINHTTP_CALLBACK_FLAG_HANDLES, 0);
    }
}

WinHttpTransport::~WinHttpTransport() {
    *life_ = false;
    Abandon();
    if (session_) WinHttpCloseHandle(session_);
    if (hwnd_) DestroyWindow(hwnd_);
}

long WinHttpTransport::OpenRequests() { return g_openRequests.load(); }

bool WinHttpTransport::Start(const std::string& url, const std::vector<std::string>& headerLines, HttpEvents& events) {
    Abandon();
    if (!session_ || !hwnd_) return false;
    std::wstring wideUrl = Widen(url);
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof(parts);
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!WinHttpCrackUrl(wideUrl.c_str(), 0, 0, &parts) || parts.dwHostNameLength == 0) return false;
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
    path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (path.empty()) path = L"/";

    HINTERNET connect = WinHttpConnect(session_, host.c_str(), parts.nPort, 0);
    if (!connect) return false;
    const DWORD secure = parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0;
    HINTERNET handle = WinHttpOpenRequest(connect, L"GET", path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                          WINHTTP_DEFAULT_ACCEPT_TYPES, secure);
    if (!handle) {
        WinHttpCloseHandle(connect);
        return false;
    }
    auto* request = new WinHttpRequestContext;
    request->window = hwnd_;
    request->id = ++nextId_;
    request->connect = connect;
    request->request = handle;
    ++g_openRequests;
    // From here the handle's closing frees the context, also when sending fails.
    DWORD_PTR context = reinterpret_cast<DWORD_PTR>(request);
    WinHttpSetOption(handle, WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof(context));
    current_ = request;
    events_ = &events;

    std::wstring headers;
    for (const std::string& line : headerLines) headers += Widen(line) + L"\r\n";
    const bool sent =
        (headers.empty() || WinHttpAddRequestHeaders(handle, headers.c_str(), static_cast<DWORD>(headers.size()),
                                                     WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE)) &&
        WinHttpSendRequest(handle, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, context);
    if (!sent) {
        Release();
        return false;
    }
    return true;
}

void WinHttpTransport::Abandon() { Release(); }

void WinHttpTransport::Release() {
    WinHttpRequestContext* request = current_;
    current_ = nullptr;
    events_ = nullptr;
    if (!request) return;
    HINTERNET connect = request->connect;
    // The context may be freed inside this call: nothing of it is read afterwards.
    WinHttpCloseHandle(request->request);
    WinHttpCloseHandle(connect);
}

void WinHttpTransport::Fail(DWORD code) {
    HttpEvents* events = events_;
    Release();
    if (events) events->OnError(static_cast<int>(code));
}

void WinHttpTransport::ReadNext() {
    if (!current_) return;
    if (!WinHttpReadData(current_->request, current_->buffer.data(), kBufferSize, nullptr)) Fail(GetLastError());
}

LRESULT WinHttpTransport::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg < kSent || msg > kError) return DefWindowProcW(hwnd_, msg, wParam, lParam);
    // Notifications of an abandoned request are left unhandled.
    if (!current_ || current_->id != static_cast<unsigned>(wParam)) return 0;
    Notify(msg, lParam);
    return 0;
}

void WinHttpTransport::Notify(UINT what, LPARAM value) {
    const auto life = life_;
    WinHttpRequestContext* const request = current_;
    const unsigned id = request->id;
    // The receiver may abandon the request, start another or destroy the transport; reading on is
    // only for the same request of a living transport. Compared by number: a request started in a
    // handler may get the abandoned one's address.
    auto stillCurrent = [&] { return *life && current_ && current_->id == id; };
    switch (what) {
        case kSent:
            if (!WinHttpReceiveResponse(request->request, nullptr)) Fail(GetLastError());
            return;
        case kHeaders: {
            DWORD status = 0;
            DWORD size = sizeof(status);
            WinHttpQueryHeaders(request->request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                                WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX);
            std::wstring headers;
            size = 0;
            WinHttpQueryHeaders(request->request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX,
                                WINHTTP_NO_OUTPUT_BUFFER, &size, WINHTTP_NO_HEADER_INDEX);
            if (GetLastError() == ERROR_INSUFFICIENT_BUFFER && size > 0) {
                headers.resize(size / sizeof(wchar_t));
                if (WinHttpQueryHeaders(request->request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX,
                                        headers.data(), &size, WINHTTP_NO_HEADER_INDEX)) {
                    headers.resize(size / sizeof(wchar_t));
                } else {
                    headers.clear();
                }
            }
            events_->OnResponseStart(static_cast<int>(status), Narrow(headers));
            if (stillCurrent()) ReadNext();
            return;
        }
        case kRead: {
            const auto count = static_cast<std::size_t>(value);
            if (count == 0) {
                // The body ended (or the connection did: the receiver compares with the length).
                HttpEvents* events = events_;
                Release();
                events->OnFinished();
                return;
            }
            events_->OnData(std::string_view(request->buffer.data(), count));
            if (stillCurrent()) ReadNext();
            return;
        }
        case kError:
            Fail(static_cast<DWORD>(value));
            return;
        default:
            return;
    }
}

}  // namespace tf
