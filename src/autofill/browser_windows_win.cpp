#include "autofill/browser_windows_win.h"

#include "autofill/page_address.h"
#include "base/owned_win.h"

// Left out by WIN32_LEAN_AND_MEAN.
#include <dde.h>

#include <algorithm>
#include <cstring>
#include <cstddef>
#include <cwchar>
#include <initializer_list>
#include <vector>

namespace tf {

namespace {

// The browser's windows belong to another process: one that hangs must not hang the one-second
// watch tick with it, so every message gives up after this long and counts as no answer.
constexpr UINT kMessageTimeoutMs = 200;
// The same for a DDE request: a browser slower than this is treated as not running.
constexpr DWORD kDdeTimeoutMs = 300;
// How long the program of a process is known without asking again, and for how many processes.
constexpr ULONGLONG kProgramsKeptMs = 5000;
constexpr std::size_t kMaxProgramsKept = 256;
// How long a browser process without a DDE service is left unasked.
constexpr ULONGLONG kDdeSilentMs = 10000;
// Top-level windows of one class looked at for a browser's program.
constexpr int kMaxTopWindows = 64;
// How long one of the browser's windows gets to take a DDE initiate.
constexpr UINT kDdeInitiateTimeoutMs = 100;
// Bounds on what one request looks at: the browser's processes, and their top-level windows.
constexpr std::size_t kMaxBrowserProcesses = 16;
constexpr std::size_t kMaxDdeWindows = 512;
// A control that reports an absurd length must not make us allocate it: its text is no address.
constexpr LRESULT kMaxControlChars = 1 << 20;

std::optional<LRESULT> SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &result))
        return std::nullopt;
    return static_cast<LRESULT>(result);
}

// WM_GETTEXT into a buffer of that many characters. A NUL inside the count the window gave would
// cut the text there: such a text reads as empty.
std::optional<std::wstring> TextOf(HWND window, std::size_t bufferChars) {
    if (!window) return std::nullopt;
    std::wstring buffer(bufferChars, L'\0');
    auto got = SendWithTimeout(window, WM_GETTEXT, bufferChars, reinterpret_cast<LPARAM>(buffer.data()));
    if (!got) return std::nullopt;
    auto copied = static_cast<std::size_t>(std::clamp<LRESULT>(*got, 0, static_cast<LRESULT>(bufferChars)));
    if (wcsnlen(buffer.c_str(), copied) < copied) return std::wstring();
    buffer.resize(copied);
    return buffer;
}

// The whole text; nothing when the window did not answer in time. A part of an address is never
// read as one (a cut can leave a trusted host where the whole text names another): a text longer
// than the bound, or one that grew between the two messages, reads as empty.
std::optional<std::wstring> ControlText(HWND window) {
    if (!window) return std::nullopt;
    auto length = SendWithTimeout(window, WM_GETTEXTLENGTH, 0, 0);
    if (!length) return std::nullopt;
    if (*length < 0 || *length > kMaxControlChars) return std::wstring();
    // One more than the length: a text that fills it is longer than was said.
    const auto room = static_cast<std::size_t>(*length) + 2;
    auto text = TextOf(window, room);
    if (text && text->size() >= room - 1) return std::wstring();
    return text;
}

std::string AddressOf(HWND window) {
    auto text = ControlText(window);
    return text ? Narrow(*text) : std::string();
}

// The first direct child whose class is exactly this one. GetClassName gives the name as
// registered, so this tells "Edit" from "edit", which FindWindowEx would not.
HWND FindChildByClass(HWND parent, std::wstring_view className) {
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[260];
        int n = GetClassNameW(child, name, 260);
        if (n > 0 && std::wstring_view(name, static_cast<std::size_t>(n)) == className) return child;
    }
    return nullptr;
}

// Down a path of direct children, class names compared without regard to case. A missing level
// ends the walk: FindWindowEx with no parent would search the top-level windows instead.
HWND FindPath(HWND top, std::initializer_list<const wchar_t*> classes) {
    HWND window = top;
    for (const wchar_t* cls : classes) {
        if (!window) return nullptr;
        window = FindWindowExW(window, nullptr, cls, nullptr);
    }
    return window;
}

template <class NextTop>
HWND FindTextFieldWindow(const NextTop& nextTop, const wchar_t* topClass, const wchar_t* fieldClass, int windows) {
    HWND top = nullptr;
    for (int i = 0; i < windows; ++i) {
        top = nextTop(topClass, top);
        // Past the last window FindWindowEx would start again from the first.
        if (!top) return nullptr;
        if (HWND field = FindWindowExW(top, nullptr, fieldClass, nullptr)) return field;
    }
    return nullptr;
}

