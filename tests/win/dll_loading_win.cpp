// Both programs started from a folder that also holds DLLs named like system ones (a Downloads
// folder, say): they must load the system's, never the planted ones. Under Wine this fails when the
// loading of those DLLs by full path at start is gone; the delay-load hook and the default DLL
// directories behind it are not seen here, as that load already covers every name.
#include "support/program_test_win.h"

#include "updater/velnor_window_win.h"

namespace tf::test {
namespace {

// Every DLL the programs load after start, delay-loaded or by name (from the build): none is a known
// DLL, so a search for it by name would begin in the program's folder.
const wchar_t* const kPlanted[] = {TF_RUNTIME_DLLS};

// Wine's own user32 imports version.dll (Windows' does not): Wine would load a planted one before
// the program runs, so under Wine it keeps its builtin one and the import check covers it.
bool WineLoadsAtStart(const wchar_t* name) { return lstrcmpiW(name, L"version.dll") == 0; }

// Wine prefers its own DLLs; "native, then builtin" makes it look in the program's folder first, as
// Windows does (what WINEDLLOVERRIDES="name=n,b" does, here for the programs this test starts).
class NativeDllsFirst {
public:
    NativeDllsFirst() {
        for (const wchar_t* name : kPlanted) {
            if (WineLoadsAtStart(name)) continue;
            const std::wstring base(name, wcslen(name) - 4);
            RegSetKeyValueW(HKEY_CURRENT_USER, kKey, base.c_str(), REG_SZ, L"native,builtin",
                            sizeof(L"native,builtin"));
        }
    }
    ~NativeDllsFirst() {
        for (const wchar_t* name : kPlanted) {
            const std::wstring base(name, wcslen(name) - 4);
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, base.c_str());
        }
    }

private:
    static constexpr wchar_t kKey[] = L"Software\\Wine\\DllOverrides";
};

class DllLoadingTest : public ProgramTest {
protected:
    void Plant() {
        for (const wchar_t* name : kPlanted) {
            if (lstrcmpiW(name, winesOwn_) == 0) continue;
            ASSERT_TRUE(CopyFileW((TestsFolder() + L"\\planted_dll.dll").c_str(), folder_.File(name).c_str(), FALSE));
        }
    }
    void ExpectNoneLoaded() {
        for (const wchar_t* name : kPlanted) {
            if (lstrcmpiW(name, winesOwn_) == 0) continue;
            EXPECT_FALSE(folder_.Exists(std::wstring(name) + L".loaded"))
                << Narrow(name) << " was loaded from the folder";
        }
    }
    // A DLL Wine's own start-up of the program loads by name from its folder, whatever the program
    // does: not planted for it.
    const wchar_t* winesOwn_ = L"";
};

TEST_F(DllLoadingTest, TheMainProgramLoadsNoDllFromItsFolder) {
    // Wine's shlwapi, which the program's shell32 import brings in, forwards to shcore and has it
    // loaded by name before the program runs; Windows keeps shcore among its known DLLs. The
    // updater, which does not import shell32, is checked for it.
    winesOwn_ = L"shcore.dll";
    Plant();
    NativeDllsFirst overrides;
    StartProgram();
    // The theme, the drawing and the accessibility DLLs are in use once the window is up; the file
    // dialogs' once the import asks for a file.
    ASSERT_TRUE(IsWindowVisible(main_));
    PostCommand(Control(L"Import..."));
    HWND dialog = program_->WaitForMessageBox();
    ASSERT_NE(dialog, nullptr) << "no file dialog";
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
    ExitProgram();
    ExpectNoneLoaded();
}

TEST_F(DllLoadingTest, TheUpdaterLoadsNoDllFromItsFolder) {
    Plant();
    NativeDllsFirst overrides;
    const std::wstring velnor = folder_.CopyProgram(L"velnor.exe");
    Process updater(velnor, folder_.Path());
    ASSERT_NE(updater.WaitForTopWindow(kVelnorWindowClass), nullptr) << "the updater did not start";
    updater.Kill();
    ExpectNoneLoaded();
}

}  // namespace
}  // namespace tf::test
