#include "support/fake_apps_win.h"

namespace tf::test {
namespace {

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

std::wstring ProgramForKind(const std::wstring& kind) {
    if (kind.starts_with(L"ie")) return L"iexplore";
    if (kind.starts_with(L"opera")) return L"opera";
    if (kind.starts_with(L"firefox")) return L"firefox";
    return L"chrome";
}

bool FocusField(HWND top, HWND field) {
    FocusControl(field);
    return WaitUntil([&] { return HasFocus(field) && GetForegroundWindow() == top; }, 5s);
}

}  // namespace

FakeBrowser::FakeBrowser(const std::wstring& kind, const std::wstring& address, const std::wstring& program)
    : process_(TestsFolder() + L"\\browsers\\" + (program.empty() ? ProgramForKind(kind) : program) + L".exe",
               TestsFolder(), Quoted(kind) + L" " + Quoted(address)) {
    // The opera kinds make decoy windows first and put them in order before showing the one that
    // holds the address: only a visible window means the fake browser is finished.
    WaitUntil([&] {
        for (HWND w : process_.TopWindows()) {
            if (!IsWindowVisible(w)) continue;
            HWND field = FindChildById(w, kFakeAddressId);
            // The login page is put in last.
            HWND password = FindChildById(w, kFakePasswordId);
            if (field && password) {
                top_ = w;
                address_ = field;
                account_ = FindChildById(w, kFakeAccountId);
                password_ = password;
                return true;
            }
        }
        return false;
    });
}

void FakeBrowser::SetAddress(const std::wstring& text) {
    SendMessageW(address_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void FakeBrowser::Close() {
    if (!process_.Running()) return;
    PostMessageW(top_, WM_CLOSE, 0, 0);
    if (!process_.WaitForExit(10s)) process_.Kill();
}

bool FakeBrowser::Focus(HWND field) const { return FocusField(top_, field); }

FakeLoginPage::FakeLoginPage() : process_(TestsFolder() + L"\\fake_login_page_win.exe", TestsFolder()) {
    top_ = process_.WaitForTopWindow(L"FakeLoginPage");
    if (!top_) return;
    account_ = FindChildById(top_, kFakeAccountId);
    password_ = FindChildById(top_, kFakePasswordId);
}

FakeLoginPage::~FakeLoginPage() {
    if (!process_.Running()) return;
    PostMessageW(top_, WM_CLOSE, 0, 0);
    if (!process_.WaitForExit(10s)) process_.Kill();
}

bool FakeLoginPage::Focus(HWND field) const { return FocusField(top_, field); }

}  // namespace tf::test
