#include "autofill/browser_windows_win.h"

#include <algorithm>
#include <cstring>
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
// The Chrome, Opera and address-band reads take at most 255 characters; the classic walks read
// the whole text.
constexpr std::size_t kAddressBufferChars = 256;
// How long a server that timed out gets to show it is handling messages again.
constexpr UINT kDdeProbeTimeoutMs = 50;
// A control that reports an absurd length must not make us allocate it.
constexpr LRESULT kMaxControlChars = 1 << 20;

std::optional<LRESULT> SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &result))
        return std::nullopt;
    return static_cast<LRESULT>(result);
}

// WM_GETTEXT into a buffer of that many characters; the text ends at its first NUL, as it would
// in an edit control.
std::optional<std::wstring> TextOf(HWND window, std::size_t bufferChars) {
    if (!window) return std::nullopt;
    std::wstring buffer(bufferChars, L'\0');
    auto got = SendWithTimeout(window, WM_GETTEXT, bufferChars, reinterpret_cast<LPARAM>(buffer.data()));
    if (!got) return std::nullopt;
    auto copied = static_cast<std::size_t>(std::clamp<LRESULT>(*got, 0, static_cast<LRESULT>(bufferChars)));
    buffer.resize(wcsnlen(buffer.c_str(), copied));
    return buffer;
}

// The whole text, however long the control says it is.
std::optional<std::wstring> ControlText(HWND window) {
    if (!window) return std::nullopt;
    auto length = SendWithTimeout(window, WM_GETTEXTLENGTH, 0, 0);
    if (!length) return std::nullopt;
    return TextOf(window, static_cast<std::size_t>(std::clamp<LRESULT>(*length, 0, kMaxControlChars)) + 1);
}

