#include "ui_driver_win.h"

#include "base/window_helpers_win.h"

#include <commctrl.h>
#include <dlgs.h>
#include <psapi.h>
#include <shlobj.h>

#include <cstring>
#include <stdexcept>
#include <thread>

namespace tf::test {

namespace {

std::wstring ModuleFolder() {
    wchar_t path[MAX_PATH * 2];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    std::wstring s(path, n);
    return s.substr(0, s.find_last_of(L"\\/"));
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void DeleteTree(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring full = folder + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                DeleteTree(full);
            } else {
                SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(full.c_str());
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}

void SendMouse(DWORD flags, POINT at = {}) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    if (flags & MOUSEEVENTF_ABSOLUTE) {
        // Absolute positions are given in 0..65535 across the primary screen.
        input.mi.dx = MulDiv(at.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
        input.mi.dy = MulDiv(at.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    }
    SendInput(1, &input, sizeof(input));
}

// A real motion onto the point, so that the window under it learns the mouse is there even when
// the pointer rests where it was (a window shown again under a still pointer does not).
void MoveMouseTo(POINT p) {
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, {p.x + 3, p.y + 3});
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, p);
}

POINT CentreOf(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        PumpMessages();
        Sleep(20);
    }
}

std::wstring TestsFolder() { return ModuleFolder(); }

std::wstring DistFolder() {
    std::wstring tests = ModuleFolder();
    return tests.substr(0, tests.find_last_of(L"\\/")) + L"\\dist";
}

ScratchFolder::ScratchFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static int counter = 0;
    for (;;) {
        path_ = std::wstring(temp) + L"tf-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(++counter) + L" folder";
        if (CreateDirectoryW(path_.c_str(), nullptr)) break;
        if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("cannot create a scratch folder");
    }
}

ScratchFolder::~ScratchFolder() { DeleteTree(path_); }

std::wstring ScratchFolder::CopyProgram(const std::wstring& name) const {
    std::wstring target = File(name);
    if (!CopyFileW((DistFolder() + L"\\" + name).c_str(), target.c_str(), FALSE))
        throw std::runtime_error("cannot copy " + Narrow(name));
    return target;
}