std::wstring FromAnsi(const char* bytes, std::size_t size) {
    if (size == 0) return {};
    int n = MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(size), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(size), text.data(), n);
    return text;
}

bool ClassIs(HWND window, std::wstring_view className) {
    wchar_t name[260];
    const int n = GetClassNameW(window, name, 260);
    return n > 0 && std::wstring_view(name, static_cast<std::size_t>(n)) == className;
}

// The browser's top-level window class for a DDE service we know.
const wchar_t* ServiceWindowClass(const std::string& service) {
    return service == kFirefox ? L"MozillaWindowClass" : nullptr;
}

// What the DDE client window heard from the server of one request.
struct DdeExchange {
    HWND server = nullptr;
    bool answered = false;
    bool refused = false;
    std::optional<std::string> text;
};

// The data of a WM_DDE_DATA: a DDEDATA header, then the value. Only what fits a page address and
// more is kept: the reply comes from another program.
constexpr std::size_t kMaxDdeReply = 64 * 1024;

std::optional<std::string> DdeText(HGLOBAL memory) {
    const std::size_t size = GlobalSize(memory);
    const auto* data = static_cast<const DDEDATA*>(GlobalLock(memory));
    if (!data) return std::nullopt;
    const std::size_t header = offsetof(DDEDATA, Value);
    const std::size_t length = size > header ? std::min(size - header, kMaxDdeReply) : 0;
    std::optional<std::string> text;
    if (data->cfFormat == CF_UNICODETEXT) {
        const auto* chars = reinterpret_cast<const wchar_t*>(data->Value);
        text = Narrow(std::wstring_view(chars, wcsnlen(chars, length / sizeof(wchar_t))));
    } else if (data->cfFormat == CF_TEXT) {
        const auto* chars = reinterpret_cast<const char*>(data->Value);
        text = Narrow(FromAnsi(chars, strnlen(chars, length)));
    }
    GlobalUnlock(memory);
    return text;
}

// Takes the DDE messages of our conversations. A reply that comes after its request gave up is
// freed the same way, so nothing leaks from a slow browser.
LRESULT CALLBACK DdeClientProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* exchange = reinterpret_cast<DdeExchange*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    const HWND from = reinterpret_cast<HWND>(wParam);
    const bool ours = exchange && exchange->server == from;
    switch (message) {
        case WM_DDE_ACK: {
            if (InSendMessage()) {
                // The answer to an initiate, sent while we wait for it: its two atoms are ours to free.
                GlobalDeleteAtom(LOWORD(lParam));
                GlobalDeleteAtom(HIWORD(lParam));
                if (exchange && !exchange->server) {
                    exchange->server = from;
                } else {
                    // A second server for the same initiate is not wanted.
                    PostMessageW(from, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(window), 0);
                }
                return 0;
            }
            UINT_PTR status = 0;
            UINT_PTR item = 0;
            if (UnpackDDElParam(WM_DDE_ACK, lParam, &status, &item)) {
                if (item) GlobalDeleteAtom(static_cast<ATOM>(item));
                FreeDDElParam(WM_DDE_ACK, lParam);
            }
            if (ours && !(status & 0x8000)) exchange->refused = exchange->answered = true;
            return 0;
        }
        case WM_DDE_DATA: {
            UINT_PTR memory = 0;
            UINT_PTR item = 0;
            if (!UnpackDDElParam(WM_DDE_DATA, lParam, &memory, &item)) return 0;
            FreeDDElParam(WM_DDE_DATA, lParam);
            auto* handle = reinterpret_cast<HGLOBAL>(memory);
            bool release = true;
            bool ackRequested = false;
            if (const auto* data = handle ? static_cast<const DDEDATA*>(GlobalLock(handle)) : nullptr) {
                release = data->fRelease;
                ackRequested = data->fAckReq;
                GlobalUnlock(handle);
            }
            if (ours && handle) {
                exchange->text = DdeText(handle);
                exchange->answered = true;
            }
            if (ackRequested) {
                PostMessageW(from, WM_DDE_ACK, reinterpret_cast<WPARAM>(window),
                             PackDDElParam(WM_DDE_ACK, 0x8000, item));
            } else if (item) {
                GlobalDeleteAtom(static_cast<ATOM>(item));
            }
            if (release && handle) GlobalFree(handle);
            return 0;
        }
        case WM_DDE_TERMINATE:
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

// Our own messages of the conversation window only, until the exchange is answered or the time is up.
void PumpDde(HWND client, const DdeExchange& exchange, DWORD deadline) {
    while (!exchange.answered) {
        const DWORD now = GetTickCount();
        if (static_cast<LONG>(deadline - now) <= 0) return;
        MSG msg;
        if (PeekMessageW(&msg, client, WM_DDE_FIRST, WM_DDE_LAST, PM_REMOVE)) {
            DispatchMessageW(&msg);
            continue;
        }
        // Messages sent to us by the server are handled inside the wait.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, deadline - now, QS_POSTMESSAGE | QS_SENDMESSAGE);
    }
}

}  // namespace

