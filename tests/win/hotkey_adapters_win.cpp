// The hotkey adapters against the real system: the settings file through the private-profile
// API, hotkey registration with real keystrokes, and the global atom table.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "base/file_system.h"
#include "base/window_helpers_win.h"
#include "base/windows_api_win.h"
#include "hotkeys/hotkey_registrar_win.h"
#include "hotkeys/hotkey_text.h"
#include "hotkeys/ini_file_win.h"
#include "hotkeys/ini_settings.h"

namespace tf {
namespace {

using namespace std::chrono_literals;

// The file's bytes as they are on disk; empty when it cannot be read.
std::string FileBytes(const std::string& path) {
    HANDLE file = CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

class HotkeyAdapterIni : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH + 1] = {};
        ASSERT_NE(GetTempPathW(MAX_PATH + 1, temp), 0u);
        folder_ = Narrow(temp) + "tf ini " + std::to_string(GetCurrentProcessId()) + " " +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name() + " 热键 设置";
        ASSERT_TRUE(CreateDirectoryW(Widen(folder_).c_str(), nullptr)) << GetLastError();
        path_ = IniPath(folder_);
    }
    void TearDown() override {
        DeleteFileW(Widen(path_).c_str());
        RemoveDirectoryW(Widen(folder_).c_str());
    }

    std::string folder_;
    std::string path_;
};

TEST_F(HotkeyAdapterIni, ReadsBackWhatItWroteInAFolderWithSpacesAndChinese) {
    PrivateProfileIniFile ini(path_);
    ini.Set(kHotkeySection, "0", "80,1,1,0");
    ini.Set(kHotkeySection, "1", "112,0,0,1");
    ini.Set(kUrlSection, kUrlKey, "http://example.test/a b?c=d");

    // A second instance reads the file itself, not anything the first one held.
    PrivateProfileIniFile again(path_);
    EXPECT_EQ(again.Get(kHotkeySection, "0"), "80,1,1,0");
    EXPECT_EQ(again.Get(kHotkeySection, "1"), "112,0,0,1");
    EXPECT_EQ(again.Get(kUrlSection, kUrlKey), "http://example.test/a b?c=d");

    const std::string bytes = FileBytes(path_);
    EXPECT_NE(bytes.find("[HotKey]"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("0=80,1,1,0"), std::string::npos) << bytes;
}

TEST_F(HotkeyAdapterIni, OverwritingAValueKeepsOnlyTheNewOne) {
    PrivateProfileIniFile ini(path_);
    ini.Set(kHotkeySection, "2", "65,1,0,0");
    ini.Set(kHotkeySection, "2", "66,0,1,0");
    EXPECT_EQ(ini.Get(kHotkeySection, "2"), "66,0,1,0");
    EXPECT_EQ(FileBytes(path_).find("65,1,0,0"), std::string::npos);
}

TEST_F(HotkeyAdapterIni, MissingKeysSectionsAndFilesReadEmpty) {
    PrivateProfileIniFile ini(path_);
    EXPECT_EQ(ini.Get(kHotkeySection, "0"), "");  // no file yet
    ini.Set(kHotkeySection, "0", "80,1,1,0");
    EXPECT_EQ(ini.Get(kHotkeySection, "5"), "");
    EXPECT_EQ(ini.Get(kUrlSection, kUrlKey), "");
}

TEST_F(HotkeyAdapterIni, AMissingValueIsWrittenBackWithItsDefault) {
    PrivateProfileIniFile ini(path_);
    ini.Set(kHotkeySection, "0", "80,1,1,0");

    EXPECT_EQ(ReadIni(ini, kHotkeySection, "3", kNoHotkeyValue), kNoHotkeyValue);
    EXPECT_EQ(ReadIni(ini, kHotkeySection, "0", kNoHotkeyValue), "80,1,1,0");

    const std::string bytes = FileBytes(path_);
    EXPECT_NE(bytes.find(std::string("3=") + kNoHotkeyValue), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("0=80,1,1,0"), std::string::npos) << bytes;
    EXPECT_EQ(PrivateProfileIniFile(path_).Get(kHotkeySection, "3"), kNoHotkeyValue);
}

TEST_F(HotkeyAdapterIni, AFirstStartFillsEveryHotkeyBox) {
    PrivateProfileIniFile ini(path_);
    LoadHotKeys(ini);
    const std::string bytes = FileBytes(path_);
    for (int i = 0; i < kHotkeyBoxCount; ++i)
        EXPECT_NE(bytes.find(std::to_string(i) + "=" + kNoHotkeyValue), std::string::npos) << i << "\n" << bytes;
}

TEST_F(HotkeyAdapterIni, AValueLongerThan143CharactersComesBackCut) {
    std::string longValue;
    for (int i = 0; i < 200; ++i) longValue += static_cast<char>('a' + i % 26);
    PrivateProfileIniFile ini(path_);
    ini.Set(kUrlSection, kUrlKey, longValue);

    // The file holds all of it; only the read is cut.
    EXPECT_NE(FileBytes(path_).find(longValue), std::string::npos);
    EXPECT_EQ(ini.Get(kUrlSection, kUrlKey), longValue.substr(0, 143));
    EXPECT_EQ(ReadUrlSetting(ini), longValue.substr(0, 143));

    const std::string exact = longValue.substr(0, 143);
    ini.Set(kUrlSection, kUrlKey, exact);
    EXPECT_EQ(ini.Get(kUrlSection, kUrlKey), exact);
}

// A message-only window of the test's own thread, to register hotkeys to.
HWND MakeWindow() { return CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr); }

