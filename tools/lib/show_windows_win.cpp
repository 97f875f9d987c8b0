// Opens the windows of both programs one after the other for tools/screenshots: the main window on
// the demo vault, the editor and its password options, the settings window, the hint window over a
// fake browser page, and the updater during a download. For each it prints "shot <name> <left>
// <top> <right> <bottom>" and waits for a line on its input (the picture taken) before it goes on.
//
//   show_windows.exe FOLDER ADDRESS [SCALE WINDOWS]
// FOLDER holds the programs and the demo vault; ADDRESS is a page with a record in it. With SCALE
// (a percentage), only the WINDOWS named ("main", "editor", "velnor", joined by commas) are shown,
// each picture's name ending in "-SCALE".
#include <cstdio>
#include <iostream>
#include <string>

#include "support/fake_apps_win.h"
#include "support/ui_driver_win.h"
#include "shell/tray_menu_win.h"
#include "updater/velnor_window_win.h"

using namespace tf;
using namespace tf::test;

namespace {

constexpr wchar_t kMainClass[] = L"TamborvinFormMain";
constexpr wchar_t kHintClass[] = L"TamborvinFormHint";

// Says where the window is and waits until the picture is taken. False when it is not there.
bool Shot(const char* name, HWND window) {
    if (!window) {
        std::fprintf(stderr, "%s: the window did not open\n", name);
        return false;
    }
    Sleep(700);  // let it finish drawing
    RECT r;
    GetWindowRect(window, &r);
    std::printf("shot %s %ld %ld %ld %ld\n", name, r.left, r.top, r.right, r.bottom);
    std::fflush(stdout);
    std::string taken;
    std::getline(std::cin, taken);
    return true;
}

HWND VisibleTop(const Process& program, const wchar_t* cls) {
    HWND found = nullptr;
    WaitUntil([&] {
        for (HWND w : program.TopWindows(cls)) {
            if (IsWindowVisible(w)) found = w;
        }
        return found != nullptr;
    });
    return found;
}

// The release the update server offers comes down slowly enough to be seen.
int ShowVelnor(const std::wstring& folder, const std::string& name) {
    Process velnor(folder + L"\\velnor.exe", folder);
    HWND updater = VisibleTop(velnor, kVelnorWindowClass);
    if (!updater) return 1;
    // The release's description arrives with the first timer tick; then "Update" starts the download.
    WaitUntil([&] { return !WindowText(FindChildById(updater, kIdVelnorLabel17)).empty(); });
    PostCommand(FindChildById(updater, kIdVelnorCommand1));
    Sleep(3000);
    return Shot(name.c_str(), updater) ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // Rectangles in the screen's own pixels, also at 150 %.
    SetProcessDPIAware();
    if (argc < 3) return 2;
    const std::wstring folder = argv[1];
    const std::wstring address = argv[2];
    const std::string scale = argc > 4 ? Narrow(argv[3]) : "";
    const std::wstring only = argc > 4 ? argv[4] : L"";
    const auto wanted = [&](const wchar_t* window) { return scale.empty() || only.find(window) != std::wstring::npos; };
    const auto named = [&](const char* name) { return scale.empty() ? std::string(name) : name + ("-" + scale); };

    Process program(folder + L"\\Tamborvin Form.exe", folder);
    HWND main = VisibleTop(program, kMainClass);
    HWND grid = main ? FindChild(main, L"SysListView32", L"") : nullptr;
    if (!grid) return 1;
    RemoteListView list(grid);
    WaitUntil([&] { return list.RowCount() > 0; });
    list.Select(0);
    if (wanted(L"main") && !Shot(named("main-window").c_str(), main)) return 1;

    PostCommand(FindChild(main, L"", L"Edit"));
    HWND editor = VisibleTop(program, L"TamborvinFormEdit");
    if (wanted(L"editor") && !Shot(named("editor").c_str(), editor)) return 1;
    if (!scale.empty()) {
        PostMessageW(editor, WM_CLOSE, 0, 0);
        WaitUntil([&] { return !IsWindow(editor); });
        program.Kill();
        return wanted(L"velnor") ? ShowVelnor(folder, named("velnor-update")) : 0;
    }
    PostCommand(FindChildById(editor, 2201));  // Password options...
    if (!Shot("generator-options", VisibleTop(program, L"TamborvinFormGeneratorOptions"))) return 1;
    PostMessageW(VisibleTop(program, L"TamborvinFormGeneratorOptions"), WM_CLOSE, 0, 0);
    WaitUntil([&] { return IsWindowEnabled(editor) != FALSE; });
    PostMessageW(editor, WM_CLOSE, 0, 0);
    WaitUntil([&] { return !IsWindow(editor); });

    // The demo has no master password: the prompt takes an empty one.
    PostMessageW(main, WM_COMMAND, kIdMnuConfig, 0);
    HWND login = VisibleTop(program, L"TamborvinFormLogin");
    if (login) PostCommand(FindChildById(login, IDOK));
    HWND config = VisibleTop(program, L"TamborvinFormConfig");
    if (!Shot("settings", config)) return 1;
    PostMessageW(config, WM_CLOSE, 0, 0);
    WaitUntil([&] { return !IsWindow(config); });

    // The import's preview, of a browser's export with a row of each kind.
    const std::wstring csv = folder + L"\\chrome-export.csv";
    if (FILE* file = _wfopen(csv.c_str(), L"wb")) {
        std::fputs(
            "name,url,username,password\r\n"
            "GitHub,http://github.example/login,zwei-dev,gh-demo-key\r\n"
            "Mail,http://mail.example/,zhang.wei,new-m@il-demo\r\n"
            "\xE7\x9F\xA5\xE4\xB9\x8E,https://www.zhihu.example/signin,zhang.wei,zh-demo1\r\n"
            "\xE8\xB1\x86\xE7\x93\xA3,https://accounts.douban.example/login,zw88,db-demo2\r\n"
            "\xE5\xBE\xAE\xE4\xBF\xA1,android://com.tencent.mm,zhangwei,wx-demo\r\n"
            "Steam,https://store.steam.example/login,zwei,st-demo5\r\n",
            file);
        std::fclose(file);
    }
    PostCommand(FindChild(main, L"", L"Import..."));
    if (!ChooseFileInDialog(program.WaitForMessageBox(), csv)) return 1;
    HWND preview = VisibleTop(program, L"TamborvinFormImportPreview");
    if (!Shot("import-preview", preview)) return 1;
    PostMessageW(preview, WM_CLOSE, 0, 0);
    WaitUntil([&] { return !IsWindow(preview); });

    {
        FakeBrowser browser(L"chromium-msaa", address);
        HWND chrome = FindChild(main, L"", L"chrome");
        SendMessageW(chrome, BM_SETCHECK, BST_CHECKED, 0);
        PostCommand(chrome);
        if (!Shot("hint-window", VisibleTop(program, kHintClass))) return 1;
    }
    program.Kill();
    return ShowVelnor(folder, "velnor-update");
}