Win32BrowserWindows::~Win32BrowserWindows() {
    if (ddeClient_) DestroyWindow(ddeClient_);
}

std::string Win32BrowserWindows::ProgramPath(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (!pid) return {};
    // Asked for many windows every tick; a process's program does not change, but its number may
    // be given to another process once it has ended, so what is known is asked again after a while.
    const ULONGLONG now = GetTickCount64();
    if (now - programsSince_ > kProgramsKeptMs || programs_.size() > kMaxProgramsKept) {
        programs_.clear();
        programsSince_ = now;
    }
    if (auto known = programs_.find(pid); known != programs_.end()) return known->second;
    std::string result;
    if (UniqueHandle process{OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid)}) {
        wchar_t path[1024];
        DWORD size = static_cast<DWORD>(std::size(path));
        if (QueryFullProcessImageNameW(process.Get(), 0, path, &size)) result = Narrow(std::wstring_view(path, size));
    }
    programs_[pid] = result;
    return result;
}

bool Win32BrowserWindows::IsBrowserWindow(const std::string& readerName, HWND window) {
    if (!window) return false;
    bool classMatches = false;
    if (readerName == kInternetExplorer) {
        classMatches = ClassIs(window, L"IEFrame");
    } else if (readerName == kChrome) {
        classMatches = ClassIs(window, L"Chrome_WidgetWin_1");
    } else if (readerName == kOpera16) {
        classMatches = ClassIs(window, L"Chrome_WidgetWin_1") || ClassIs(window, L"Chrome_WidgetWin_0");
    } else if (const wchar_t* cls = ServiceWindowClass(readerName)) {
        classMatches = ClassIs(window, cls);
    }
    // Chat programs and editors use Chromium's window classes, mail clients Firefox's.
    return classMatches && IsBrowserProgram(readerName, ProgramPath(window));
}

HWND Win32BrowserWindows::TopWindow(const char* reader, const wchar_t* cls, HWND after) {
    if (scope_)
        return !after && ClassIs(scope_, cls) && IsBrowserProgram(reader, ProgramPath(scope_)) ? Note(scope_) : nullptr;
    HWND window = after;
    for (int i = 0; i < kMaxTopWindows; ++i) {
        window = FindWindowExW(nullptr, window, cls, nullptr);
        if (!window) return nullptr;
        if (IsBrowserProgram(reader, ProgramPath(window))) return Note(window);
    }
    return nullptr;
}

HWND Win32BrowserWindows::Note(HWND window) {
    lastWindow_ = window;
    return window;
}

std::string Win32BrowserWindows::ProgramOfLastWindow() {
    return lastWindow_ && IsWindow(lastWindow_) ? ProgramPath(lastWindow_) : std::string();
}

std::optional<std::string> Win32BrowserWindows::ReadIEVersion() {
    HKEY key = nullptr;
    // Opened, not created: reading needs no write access to HKLM.
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Internet Explorer", 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return std::nullopt;
    std::optional<std::string> version;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key, L"Version", nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        // One character more than asked for: the stored value need not end with a NUL.
        std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
        DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        if (RegQueryValueExW(key, L"Version", nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &bytes) ==
            ERROR_SUCCESS) {
            text.resize(wcsnlen(text.c_str(), std::min<std::size_t>(bytes / sizeof(wchar_t), text.size())));
            version = Narrow(text);
        }
    }
    RegCloseKey(key);
    return version;
}

std::optional<std::string> Win32BrowserWindows::ReadIEClassic(bool throughAddressBandRoot) {
    HWND window = TopWindow(kInternetExplorer, L"IEFrame");
    std::vector<std::wstring_view> path{L"WorkerW", L"ReBarWindow32"};
    if (throughAddressBandRoot) path.push_back(L"Address Band Root");
    path.insert(path.end(), {L"ComboBoxEx32", L"ComboBox", L"Edit"});
    for (auto cls : path) {
        if (!window) return std::nullopt;
        window = FindChildByClass(window, cls);
    }
    if (!window) return std::nullopt;
    auto text = ControlText(Box(window));
    if (!text) return std::nullopt;
    return Narrow(*text);
}