// Presses the keys in order and lets them go in reverse, as fingers would.
void PressChord(const std::vector<WORD>& keys) {
    std::vector<INPUT> inputs;
    for (WORD k : keys) inputs.push_back(KeyInput(k, false));
    for (auto k = keys.rbegin(); k != keys.rend(); ++k) inputs.push_back(KeyInput(*k, true));
    ASSERT_EQ(SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)), inputs.size());
}

// The first WM_HOTKEY for `window` within the deadline; message 0 when none came.
MSG WaitForHotkey(HWND window) {
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    MSG msg{};
    while (std::chrono::steady_clock::now() < deadline) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_HOTKEY && msg.hwnd == window) return msg;
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    return MSG{};
}

class HotkeyAdapterRegistrar : public ::testing::Test {
protected:
    void SetUp() override {
        first_ = MakeWindow();
        second_ = MakeWindow();
        ASSERT_NE(first_, nullptr);
        ASSERT_NE(second_, nullptr);
    }
    void TearDown() override {
        DestroyWindow(first_);
        DestroyWindow(second_);
    }

    HWND first_ = nullptr;
    HWND second_ = nullptr;
};

TEST_F(HotkeyAdapterRegistrar, MapsTheCoreMaskToTheSystemOne) {
    EXPECT_EQ(ToSystemModifiers(0), 0u);
    EXPECT_EQ(ToSystemModifiers(kHotkeyAlt), static_cast<UINT>(MOD_ALT));
    EXPECT_EQ(ToSystemModifiers(kHotkeyCtrl), static_cast<UINT>(MOD_CONTROL));
    EXPECT_EQ(ToSystemModifiers(kHotkeyShift), static_cast<UINT>(MOD_SHIFT));
    EXPECT_EQ(ToSystemModifiers(kHotkeyAlt | kHotkeyCtrl | kHotkeyShift),
              static_cast<UINT>(MOD_ALT | MOD_CONTROL | MOD_SHIFT));
}

TEST_F(HotkeyAdapterRegistrar, CtrlAltPTypedRaisesTheRegisteredId) {
    Win32HotkeyRegistrar registrar(first_);
    ASSERT_TRUE(registrar.Register(0x2345, kHotkeyCtrl | kHotkeyAlt, 'P')) << GetLastError();

    PressChord({VK_CONTROL, VK_MENU, 'P'});
    const MSG msg = WaitForHotkey(first_);
    registrar.Unregister(0x2345);

    ASSERT_EQ(msg.message, static_cast<UINT>(WM_HOTKEY));
    EXPECT_EQ(msg.wParam, 0x2345u);
    EXPECT_EQ(LOWORD(msg.lParam), MOD_CONTROL | MOD_ALT);
    EXPECT_EQ(HIWORD(msg.lParam), 'P');
}

TEST_F(HotkeyAdapterRegistrar, ShiftReachesTheSystemAsShift) {
    Win32HotkeyRegistrar registrar;
    registrar.SetWindow(first_);
    ASSERT_TRUE(registrar.Register(7, kHotkeyCtrl | kHotkeyShift, 'P')) << GetLastError();

    PressChord({VK_CONTROL, VK_SHIFT, 'P'});
    const MSG msg = WaitForHotkey(first_);
    registrar.Unregister(7);

    ASSERT_EQ(msg.message, static_cast<UINT>(WM_HOTKEY));
    EXPECT_EQ(msg.wParam, 7u);
    EXPECT_EQ(LOWORD(msg.lParam), MOD_CONTROL | MOD_SHIFT);
}

TEST_F(HotkeyAdapterRegistrar, ACombinationHeldByAnotherWindowIsRefusedUntilUnregistered) {
    Win32HotkeyRegistrar holder(first_);
    Win32HotkeyRegistrar other(second_);
    ASSERT_TRUE(holder.Register(1, kHotkeyCtrl | kHotkeyAlt, 'P'));

    EXPECT_FALSE(other.Register(2, kHotkeyCtrl | kHotkeyAlt, 'P'));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_HOTKEY_ALREADY_REGISTERED));
    // Another combination is free all along.
    EXPECT_TRUE(other.Register(3, kHotkeyCtrl | kHotkeyAlt, 'Q'));
    other.Unregister(3);

    holder.Unregister(1);
    EXPECT_TRUE(other.Register(2, kHotkeyCtrl | kHotkeyAlt, 'P')) << GetLastError();
    other.Unregister(2);
}

TEST(HotkeyAdapterAtoms, AddsFindsAndDeletesGlobalAtoms) {
    Win32HotkeyRegistrar registrar;
    const std::string name = "TfHotkeyTest" + std::to_string(GetCurrentProcessId()) + "Xq";
    const std::wstring wide = Widen(name);
    ASSERT_EQ(GlobalFindAtomW(wide.c_str()), 0);

    const int atom = registrar.AddAtom(name);
    ASSERT_NE(atom, 0);
    EXPECT_EQ(GlobalFindAtomW(wide.c_str()), atom);
    wchar_t back[64] = {};
    ASSERT_NE(GlobalGetAtomNameW(static_cast<ATOM>(atom), back, 64), 0u);
    EXPECT_EQ(Narrow(back), name);

    // The same name again is the same atom, counted twice.
    EXPECT_EQ(registrar.AddAtom(name), atom);
    registrar.DeleteAtom(atom);
    EXPECT_EQ(GlobalFindAtomW(wide.c_str()), atom);
    registrar.DeleteAtom(atom);
    EXPECT_EQ(GlobalFindAtomW(wide.c_str()), 0);
}

TEST(HotkeyAdapterAtoms, ANameTheTableRefusesGivesZero) {
    Win32HotkeyRegistrar registrar;
    EXPECT_EQ(registrar.AddAtom(std::string(300, 'x')), 0);  // atom names stop at 255 characters
    EXPECT_EQ(registrar.AddAtom(""), 0);
}

}  // namespace
}  // namespace tf