void ScratchFolder::Write(const std::wstring& name, const std::string& bytes) const {
    HANDLE f =
        CreateFileW(File(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write " + Narrow(name));
    DWORD written = 0;
    WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(f);
}

std::optional<std::string> ScratchFolder::Read(const std::wstring& name) const {
    HANDLE f = CreateFileW(File(name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(f, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    CloseHandle(f);
    return bytes;
}

bool ScratchFolder::Exists(const std::wstring& name) const {
    return GetFileAttributesW(File(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

FILETIME ScratchFolder::WriteTime(const std::wstring& name) const {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(File(name).c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

std::vector<std::wstring> ScratchFolder::FileNames() const {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((path_ + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
}

namespace {

// Every program a test starts goes into one job that ends them all when the test program ends,
// even when the run's time limit kills it: a program left behind would hold the run's output open.
HANDLE ProgramsJob() {
    static HANDLE job = [] {
        HANDLE made = CreateJobObjectW(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (made) SetInformationJobObject(made, JobObjectExtendedLimitInformation, &limits, sizeof limits);
        return made;
    }();
    return job;
}

}  // namespace

std::vector<DWORD> ProgramProcessIds() {
    std::vector<DWORD> ids;
    HANDLE job = ProgramsJob();
    if (!job) return ids;
    // The list's header, then room for the ids that follow it.
    constexpr DWORD kMost = 256;
    std::vector<unsigned char> raw(sizeof(JOBOBJECT_BASIC_PROCESS_ID_LIST) + kMost * sizeof(ULONG_PTR));
    auto* list = reinterpret_cast<JOBOBJECT_BASIC_PROCESS_ID_LIST*>(raw.data());
    list->NumberOfAssignedProcesses = kMost;
    if (!QueryInformationJobObject(job, JobObjectBasicProcessIdList, list, static_cast<DWORD>(raw.size()), nullptr))
        return ids;
    const ULONG_PTR* pids = list->ProcessIdList;
    for (DWORD i = 0; i < list->NumberOfProcessIdsInList && i < kMost; ++i) ids.push_back(static_cast<DWORD>(pids[i]));
    return ids;
}

Process::Process(const std::wstring& exe, const std::wstring& workingFolder, const std::wstring& arguments) {
    DumpWindowsOnFailure();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring command = L"\"" + exe + L"\"";
    if (!arguments.empty()) command += L" " + arguments;
    // Suspended until it is in the job, so that nothing it starts escapes the job. Wine has been
    // seen to refuse a start once, right after the last test's programs went: one more try.
    auto start = [&] {
        return CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                              workingFolder.c_str(), &startup, &info_) != FALSE;
    };
    if (!start()) {
        const DWORD first = GetLastError();
        Sleep(200);
        if (!start())
            throw std::runtime_error("cannot start " + Narrow(exe) + " (error " + std::to_string(first) + ", then " +
                                     std::to_string(GetLastError()) + ")");
    }
    if (HANDLE job = ProgramsJob()) AssignProcessToJobObject(job, info_.hProcess);
    ResumeThread(info_.hThread);
}

Process::~Process() {
    if (Running()) Kill();
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

bool Process::Running() const { return WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }

std::optional<DWORD> Process::WaitForExit(std::chrono::milliseconds timeout) const {
    if (!WaitUntil([&] { return !Running(); }, timeout)) return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

void Process::Kill() {
    TerminateProcess(info_.hProcess, 99);
    WaitForSingleObject(info_.hProcess, 5000);
}

std::vector<HWND> Process::TopWindows(const std::wstring& className) const {
    struct Search {
        DWORD pid;
        const std::wstring* cls;
        std::vector<HWND> found;
    } search{Id(), &className, {}};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid == s->pid && (s->cls->empty() || ClassOf(w) == *s->cls)) s->found.push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND Process::WaitForTopWindow(const std::wstring& className, std::chrono::milliseconds timeout) const {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND w : TopWindows(className))
                if (IsWindowVisible(w)) found = w;
            return found != nullptr;
        },
        timeout);
    return found;
}

HWND Process::WaitForMessageBox(std::chrono::milliseconds timeout) const {
    return WaitForTopWindow(L"#32770", timeout);
}

std::wstring WindowText(HWND window) {
    // WM_GETTEXT reaches another process's controls, where GetWindowText does not.
    auto length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    auto got = SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(got));
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256];
    int n = GetClassNameW(window, name, 256);
    return std::wstring(name, static_cast<std::size_t>(n > 0 ? n : 0));
}

namespace {

HWND FindChildNow(HWND parent, const std::wstring& className, const std::wstring& text) {
    struct Search {
        const std::wstring *cls, *text;
        HWND found;
    } search{&className, &text, nullptr};
    EnumChildWindows(
        parent,
        [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            if ((s->cls->empty() || ClassOf(w) == *s->cls) && WindowText(w) == *s->text) {
                s->found = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindChildByIdNow(HWND parent, int id) {
    struct Search {
        int id;
        HWND found;
    } search{id, nullptr};
    EnumChildWindows(
        parent,
        [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            if (GetDlgCtrlID(w) == s->id) {
                s->found = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The child, once there; a parent that is gone ends the wait at once.
HWND WaitForChild(HWND parent, std::chrono::milliseconds wait, const std::function<HWND()>& find) {
    HWND found = find();
    if (!found && wait.count() > 0 && IsWindow(parent))
        WaitUntil([&] { return (found = find()) != nullptr || !IsWindow(parent); }, wait);
    return found;
}

}  // namespace

HWND FindChild(HWND parent, const std::wstring& className, const std::wstring& text, std::chrono::milliseconds wait) {
    return WaitForChild(parent, wait, [&] { return FindChildNow(parent, className, text); });
}

HWND FindChildById(HWND parent, int id, std::chrono::milliseconds wait) {
    return WaitForChild(parent, wait, [&] { return FindChildByIdNow(parent, id); });
}

std::wstring MessageBoxText(HWND box) {
    HWND text = GetDlgItem(box, 0xFFFF);
    return text ? WindowText(text) : std::wstring();
}

void AnswerMessageBox(HWND box, int buttonId) {
    HWND button = GetDlgItem(box, buttonId);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void ClickWindow(HWND window) {
    MoveMouseTo(CentreOf(window));
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    SendMouse(MOUSEEVENTF_LEFTUP);
}

void DoubleClickWindow(HWND window) {
    ClickWindow(window);
    ClickWindow(window);
}

void TypeText(const std::wstring& text) {
    std::vector<INPUT> inputs;
    for (wchar_t c : text) {
        INPUT down{};
        down.type = INPUT_KEYBOARD;
        down.ki.wScan = c;
        down.ki.dwFlags = KEYEVENTF_UNICODE;
        INPUT up = down;
        up.ki.dwFlags |= KEYEVENTF_KEYUP;
        inputs.push_back(down);
        inputs.push_back(up);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void PressKey(WORD virtualKey, int repeats) {
    // An auto-repeat is another key-down without a key-up between.
    std::vector<INPUT> inputs(static_cast<std::size_t>(repeats) + 1, KeyInput(virtualKey, false));
    inputs.push_back(KeyInput(virtualKey, true));
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void HoldChord(std::initializer_list<WORD> modifiers, WORD virtualKey, std::chrono::milliseconds hold) {
    const auto key = KeyInput;
    std::vector<INPUT> inputs;
    for (WORD m : modifiers) inputs.push_back(key(m, false));
    inputs.push_back(key(virtualKey, false));
    inputs.push_back(key(virtualKey, true));
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    // The user's fingers, still on the modifiers.
    if (hold.count() > 0) Sleep(static_cast<DWORD>(hold.count()));
    inputs.clear();
    for (auto m = std::rbegin(modifiers); m != std::rend(modifiers); ++m) inputs.push_back(key(*m, true));
    if (!inputs.empty()) SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void PressChord(std::initializer_list<WORD> modifiers, WORD virtualKey) { HoldChord(modifiers, virtualKey, {}); }

bool HasFocus(HWND control) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(control, nullptr), &info) && info.hwndFocus == control;
}

void FocusControl(HWND control) {
    HWND top = GetAncestor(control, GA_ROOT);
    DWORD target = GetWindowThreadProcessId(control, nullptr);
    DWORD self = GetCurrentThreadId();
    // Sharing the input state is what lets another process's control take the focus from here.
    AttachThreadInput(self, target, TRUE);
    SetForegroundWindow(top);
    SetFocus(control);
    AttachThreadInput(self, target, FALSE);
}

void PostCommand(HWND control, WORD notification) {
    PostMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), notification),
                 reinterpret_cast<LPARAM>(control));
}

bool ChooseFileInDialog(HWND dialog, const std::wstring& path) {
    if (!dialog) return false;
    // The name box is an edit inside a combo box (inside an extended one), or (older dialogs) an
    // edit of its own.
    HWND name = FindChildById(dialog, cmb13, 2s);
    while (name && ClassOf(name) != L"Edit") name = GetWindow(name, GW_CHILD);
    if (!name) name = FindChildById(dialog, edt1, 2s);
    if (!name) return false;
    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    return WaitUntil([&] { return !IsWindow(dialog); });
}

bool SendAndWait(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, msg, wParam, lParam, SMTO_NORMAL, 5000, &result) != 0;
}

namespace {
constexpr SIZE_T kRemoteSize = 64 * 1024;
constexpr SIZE_T kTextOffset = 4096;
constexpr int kTextChars = static_cast<int>((kRemoteSize - kTextOffset) / sizeof(wchar_t));
}  // namespace

RemoteListView::RemoteListView(HWND listView) : listView_(listView) {
    DWORD pid = 0;
    GetWindowThreadProcessId(listView, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process_) throw std::runtime_error("cannot open the list view's process");
    remote_ = VirtualAllocEx(process_, nullptr, kRemoteSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote_) throw std::runtime_error("cannot lend memory in the list view's process");
}

RemoteListView::~RemoteListView() {
    VirtualFreeEx(process_, remote_, 0, MEM_RELEASE);
    CloseHandle(process_);
}

int RemoteListView::RowCount() const { return static_cast<int>(SendMessageW(listView_, LVM_GETITEMCOUNT, 0, 0)); }

int RemoteListView::ColumnCount() const {
    HWND header = reinterpret_cast<HWND>(SendMessageW(listView_, LVM_GETHEADER, 0, 0));
    return static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
}

std::wstring RemoteListView::Text(int row, int column) const {
    auto* base = static_cast<char*>(remote_);
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = reinterpret_cast<wchar_t*>(base + kTextOffset);
    item.cchTextMax = kTextChars;
    WriteProcessMemory(process_, base, &item, sizeof item, nullptr);
    auto n = SendMessageW(listView_, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(base));
    std::wstring text(static_cast<std::size_t>(n), L'\0');
    ReadProcessMemory(process_, base + kTextOffset, text.data(), text.size() * sizeof(wchar_t), nullptr);
    return text;
}

std::vector<std::vector<std::wstring>> RemoteListView::Rows() const {
    std::vector<std::vector<std::wstring>> rows;
    int columns = ColumnCount();
    for (int r = 0; r < RowCount(); ++r) {
        std::vector<std::wstring> row;
        for (int c = 0; c < columns; ++c) row.push_back(Text(r, c));
        rows.push_back(std::move(row));
    }
    return rows;
}

std::wstring RemoteListView::HeaderText(int column) const {
    auto* base = static_cast<char*>(remote_);
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT;
    col.pszText = reinterpret_cast<wchar_t*>(base + kTextOffset);
    col.cchTextMax = kTextChars;
    WriteProcessMemory(process_, base, &col, sizeof col, nullptr);
    if (!SendMessageW(listView_, LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(base))) return {};
    std::wstring text(256, L'\0');
    ReadProcessMemory(process_, base + kTextOffset, text.data(), text.size() * sizeof(wchar_t), nullptr);
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
}

int RemoteListView::ColumnWidth(int column) const {
    return static_cast<int>(SendMessageW(listView_, LVM_GETCOLUMNWIDTH, column, 0));
}

void RemoteListView::Select(int row) const {
    auto* base = static_cast<char*>(remote_);
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = 0;
    WriteProcessMemory(process_, base, &item, sizeof item, nullptr);
    SendMessageW(listView_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(base));
    if (row < 0) return;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    WriteProcessMemory(process_, base, &item, sizeof item, nullptr);
    SendMessageW(listView_, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(base));
}

int RemoteListView::SelectedRow() const {
    return static_cast<int>(SendMessageW(listView_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

RECT RemoteListView::RowRect(int row) const {
    auto* base = static_cast<char*>(remote_);
    RECT r{};
    r.left = LVIR_BOUNDS;
    WriteProcessMemory(process_, base, &r, sizeof r, nullptr);
    SendMessageW(listView_, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(base));
    ReadProcessMemory(process_, base, &r, sizeof r, nullptr);
    MapWindowPoints(listView_, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

namespace {

// Runs a function of kernel32 or of a DLL loaded in both processes inside the other process, with
// one argument; its 32-bit result, or nothing when it could not run.
std::optional<DWORD> RunRemote(HANDLE process, FARPROC local, HMODULE localModule, HMODULE remoteModule,
                               void* argument) {
    auto offset = reinterpret_cast<const BYTE*>(local) - reinterpret_cast<const BYTE*>(localModule);
    auto start = reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<BYTE*>(remoteModule) + offset);
    HANDLE thread = CreateRemoteThread(process, nullptr, 0, start, argument, 0, nullptr);
    if (!thread) return std::nullopt;
    std::optional<DWORD> result;
    if (WaitForSingleObject(thread, 10000) == WAIT_OBJECT_0) {
        DWORD code = 0;
        if (GetExitCodeThread(thread, &code)) result = code;
    }
    CloseHandle(thread);
    return result;
}

// A module of the other process by its file name.
HMODULE RemoteModule(HANDLE process, const wchar_t* name) {
    HMODULE modules[1024];
    DWORD bytes = 0;
    if (!EnumProcessModules(process, modules, sizeof modules, &bytes)) return nullptr;
    for (DWORD i = 0; i < bytes / sizeof(HMODULE); ++i) {
        wchar_t base[MAX_PATH] = {};
        if (GetModuleBaseNameW(process, modules[i], base, MAX_PATH) && lstrcmpiW(base, name) == 0) return modules[i];
    }
    return nullptr;
}

}  // namespace

std::optional<DWORD> RunProbe(HWND window, const char* function, const void* block, std::size_t size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid);
    const std::wstring probePath = TestsFolder() + L"\\menu_probe.dll";
    HMODULE localProbe = LoadLibraryW(probePath.c_str());
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    std::optional<DWORD> result;
    if (process && localProbe && kernel) {
        HMODULE remoteProbe = RemoteModule(process, L"menu_probe.dll");
        if (!remoteProbe) {
            // The path goes into the other process's memory for its LoadLibraryW.
            const SIZE_T pathBytes = (probePath.size() + 1) * sizeof(wchar_t);
            void* remotePath = VirtualAllocEx(process, nullptr, pathBytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
            if (remotePath && WriteProcessMemory(process, remotePath, probePath.c_str(), pathBytes, nullptr)) {
                RunRemote(process, GetProcAddress(kernel, "LoadLibraryW"), kernel,
                          RemoteModule(process, L"kernel32.dll"), remotePath);
            }
            if (remotePath) VirtualFreeEx(process, remotePath, 0, MEM_RELEASE);
            remoteProbe = RemoteModule(process, L"menu_probe.dll");
        }
        void* remoteBlock = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        if (remoteProbe && remoteBlock && WriteProcessMemory(process, remoteBlock, block, size, nullptr)) {
            result = RunRemote(process, GetProcAddress(localProbe, function), localProbe, remoteProbe, remoteBlock);
        }
        if (remoteBlock) VirtualFreeEx(process, remoteBlock, 0, MEM_RELEASE);
    }
    if (localProbe) FreeLibrary(localProbe);
    if (process) CloseHandle(process);
    return result;
}

std::vector<std::wstring> PopupMenuItems(HWND menuWindow) {
    std::vector<std::wstring> items;
    constexpr DWORD kResultBytes = 64 * 1024;
    HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kResultBytes,
                                        L"Local\\TamborvinFormMenuProbe");
    if (!mapping) return items;
    const std::optional<DWORD> read = RunProbe(menuWindow, "ReadMenuItems", &menuWindow, sizeof menuWindow);
    if (read && *read > 0) {
        if (auto* text = static_cast<const wchar_t*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, kResultBytes))) {
            std::wstring all(text, wcsnlen(text, kResultBytes / sizeof(wchar_t)));
            UnmapViewOfFile(text);
            for (std::size_t start = 0, end; (end = all.find(L'\n', start)) != std::wstring::npos; start = end + 1)
                items.push_back(all.substr(start, end - start));
        }
    }
    CloseHandle(mapping);
    return items;
}

std::optional<std::wstring> ClipboardText() {
    std::optional<std::wstring> text;
    if (!WaitUntil([] { return OpenClipboard(nullptr) != FALSE; }, 2s)) return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = std::wstring(chars, wcsnlen(chars, GlobalSize(data) / sizeof(wchar_t)));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

bool SetClipboardText(const std::wstring& text) {
    return SetClipboardFormats({{CF_UNICODETEXT, std::string(reinterpret_cast<const char*>(text.c_str()),
                                                             (text.size() + 1) * sizeof(wchar_t))}});
}

bool SetClipboardFormats(const std::vector<std::pair<UINT, std::string>>& formats) {
    if (!WaitUntil([] { return OpenClipboard(nullptr) != FALSE; }, 2s)) return false;
    EmptyClipboard();
    bool ok = true;
    for (const auto& [format, bytes] : formats) {
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
        if (!memory) {
            ok = false;
            continue;
        }
        std::memcpy(GlobalLock(memory), bytes.data(), bytes.size());
        GlobalUnlock(memory);
        if (!SetClipboardData(format, memory)) {
            GlobalFree(memory);
            ok = false;
        }
    }
    CloseClipboard();
    return ok;
}

std::optional<std::string> ClipboardBytes(UINT format) {
    std::optional<std::string> bytes;
    if (!WaitUntil([] { return OpenClipboard(nullptr) != FALSE; }, 2s)) return bytes;
    if (HANDLE data = GetClipboardData(format)) {
        if (const auto* p = static_cast<const char*>(GlobalLock(data))) {
            bytes = std::string(p, GlobalSize(data));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return bytes;
}

std::optional<std::string> ClipboardBytes(const wchar_t* registeredFormat) {
    return ClipboardBytes(RegisterClipboardFormatW(registeredFormat));
}

bool ClipboardHolds(UINT format, const std::string& bytes) {
    auto now = ClipboardBytes(format);
    return now && now->compare(0, bytes.size(), bytes) == 0;
}

std::string SmallPicture() {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = 1;
    header.biHeight = 1;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    std::string bytes(reinterpret_cast<const char*>(&header), sizeof header);
    return bytes + std::string("\x10\x20\x30\x00", 4);
}

std::string TwoFiles() {
    DROPFILES files{};
    files.pFiles = sizeof files;
    files.fWide = TRUE;
    const wchar_t names[] = L"C:\\a.txt\0C:\\b c.png\0";
    return std::string(reinterpret_cast<const char*>(&files), sizeof files) +
           std::string(reinterpret_cast<const char*>(names), sizeof names);
}

}  // namespace tf::test
