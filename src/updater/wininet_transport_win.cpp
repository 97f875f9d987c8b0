#include "updater/wininet_transport_win.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>

#include "base/controls_win.h"
#include "base/wininet_get_win.h"

namespace tf {

namespace {

constexpr wchar_t kWindowClass[] = L"TamborvinWinInetTransport";
// One message per kind of notification; wParam carries the request's id.
constexpr UINT kHeaders = WM_APP + 1;
constexpr UINT kData = WM_APP + 2;
constexpr UINT kFinished = WM_APP + 3;
constexpr UINT kError = WM_APP + 4;
// Large reads take what the socket holds in one call; a few buffers let the worker read on while
// the window thread writes, without letting a slow receiver pile up memory. The buffers are reused:
// under Wine a fresh megabyte for every read costs more than the read itself. A chunk stops growing
// at kChunkGather, so one more read of at most kReadCap is all a buffer must take beyond it; a
// larger buffer would only cost its first use.
constexpr DWORD kChunkSize = 2 * 1024 * 1024;
constexpr std::size_t kBuffers = 4;
// A chunk is handed over once it holds this much, or once its first bytes have waited this long.
constexpr DWORD kChunkGather = 1024 * 1024;
constexpr double kChunkWaitMs = 50;
// The most one read asks for beyond what has arrived: a transfer that slows down suddenly holds
// its progress back for no longer than this much takes to come in.
constexpr DWORD kReadCap = 1024 * 1024;
// Below this much per read (a rate under about 5 MB/s) a read asks only for what has arrived, or
// the rate's share if more.
constexpr DWORD kQueryBelow = 256 * 1024;

double NowMs() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::atomic<long> g_openRequests{0};

}  // namespace

// Shared by the transport and the worker; the worker alone touches the handles once it runs.
struct WinInetRequest {
    HWND window = nullptr;
    unsigned id = 0;
    std::unique_ptr<WinInetGet> get;
    std::atomic<bool> abandoned{false};

    std::vector<std::vector<char>> buffers = std::vector<std::vector<char>>(kBuffers);
    std::mutex lock;
    std::condition_variable room;
    // Buffers the worker may fill, and filled ones (index, bytes) in the order they were read.
    std::vector<std::size_t> free;
    std::deque<std::pair<std::size_t, DWORD>> filled;
    int status = 0;
    std::string headers;
    std::atomic<DWORD> error{0};
};

namespace {

void Post(const WinInetRequest& request, UINT what) {
    if (!request.abandoned) PostMessageW(request.window, what, request.id, 0);
}

void Fetch(const std::shared_ptr<WinInetRequest>& request) {
    WinInetGet& get = *request->get;
    if (!get.Send()) {
        request->error = GetLastError();
        Post(*request, kError);
        return;
    }
    {
        std::lock_guard<std::mutex> hold(request->lock);
        request->status = get.Status();
        request->headers = get.RawHeaders();
    }
    Post(*request, kHeaders);
    double recentRate = 0;  // bytes per millisecond over the last chunk
    for (;;) {
        std::size_t index = 0;
        {
            std::unique_lock<std::mutex> hold(request->lock);
            request->room.wait(hold, [&] { return request->abandoned || !request->free.empty(); });
            if (request->abandoned) return;
            index = request->free.back();
            request->free.pop_back();
        }
        std::vector<char>& buffer = request->buffers[index];
        if (buffer.empty()) buffer.resize(kChunkSize);
        // A read waits until it has all it asked for. Each read asks for what has arrived or what the
        // last chunk's rate brings in a moment, whichever is more: a fast transfer reads in big
        // blocks, a slow one's progress (and Pause and Stop) keeps moving. Reads are gathered into
        // one chunk until it is large or has waited long enough.
        DWORD filled = 0;
        bool ended = false;
        DWORD failure = 0;
        const double begun = NowMs();
        while (filled < kChunkSize && !request->abandoned) {
            const auto expected = static_cast<DWORD>(std::min(recentRate * kChunkWaitMs, double(kReadCap)));
            DWORD want = std::min(expected, kChunkSize - filled);
            // At a fast rate the read asks for what the rate brings; asking first what has arrived is
            // a round trip of its own under Wine, as costly as a large read.
            if (expected < kQueryBelow) {
                DWORD available = 0;
                if (!InternetQueryDataAvailable(get.request(), &available, 0, 0)) {
                    failure = GetLastError();
                    break;
                }
                want = available == 0 ? 1 : std::min(std::max(available, expected), kChunkSize - filled);
            }
            DWORD count = 0;
            if (!InternetReadFile(get.request(), buffer.data() + filled, want, &count)) {
                failure = GetLastError();
                break;
            }
            if (count == 0) {
                // The body ended (or the connection did: the receiver compares with the length).
                ended = true;
                break;
            }
            filled += count;
            if (filled >= kChunkGather || NowMs() - begun >= kChunkWaitMs) break;
        }
        recentRate = filled / std::max(NowMs() - begun, 1.0);
        if (filled > 0) {
            {
                std::lock_guard<std::mutex> hold(request->lock);
                request->filled.emplace_back(index, filled);
            }
            Post(*request, kData);
        } else {
            std::lock_guard<std::mutex> hold(request->lock);
            request->free.push_back(index);
        }
        if (failure) {
            request->error = failure;
            Post(*request, kError);
            return;
        }
        if (ended) {
            Post(*request, kFinished);
            return;
        }
        if (request->abandoned) return;
    }
}

void RunWorker(std::shared_ptr<WinInetRequest> request) {
    Fetch(request);
    request->get->Close();
    --g_openRequests;
}

}  // namespace

WinInetTransport::WinInetTransport() {
    RegisterWindowClass(kWindowClass, OwnerWindowProc<WinInetTransport>, nullptr);
    hwnd_ =
        CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), this);
}

