// The fake programs the tests drive beside ours: a browser of a chosen kind showing an address, and
// a login page with an account and a password field.
#pragma once

#include <memory>
#include <string>

#include "support/ui_driver_win.h"

namespace tf::test {

inline constexpr int kFakeAddressId = 100;
inline constexpr int kFakeAccountId = 101;
inline constexpr int kFakePasswordId = 102;

// One fake browser of a kind, showing an address, closed again at the end. It runs as the program
// of that kind of browser ("chrome.exe" for the Chromium kinds), or under the name given.
class FakeBrowser {
public:
    FakeBrowser(const std::wstring& kind, const std::wstring& address, const std::wstring& program = L"");
    ~FakeBrowser() { Close(); }
    FakeBrowser(const FakeBrowser&) = delete;
    FakeBrowser& operator=(const FakeBrowser&) = delete;

    bool Ready() const { return address_ != nullptr && account_ && password_; }
    void SetAddress(const std::wstring& text);
    // The field that holds the address, focusable as an address bar.
    HWND AddressBar() const { return address_; }
    // The login page the browser shows in its own window.
    HWND Account() const { return account_; }
    HWND Password() const { return password_; }
    // Brings the browser to the front with the keyboard focus in the field; false when it did not come.
    bool Focus(HWND field) const;
    HWND Top() const { return top_; }
    // The title of the window holding the address (the msaa kinds count requests there).
    std::wstring Title() const { return WindowText(top_); }
    void Close();

private:
    Process process_;
    HWND top_ = nullptr;
    HWND address_ = nullptr;
    HWND account_ = nullptr;
    HWND password_ = nullptr;
};

// The fake login page, another program than the browser; its account field has the focus when it
// appears.
class FakeLoginPage {
public:
    FakeLoginPage();
    ~FakeLoginPage();
    FakeLoginPage(const FakeLoginPage&) = delete;
    FakeLoginPage& operator=(const FakeLoginPage&) = delete;

    bool Ready() const { return account_ && password_; }
    HWND Account() const { return account_; }
    HWND Password() const { return password_; }
    // Brings the page to the front with the keyboard focus in the field; false when it did not come.
    bool Focus(HWND field) const;

private:
    Process process_;
    HWND top_ = nullptr;
    HWND account_ = nullptr;
    HWND password_ = nullptr;
};

}  // namespace tf::test
