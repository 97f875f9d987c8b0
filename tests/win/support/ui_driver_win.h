// Drives the real programs from another process, the way a user would see them: start them in a
// folder of their own, find their windows by class and text, read and click controls, answer
// message boxes. Every wait has a deadline.
#pragma once

#include "base/windows_api_win.h"

#include <chrono>
#include <functional>
#include <optional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace tf::test {

using namespace std::chrono_literals;

// Polls the condition (letting this thread's messages run) until it holds or the time is up.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 10s);

// The folder holding the built "Tamborvin Form.exe" and "velnor.exe" (beside the tests' folder).
std::wstring DistFolder();
// The folder of the test programs and fixtures.
std::wstring TestsFolder();

// A fresh folder under %TEMP% with copies of the programs in it, removed again at the end.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }
    // Copies a built program (e.g. L"Tamborvin Form.exe") into the folder; returns its path.
    std::wstring CopyProgram(const std::wstring& name) const;

    void Write(const std::wstring& name, const std::string& bytes) const;
    std::optional<std::string> Read(const std::wstring& name) const;
    bool Exists(const std::wstring& name) const;
    FILETIME WriteTime(const std::wstring& name) const;
    std::vector<std::wstring> FileNames() const;

private:
    std::wstring path_;
};

// A started program; ended by force when the test is over, if it still runs.
class Process {
public:
    // The arguments are put after the quoted program path as they stand (quote them yourself).
    Process(const std::wstring& exe, const std::wstring& workingFolder, const std::wstring& arguments = L"");
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    DWORD Id() const { return info_.dwProcessId; }
    bool Running() const;
    // The exit code, or empty when it is still running after the timeout.
    std::optional<DWORD> WaitForExit(std::chrono::milliseconds timeout = 10s) const;
    void Kill();

    // Top-level windows of this process, visible or not, of a class (empty: any).
    std::vector<HWND> TopWindows(const std::wstring& className = L"") const;
    HWND WaitForTopWindow(const std::wstring& className, std::chrono::milliseconds timeout = 10s) const;
    // The first message box (dialog class #32770) the process shows.
    HWND WaitForMessageBox(std::chrono::milliseconds timeout = 10s) const;

private:
    PROCESS_INFORMATION info_{};
};

// The processes the test has started (and what they started) that still run.
std::vector<DWORD> ProgramProcessIds();
// Has a test's first failure print the windows of those processes and of the test program
// (window_dump_win.cpp); every started program asks for it.
void DumpWindowsOnFailure();

std::wstring WindowText(HWND window);
std::wstring ClassOf(HWND window);
// A direct or deeper child of the parent by class (empty: any) and exact window text. Both wait
// for the child as long as `wait`, since a window found by its class may still be making its
// controls; a check that a child is absent passes 0ms.
HWND FindChild(HWND parent, const std::wstring& className, const std::wstring& text,
               std::chrono::milliseconds wait = 5s);
HWND FindChildById(HWND parent, int id, std::chrono::milliseconds wait = 5s);

// The text of a message box and a press on one of its buttons (IDOK, IDYES, IDNO ...).
std::wstring MessageBoxText(HWND box);
void AnswerMessageBox(HWND box, int buttonId);

// Clicks like a user: moves the mouse over the window's centre and presses the left button.
void ClickWindow(HWND window);
void DoubleClickWindow(HWND window);
// Types text into whatever has the keyboard focus, as Unicode key strokes.
void TypeText(const std::wstring& text);
// Presses and releases one key (VK_TAB, VK_RETURN ...), held long enough for that many auto-repeats.
void PressKey(WORD virtualKey, int repeats = 0);
// Holds the modifier keys down in order, presses the key, and lets go in reverse order.
void PressChord(std::initializer_list<WORD> modifiers, WORD virtualKey);
// The same, with the modifiers let go only that long after the key.
void HoldChord(std::initializer_list<WORD> modifiers, WORD virtualKey, std::chrono::milliseconds hold);
// Whether the control has the keyboard focus of its thread.
bool HasFocus(HWND control);
// Gives a window of another process the foreground and the keyboard focus to one of its controls.
void FocusControl(HWND control);

// The items of a pop-up menu another process shows (its "#32768" window), one text each, "-" for
// a separator; read inside that process by menu_probe.dll, since under Wine no other process can
// read a menu. Empty when it could not be read.
std::vector<std::wstring> PopupMenuItems(HWND menuWindow);
// Runs an export of menu_probe.dll inside the process of the window, on a copy of the block made in
// that process's memory; the export's answer, or nothing when it could not run.
std::optional<DWORD> RunProbe(HWND window, const char* function, const void* block, std::size_t size);

// The clipboard's text, or nothing when it holds none (or cannot be opened within two seconds).
std::optional<std::wstring> ClipboardText();
// Empties the clipboard and puts the text on it, as a user's copy would.
bool SetClipboardText(const std::wstring& text);
// The same with any formats, each as the bytes of its memory.
bool SetClipboardFormats(const std::vector<std::pair<UINT, std::string>>& formats);
// The bytes of one format (as many as its memory holds), or nothing when it is not there.
std::optional<std::string> ClipboardBytes(UINT format);
std::optional<std::string> ClipboardBytes(const wchar_t* registeredFormat);
// Whether the clipboard holds the format, its data starting with these bytes (the system may
// round the memory up).
bool ClipboardHolds(UINT format, const std::string& bytes);
// A 1x1 picture as an application copies one (CF_DIB), and a list of two files as Explorer
// copies them (CF_HDROP).
std::string SmallPicture();
std::string TwoFiles();

// Presses a command control the way its parent hears about it (WM_COMMAND, posted, so that a
// message box the handler shows does not block the test).
void PostCommand(HWND control, WORD notification = BN_CLICKED);

// Types the path into the name box of a system file dialog (Open or Save As) of another process
// and presses its OK; true once the dialog has closed.
bool ChooseFileInDialog(HWND dialog, const std::wstring& path);

// Sends the message and returns once the window's thread has handled it (false after 5 s): for a
// check that something did NOT happen, which holds only once the program has seen the input.
bool SendAndWait(HWND window, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

// A list-view control in another process, read and driven through memory lent in that process.
class RemoteListView {
public:
    explicit RemoteListView(HWND listView);
    ~RemoteListView();
    RemoteListView(const RemoteListView&) = delete;
    RemoteListView& operator=(const RemoteListView&) = delete;

    int RowCount() const;
    int ColumnCount() const;
    std::wstring Text(int row, int column) const;
    std::vector<std::vector<std::wstring>> Rows() const;
    std::wstring HeaderText(int column) const;
    int ColumnWidth(int column) const;
    // Selects and focuses one row, or clears the selection with -1.
    void Select(int row) const;
    int SelectedRow() const;
    // The row's rectangle in screen coordinates.
    RECT RowRect(int row) const;

private:
    HWND listView_;
    HANDLE process_ = nullptr;
    void* remote_ = nullptr;
};

}  // namespace tf::test