WinInetTransport::~WinInetTransport() {
    *life_ = false;
    Abandon();
    if (hwnd_) DestroyWindow(hwnd_);
}

long WinInetTransport::OpenRequests() { return g_openRequests.load(); }

bool WinInetTransport::Start(const std::string& url, const std::vector<std::string>& headerLines, HttpEvents& events) {
    Abandon();
    if (!hwnd_) return false;
    std::unique_ptr<WinInetGet> get = WinInetGet::Open(url, L"velnor", headerLines);
    if (!get) return false;
    auto request = std::make_shared<WinInetRequest>();
    request->window = hwnd_;
    request->id = ++nextId_;
    request->get = std::move(get);
    for (std::size_t i = 0; i < kBuffers; ++i) request->free.push_back(i);
    ++g_openRequests;
    try {
        std::thread(RunWorker, request).detach();
    } catch (const std::system_error&) {
        // No thread (the process is out of them): a start that failed, not the end of the updater.
        --g_openRequests;
        return false;
    }
    current_ = std::move(request);
    events_ = &events;
    return true;
}

void WinInetTransport::Abandon() { Release(); }

void WinInetTransport::Release() {
    std::shared_ptr<WinInetRequest> request = std::move(current_);
    current_ = nullptr;
    events_ = nullptr;
    if (!request) return;
    {
        std::lock_guard<std::mutex> hold(request->lock);
        request->abandoned = true;
    }
    request->room.notify_all();
}

LRESULT WinInetTransport::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg < kHeaders || msg > kError) return DefWindowProcW(hwnd_, msg, wParam, lParam);
    // Notifications of an abandoned request are left unhandled.
    if (!current_ || current_->id != static_cast<unsigned>(wParam)) return 0;
    Notify(msg);
    return 0;
}

void WinInetTransport::Notify(UINT what) {
    const auto life = life_;
    const std::shared_ptr<WinInetRequest> request = current_;
    HttpEvents* const events = events_;
    // The receiver may abandon the request, start another or destroy the transport.
    auto stillCurrent = [&] { return *life && current_ == request; };
    switch (what) {
        case kHeaders: {
            int status = 0;
            std::string headers;
            {
                std::lock_guard<std::mutex> hold(request->lock);
                status = request->status;
                headers = std::move(request->headers);
            }
            events->OnResponseStart(status, headers);
            return;
        }
        case kData:
            // Each chunk posted its own message; whatever is queued now goes out at once.
            for (;;) {
                std::pair<std::size_t, DWORD> chunk;
                {
                    std::lock_guard<std::mutex> hold(request->lock);
                    if (request->filled.empty()) return;
                    chunk = request->filled.front();
                    request->filled.pop_front();
                }
                // The receiver may pump messages and take later chunks meanwhile: each has its own buffer.
                events->OnData(std::string_view(request->buffers[chunk.first].data(), chunk.second));
                {
                    std::lock_guard<std::mutex> hold(request->lock);
                    request->free.push_back(chunk.first);
                }
                request->room.notify_one();
                if (!stillCurrent()) return;
            }
        case kFinished:
            Release();
            events->OnFinished();
            return;
        case kError: {
            const DWORD code = request->error;
            Release();
            events->OnError(static_cast<int>(code));
            return;
        }
        default:
            return;
    }
}

}  // namespace tf