std::string AddressOf(HWND window) {
    auto text = TextOf(window, kAddressBufferChars);
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

HWND FindTextFieldWindow(const wchar_t* topClass, const wchar_t* fieldClass, int windows) {
    HWND top = nullptr;
    for (int i = 0; i < windows; ++i) {
        top = FindWindowExW(nullptr, top, topClass, nullptr);
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

HDDEDATA CALLBACK DdeClientCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) { return nullptr; }

class DdeString {
public:
    DdeString(DWORD instance, const std::string& text)
        : instance_(instance), handle_(DdeCreateStringHandleW(instance, Widen(text).c_str(), CP_WINUNICODE)) {}
    ~DdeString() {
        if (handle_) DdeFreeStringHandle(instance_, handle_);
    }
    DdeString(const DdeString&) = delete;
    DdeString& operator=(const DdeString&) = delete;
    HSZ Get() const { return handle_; }

private:
    DWORD instance_;
    HSZ handle_;
};

std::optional<std::string> RequestText(HCONV conversation, HSZ item, UINT format) {
    HDDEDATA data = DdeClientTransaction(nullptr, 0, conversation, item, format, XTYP_REQUEST, kDdeTimeoutMs, nullptr);
    if (!data) return std::nullopt;
    DWORD size = DdeGetData(data, nullptr, 0, 0);
    std::vector<BYTE> bytes(size);
    if (size) DdeGetData(data, bytes.data(), size, 0);
    DdeFreeDataHandle(data);
    if (bytes.empty()) return std::string();
    if (format == CF_UNICODETEXT) {
        const auto* chars = reinterpret_cast<const wchar_t*>(bytes.data());
        std::size_t count = size / sizeof(wchar_t);
        return Narrow(std::wstring_view(chars, wcsnlen(chars, count)));
    }
    const auto* chars = reinterpret_cast<const char*>(bytes.data());
    return Narrow(FromAnsi(chars, strnlen(chars, size)));
}

// True when the conversation's server window handles messages, so that ending the conversation
// will not wait on it.
bool PartnerResponds(HCONV conversation) {
    CONVINFO info{};
    info.cb = sizeof info;
    if (!DdeQueryConvInfo(conversation, QID_SYNC, &info) || !info.hwndPartner || !IsWindow(info.hwndPartner))
        return true;
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(info.hwndPartner, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kDdeProbeTimeoutMs, &result) != 0;
}

}  // namespace

Win32BrowserWindows::~Win32BrowserWindows() {
    if (!ddeInstance_) return;
    // Ending the library would wait for a server that still has not answered; the system cleans up
    // after the process instead.
    if (stalled_ && !PartnerResponds(stalled_)) return;
    DdeUninitialize(ddeInstance_);
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
    HWND window = FindWindowW(L"IEFrame", nullptr);
    std::vector<std::wstring_view> path{L"WorkerW", L"ReBarWindow32"};
    if (throughAddressBandRoot) path.push_back(L"Address Band Root");
    path.insert(path.end(), {L"ComboBoxEx32", L"ComboBox", L"Edit"});
    for (auto cls : path) {
        if (!window) return std::nullopt;
        window = FindChildByClass(window, cls);
    }
    if (!window) return std::nullopt;
    auto text = ControlText(window);
    if (!text) return std::nullopt;
    return Narrow(*text);
}

std::string Win32BrowserWindows::ReadIEAddressBand() {
    return AddressOf(
        FindPath(FindWindowW(L"IEFrame", nullptr), {L"WorkerW", L"ReBarWindow32", L"AddRess Band Root", L"Edit"}));
}

std::string Win32BrowserWindows::ReadChrome() {
    return AddressOf(FindPath(FindWindowW(L"Chrome_WidgetWin_1", nullptr), {L"Chrome_OmniboxView"}));
}

std::string Win32BrowserWindows::ReadOpera16() {
    // Opera keeps several windows of its top-level class; the address field is in one of them.
    HWND field = FindTextFieldWindow(L"Chrome_WidgetWin_1", L"ViewsTextfieldEdit", 5);
    if (!field) field = FindTextFieldWindow(L"Chrome_WidgetWin_0", L"ViewsTextfieldEdit", 5);
    return AddressOf(field);
}

std::optional<std::string> Win32BrowserWindows::DdeRequest(const std::string& service, const std::string& topic,
                                                           const std::string& item) {
    if (!ddeInstance_) {
        DWORD instance = 0;
        // Initialising takes a long while: once per object, not once per tick.
        if (DdeInitializeW(&instance, DdeClientCallback, APPCMD_CLIENTONLY | CBF_SKIP_ALLNOTIFICATIONS, 0) !=
            DMLERR_NO_ERROR)
            return std::nullopt;
        ddeInstance_ = instance;
    }
    if (stalled_) {
        if (!PartnerResponds(stalled_)) return std::nullopt;
        DdeDisconnect(stalled_);
        stalled_ = nullptr;
    }
    DdeString serviceName(ddeInstance_, service);
    DdeString topicName(ddeInstance_, topic);
    DdeString itemName(ddeInstance_, item);
    // An empty item has no handle; the library would refuse the request anyway.
    if (!serviceName.Get() || !topicName.Get() || !itemName.Get()) return std::nullopt;

    HCONV conversation = DdeConnect(ddeInstance_, serviceName.Get(), topicName.Get(), nullptr);
    if (!conversation) return std::nullopt;
    auto text = RequestText(conversation, itemName.Get(), CF_TEXT);
    UINT failure = text ? DMLERR_NO_ERROR : DdeGetLastError(ddeInstance_);
    // A server that refuses ANSI text may still give Unicode text.
    if (failure == DMLERR_NOTPROCESSED) {
        text = RequestText(conversation, itemName.Get(), CF_UNICODETEXT);
        failure = text ? DMLERR_NO_ERROR : DdeGetLastError(ddeInstance_);
    }
    if (failure == DMLERR_DATAACKTIMEOUT) {
        stalled_ = conversation;
        return std::nullopt;
    }
    DdeDisconnect(conversation);
    return text;
}

std::string Win32BrowserWindows::ReadIEManual() {
    HWND edit = FindPath(FindWindowExW(nullptr, nullptr, L"IEFrame", nullptr),
                         {L"WorkerW", L"ReBarWindow32", L"ComboBoxEx32", L"ComboBox", L"Edit"});
    auto text = ControlText(edit);
    return text ? Narrow(*text) : std::string();
}

std::uintptr_t Win32BrowserWindows::FrontPageWindow(PageFamily family) {
    return reinterpret_cast<std::uintptr_t>(AccessiblePages::FrontWindow(family));
}

PageAnswer Win32BrowserWindows::OpenPage(std::uintptr_t window) { return pages_.Open(reinterpret_cast<HWND>(window)); }

PageAnswer Win32BrowserWindows::ReadOpenPage() { return pages_.ReadKept(); }

}  // namespace tf
