// Pasting into the window that has the keyboard focus: the clipboard, a wait that keeps this
// thread's messages flowing, and synthesised key strokes.
#pragma once

#include "autofill/credential_typer.h"
#include "base/windows_api_win.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace tf {

// What the clipboard held is kept up to this size in all (larger formats, and those past it, are
// not kept), and read for this long at most.
inline constexpr std::size_t kMaxKeptClipboardBytes = 64u << 20;
inline constexpr DWORD kReadPreviousMs = 300;

// The clipboard, owned by a hidden window of our own. The text goes there deferred: the system
// asks us for it when a program pastes, and that moment tells when the page has taken it.
class Win32Clipboard : public ClipboardPort {
public:
    Win32Clipboard();
    ~Win32Clipboard() override;
    Win32Clipboard(const Win32Clipboard&) = delete;
    Win32Clipboard& operator=(const Win32Clipboard&) = delete;

    // One attempt; the paste tries again during its wait when another program holds the clipboard.
    // What the clipboard held is read on a worker thread within kReadPreviousMs: a program that
    // takes longer to render its data keeps the clipboard open meanwhile, and the put fails.
    bool PutText(const std::string& text, ClipboardContent* previous = nullptr) override;
    std::uint32_t Sequence() override { return GetClipboardSequenceNumber(); }
    bool Restore(const ClipboardContent& content) override;
    // The text not yet handed out is forgotten: a program that pastes from now on gets nothing.
    void Withdraw() { Forget(); }

    // Called after a program took the deferred text; the clipboard then holds it for real.
    void SetTakenHandler(std::function<void()> handler) { taken_ = std::move(handler); }
    // A timer of the clipboard's window, for the restore; the handler runs at each tick.
    void StartTimer(UINT milliseconds, std::function<void()> tick);
    void StopTimer();
    HWND Window() const { return window_; }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Forget();

    HWND window_ = nullptr;
    // A read of the clipboard that ran past its time; nothing is read again until it is over.
    std::shared_ptr<struct ClipboardRead> lateRead_;
    // The clipboard's memory of the text once handed out, wiped when we empty the clipboard.
    HGLOBAL rendered_ = nullptr;
    // The text put on the clipboard and not yet handed out, wiped once it is.
    std::wstring deferred_;
    std::function<void()> taken_;
    std::function<void()> tick_;
};

// The waitable timer of the paste delay. One wait at a time per instance: a second Wait while
// one runs (from a message handled during the first) is refused. The timer has no name, so no
// other program can make one of that name first and take the wait over.
class clsWaitableTimer : public WaitPort {
public:
    clsWaitableTimer() = default;
    ~clsWaitableTimer() override;
    clsWaitableTimer(const clsWaitableTimer&) = delete;
    clsWaitableTimer& operator=(const clsWaitableTimer&) = delete;

    bool Wait(int milliseconds, std::string& error) { return WaitTrying(milliseconds, 0, {}, error); }
    bool WaitTrying(int milliseconds, int retryMs, const std::function<bool()>& attempt, std::string& error,
                    bool endWhenDone = false) override;
    bool Waiting() const override { return handle_ != nullptr; }

private:
    HANDLE handle_ = nullptr;
};

class SendInputKeys : public KeyPort {
public:
    bool SendPaste() override;
    bool TypeText(const std::string& text) override;
    bool ModifiersHeld() override;
};

}  // namespace tf
