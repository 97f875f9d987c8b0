// Pasting into the window that has the keyboard focus: the clipboard, a wait that keeps this
// thread's messages flowing, and synthesised key strokes.
#pragma once

#include "autofill/credential_typer.h"
#include "base/windows_api_win.h"

namespace tf {

class Win32Clipboard : public ClipboardPort {
public:
    // Without an owner window one of our own (message-only) is made on first use: the clipboard
    // wants a window that owns what was put there.
    Win32Clipboard() = default;
    explicit Win32Clipboard(HWND owner) : owner_(owner) {}
    ~Win32Clipboard() override;
    Win32Clipboard(const Win32Clipboard&) = delete;
    Win32Clipboard& operator=(const Win32Clipboard&) = delete;

    void SetOwner(HWND owner) { owner_ = owner; }

    // One attempt; the paste tries again during its wait when another program holds the clipboard.
    bool PutText(const std::string& text) override;

private:
    HWND Owner();

    HWND owner_ = nullptr;
    HWND ownWindow_ = nullptr;
};

// The waitable timer of the paste delay. One wait at a time per instance: a second Wait while
// one runs (from a message handled during the first) is refused.
class clsWaitableTimer : public WaitPort {
public:
    clsWaitableTimer() = default;
    ~clsWaitableTimer() override;
    clsWaitableTimer(const clsWaitableTimer&) = delete;
    clsWaitableTimer& operator=(const clsWaitableTimer&) = delete;

    bool Wait(int milliseconds, std::string& error) { return WaitTrying(milliseconds, 0, {}, error); }
    bool WaitTrying(int milliseconds, int retryMs, const std::function<bool()>& attempt, std::string& error) override;
    bool Waiting() const override { return handle_ != nullptr; }

private:
    HANDLE handle_ = nullptr;
};

class SendInputKeys : public KeyPort {
public:
    bool SendPaste() override;
    bool TypeText(const std::string& text) override;
};

}  // namespace tf