std::string Win32BrowserWindows::ReadIEAddressBand() { return ReadIEAddressBandInTime().value_or(""); }

std::optional<std::string> Win32BrowserWindows::ReadIEAddressBandInTime() {
    HWND box = Box(FindPath(TopWindow(kInternetExplorer, L"IEFrame"),
                            {L"WorkerW", L"ReBarWindow32", L"AddRess Band Root", L"Edit"}));
    if (!box) return std::string();
    // A box that is there but did not answer in time belongs to a busy browser, not a closed one.
    auto text = ControlText(box);
    if (!text) return std::nullopt;
    return Narrow(*text);
}

std::string Win32BrowserWindows::ReadChrome() {
    return AddressOf(Box(FindPath(TopWindow(kChrome, L"Chrome_WidgetWin_1"), {L"Chrome_OmniboxView"})));
}

std::string Win32BrowserWindows::ReadOpera16() {
    // Opera keeps several windows of its top-level class; the address field is in one of them.
    auto next = [this](const wchar_t* cls, HWND after) { return TopWindow(kOpera16, cls, after); };
    HWND field = FindTextFieldWindow(next, L"Chrome_WidgetWin_1", L"ViewsTextfieldEdit", 5);
    if (!field) field = FindTextFieldWindow(next, L"Chrome_WidgetWin_0", L"ViewsTextfieldEdit", 5);
    return AddressOf(Box(field));
}

HWND Win32BrowserWindows::DdeClientWindow() {
    if (ddeClient_) return ddeClient_;
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = DdeClientProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TamborvinFormDdeClient";
        return RegisterClassExW(&wc) != 0;
    }();
    if (registered)
        ddeClient_ = CreateWindowExW(0, L"TamborvinFormDdeClient", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
    return ddeClient_;
}

