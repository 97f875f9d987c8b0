// The updater's download control (`WinHttpDown1` on its window): the download rules over WinINet,
// the Win32 file system and the performance counter, on the thread that creates it, running that
// thread's pending messages after every chunk so that Pause and Stop work during a transfer.
#pragma once

#include <memory>

#include "updater/download.h"
#include "updater/wininet_transport_win.h"

namespace tf {

class WinInetDownload {
public:
    WinInetDownload();
    // Abandons a transfer under way; its resume files stay.
    ~WinInetDownload();
    WinInetDownload(const WinInetDownload&) = delete;
    WinInetDownload& operator=(const WinInetDownload&) = delete;

    // The rules, properties and events: FileName, URL, GetStart, GetPause, GetStop, HttpState,
    // StateChanged.
    Download& control() { return *download_; }
    Download* operator->() { return download_.get(); }

private:
    class PerformanceClock final : public Clock {
    public:
        double Now() override;
    };

    WinInetTransport transport_;
    PerformanceClock clock_;
    std::unique_ptr<Download> download_;
};

// Runs the thread's pending messages; a quit request is put back for the owner's loop.
void LetPendingMessagesRun();

}  // namespace tf
