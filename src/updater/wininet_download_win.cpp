#include "updater/wininet_download_win.h"

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

double WinInetDownload::PerformanceClock::Now() {
    LARGE_INTEGER frequency{};
    LARGE_INTEGER counter{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

WinInetDownload::WinInetDownload()
    : download_(std::make_unique<Download>(transport_, NativeFileSystem(), clock_, LetPendingMessagesRun)) {}

WinInetDownload::~WinInetDownload() {
    // The rules go first: they abandon the request through the transport, which is still there.
    download_.reset();
}

}  // namespace tf