DdeReply Win32BrowserWindows::DdeRequest(const std::string& service, const std::string& topic,
                                         const std::string& item) {
    // The library refuses an empty item before the browser sees the request; so do we.
    const wchar_t* cls = ServiceWindowClass(service);
    if (!cls || item.empty()) return {};
    // The processes of the browser's windows: theirs are the only windows asked.
    std::vector<DWORD> processes;
    for (HWND w = TopWindow(service.c_str(), cls); w && processes.size() < kMaxBrowserProcesses;
         w = TopWindow(service.c_str(), cls, w)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid && std::find(processes.begin(), processes.end(), pid) == processes.end()) processes.push_back(pid);
    }
    // Current browsers have no such service: a process that had none a moment ago is not asked
    // again at every tick, each ask being a round trip to each of its windows.
    const ULONGLONG now = GetTickCount64();
    auto silentKey = [&](DWORD pid) { return std::to_string(pid) + "|" + service + "|" + topic; };
    std::erase_if(processes, [&](DWORD pid) {
        auto silent = ddeSilent_.find(silentKey(pid));
        return silent != ddeSilent_.end() && now < silent->second;
    });
    HWND client = DdeClientWindow();
    if (processes.empty() || !client) return {};
    // A request made from a message handled while another one waits.
    if (GetWindowLongPtrW(client, GWLP_USERDATA)) return {DdeReply::kNoAnswer, {}};

    struct Found {
        const std::vector<DWORD>* processes;
        std::vector<HWND> windows;
    } found{&processes, {}};
    EnumWindows(
        [](HWND w, LPARAM data) -> BOOL {
            auto* f = reinterpret_cast<Found*>(data);
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (std::find(f->processes->begin(), f->processes->end(), pid) != f->processes->end())
                f->windows.push_back(w);
            return f->windows.size() < kMaxDdeWindows;
        },
        reinterpret_cast<LPARAM>(&found));

    // The window that answered last time is asked first: the browser's other windows need not be.
    if (auto at = std::find(found.windows.begin(), found.windows.end(), ddeServerWindow_); at != found.windows.end())
        std::rotate(found.windows.begin(), at, at + 1);

    const DWORD deadline = GetTickCount() + kDdeTimeoutMs;
    const ATOM serviceAtom = GlobalAddAtomW(Widen(service).c_str());
    const ATOM topicAtom = GlobalAddAtomW(Widen(topic).c_str());
    DdeExchange exchange;
    SetWindowLongPtrW(client, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&exchange));
    bool hung = false;
    for (HWND w : found.windows) {
        if (exchange.server || static_cast<LONG>(deadline - GetTickCount()) <= 0) break;
        DWORD_PTR ignored = 0;
        // The server answers with a WM_DDE_ACK sent to our window while this waits.
        if (!SendMessageTimeoutW(w, WM_DDE_INITIATE, reinterpret_cast<WPARAM>(client),
                                 MAKELPARAM(serviceAtom, topicAtom), SMTO_ABORTIFHUNG, kDdeInitiateTimeoutMs, &ignored))
            hung = hung || GetLastError() == ERROR_TIMEOUT || GetLastError() == 0;
        if (exchange.server) ddeServerWindow_ = w;
    }
    GlobalDeleteAtom(serviceAtom);
    GlobalDeleteAtom(topicAtom);

    DdeReply reply;
    if (!exchange.server) {
        SetWindowLongPtrW(client, GWLP_USERDATA, 0);
        reply.kind = hung ? DdeReply::kNoAnswer : DdeReply::kNoServer;
        if (!hung) {
            if (ddeSilent_.size() > kMaxProgramsKept) ddeSilent_.clear();
            for (DWORD pid : processes) ddeSilent_[silentKey(pid)] = now + kDdeSilentMs;
        }
        return reply;
    }
    const std::wstring itemName = Widen(item);
    // Unicode text first, which carries any address; a server that refuses it gives ANSI text.
    for (UINT format : {static_cast<UINT>(CF_UNICODETEXT), static_cast<UINT>(CF_TEXT)}) {
        exchange.answered = exchange.refused = false;
        const ATOM itemAtom = GlobalAddAtomW(itemName.c_str());
        if (!PostMessageW(exchange.server, WM_DDE_REQUEST, reinterpret_cast<WPARAM>(client),
                          MAKELPARAM(format, itemAtom))) {
            GlobalDeleteAtom(itemAtom);
            break;
        }
        PumpDde(client, exchange, deadline);
        if (!exchange.refused) break;
    }
    PostMessageW(exchange.server, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(client), 0);
    SetWindowLongPtrW(client, GWLP_USERDATA, 0);
    if (exchange.text) {
        reply.kind = DdeReply::kText;
        reply.text = std::move(*exchange.text);
    } else {
        reply.kind = exchange.answered ? DdeReply::kNoServer : DdeReply::kNoAnswer;
    }
    return reply;
}

std::string Win32BrowserWindows::ReadIEManual() {
    HWND edit = FindPath(FindWindowExW(nullptr, nullptr, L"IEFrame", nullptr),
                         {L"WorkerW", L"ReBarWindow32", L"ComboBoxEx32", L"ComboBox", L"Edit"});
    auto text = ControlText(edit);
    return text ? Narrow(*text) : std::string();
}

std::uintptr_t Win32BrowserWindows::FrontPageWindow(PageFamily family) {
    const char* reader = family == PageFamily::kFirefox ? kFirefox : family == PageFamily::kOpera ? kOpera16 : kChrome;
    HWND window = AccessiblePages::FrontWindow(
        family, scope_, [this, reader](HWND top) { return IsBrowserProgram(reader, ProgramPath(top)); });
    if (window) Note(window);
    return reinterpret_cast<std::uintptr_t>(window);
}

FocusFacts Win32BrowserWindows::FocusAt(HWND top, FocusFacts::Source source) {
    FocusFacts facts;
    facts.source = source;
    const HWND focus = KeyboardFocus(top);
    facts.known = focus != nullptr;
    auto within = [focus](HWND outer) { return outer && focus && (focus == outer || IsChild(outer, focus)); };
    facts.inWindow = within(top);
    facts.inAddressBox = within(addressBox_);
    if (source == FocusFacts::kChromiumPage) facts.inDocumentWindow = within(pages_.DocumentWindow());
    if (source == FocusFacts::kFirefoxPage) facts.inDocument = facts.inWindow && pages_.FocusInDocument(top);
    if (source != FocusFacts::kAddressBox) facts.inOtherSiteFrame = facts.inWindow && pages_.FocusInOtherSiteFrame();
    return facts;
}

PageAnswer Win32BrowserWindows::OpenPage(std::uintptr_t window) { return pages_.Open(reinterpret_cast<HWND>(window)); }

PageAnswer Win32BrowserWindows::ReadOpenPage() { return pages_.ReadKept(); }

}  // namespace tf
