#include "updater/win_http_down_win.h"

#include "base/file_system.h"

namespace tf {

void LetPendingMessagesRun() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

double WinHttpDown::PerformanceClock::Now() {
    LARGE_INTEGER frequency{};
    LARGE_INTEGER counter{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

WinHttpDown::WinHttpDown()
    : download_(std::make_unique<Download>(transport_, NativeFileSystem(), clock_, LetPendingMessagesRun)) {}

WinHttpDown::~WinHttpDown() {
    // The rules go first: they abandon the request through the transport, which is still there.
    download_.reset();
}

}  // namespace tf
