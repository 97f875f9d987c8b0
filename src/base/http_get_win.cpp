#include "base/http_get_win.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "base/program_look_win.h"
#include "base/wininet_get_win.h"

namespace tf {
namespace {

// Nothing of ours is bigger; a longer answer is no version text.
constexpr std::size_t kMaxBody = 64 * 1024;

// The fetch itself, on a worker. Each blocking call may wait only for what is left of the time, so
// that a server sending a byte now and then cannot stretch it, and the worker ends soon after the
// caller stopped waiting.
std::optional<std::string> Fetch(const std::string& url, ULONGLONG end) {
    const auto left = [end]() -> DWORD {
        const ULONGLONG now = GetTickCount64();
        return now >= end ? 0 : static_cast<DWORD>(end - now);
    };
    const std::unique_ptr<WinInetGet> get = WinInetGet::Open(url, kProgramTitle);
    if (!get || !get->Limit(left()) || !get->Send() || get->Status() != 200) return std::nullopt;
    const std::optional<DWORD> length = get->ContentLength();
    std::string body;
    while (true) {
        // Asked for only what has arrived: a read of more waits until it has all of it, however
        // long the server takes a byte at a time.
        DWORD available = 0;
        if (!get->Limit(left()) || !InternetQueryDataAvailable(get->request(), &available, 0, 0)) {
            return std::nullopt;
        }
        if (available == 0) break;
        char chunk[4096];
        DWORD read = 0;
        const DWORD want = std::min<DWORD>(available, sizeof chunk);
        if (!InternetReadFile(get->request(), chunk, want, &read)) return std::nullopt;
        if (read == 0) break;
        body.append(chunk, read);
        if (body.size() > kMaxBody) return std::nullopt;
    }
    // A dropped connection reports no error, only an early end.
    if (length && body.size() != *length) return std::nullopt;
    return body;
}

struct Outcome {
    std::mutex lock;
    std::condition_variable ended;
    bool done = false;
    std::optional<std::string> body;
};

}  // namespace

std::optional<std::string> HttpGetText(const std::string& url, unsigned limitMs) {
    // WinINet bounds neither the name lookup nor, on every Windows, the connect: the caller waits
    // for the worker no longer than the limit, and a worker still waiting is left to end by itself.
    const ULONGLONG end = GetTickCount64() + limitMs;
    auto outcome = std::make_shared<Outcome>();
    try {
        std::thread([outcome, url, end] {
            std::optional<std::string> body = Fetch(url, end);
            std::lock_guard<std::mutex> hold(outcome->lock);
            outcome->body = std::move(body);
            outcome->done = true;
            outcome->ended.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return std::nullopt;
    }
    std::unique_lock<std::mutex> hold(outcome->lock);
    if (!outcome->ended.wait_for(hold, std::chrono::milliseconds(limitMs), [&] { return outcome->done; })) {
        return std::nullopt;
    }
    return std::move(outcome->body);
}

}  // namespace tf
