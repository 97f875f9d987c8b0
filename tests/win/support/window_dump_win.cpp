// On a test's first failure, prints every window of the programs the test started (and of the test
// program itself): class, id, text, state. A failure that happens once in a few runs can then be
// read from the log alone.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "support/ui_driver_win.h"

namespace tf::test {
namespace {

// A hung program must not hang the report too.
std::wstring TextWithin(HWND window, UINT ms) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, ms, &length)) return L"(no answer)";
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                             ms, &got))
        return L"(no answer)";
    text.resize(static_cast<std::size_t>(got));
    constexpr std::size_t kShown = 120;
    if (text.size() > kShown) text = text.substr(0, kShown) + L"…";
    for (wchar_t& c : text)
        if (c == L'\r' || c == L'\n') c = L' ';
    return text;
}

std::string Describe(HWND window) {
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    const std::wstring cls = ClassOf(window);
    std::wstring text;
    // Even a test password stays out of the log.
    if (lstrcmpiW(cls.c_str(), L"Edit") == 0 && (style & ES_PASSWORD)) {
        text = L"(password box)";
    } else {
        text = L"\"" + TextWithin(window, 300) + L"\"";
    }
    RECT r{};
    GetWindowRect(window, &r);
    char line[160];
    std::snprintf(line, sizeof line, " id=%d %s%s (%ld,%ld %ldx%ld) ", GetDlgCtrlID(window),
                  IsWindowVisible(window) ? "visible" : "hidden", IsWindowEnabled(window) ? "" : " disabled", r.left,
                  r.top, r.right - r.left, r.bottom - r.top);
    return Narrow(cls) + line + Narrow(text);
}

int Depth(HWND child, HWND top) {
    int depth = 1;
    for (HWND p = GetParent(child); p && p != top; p = GetParent(p)) ++depth;
    return depth;
}

void DumpWindowsOf(DWORD pid) {
    struct Walk {
        DWORD pid;
        std::vector<HWND> tops;
    } walk{pid, {}};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto* walk = reinterpret_cast<Walk*>(p);
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == walk->pid) walk->tops.push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&walk));
    std::printf("  process %lu: %zu top-level windows\n", pid, walk.tops.size());
    for (HWND top : walk.tops) {
        // Hidden helper windows without children say nothing; they are only counted above.
        if (!IsWindowVisible(top) && !GetWindow(top, GW_CHILD)) continue;
        std::printf("    %s\n", Describe(top).c_str());
        EnumChildWindows(
            top,
            [](HWND child, LPARAM topWindow) -> BOOL {
                const int depth = Depth(child, reinterpret_cast<HWND>(topWindow));
                std::printf("    %*s%s\n", 2 * depth, "", Describe(child).c_str());
                return TRUE;
            },
            reinterpret_cast<LPARAM>(top));
    }
}

class WindowDump : public ::testing::EmptyTestEventListener {
    void OnTestPartResult(const ::testing::TestPartResult& result) override {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        if (!result.failed() || !test || test == dumped_) return;
        dumped_ = test;
        std::printf("== the windows at the first failure of %s.%s\n", test->test_suite_name(), test->name());
        for (DWORD pid : ProgramProcessIds()) DumpWindowsOf(pid);
        DumpWindowsOf(GetCurrentProcessId());
        std::fflush(stdout);
    }

    const ::testing::TestInfo* dumped_ = nullptr;
};

}  // namespace

void DumpWindowsOnFailure() {
    static bool added = [] {
        ::testing::UnitTest::GetInstance()->listeners().Append(new WindowDump);
        return true;
    }();
    (void)added;
}

}  // namespace tf::test
