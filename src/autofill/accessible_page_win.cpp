#include "autofill/accessible_page_win.h"

#include <algorithm>
#include <deque>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tf {

namespace {

// Both messages go to another process; a browser that hangs must not hang the watch tick, and a
// tick must stay far below its one second.
constexpr UINT kRequestTimeoutMs = 50;
// The walk from the window's object down to the document: real browsers put it a few levels deep
// under toolbars and groupings, and every step is a call into the browser's process (one to several
// milliseconds each under Wine, more while the machine is busy). It runs only when another window
// comes to the front, our messages keep flowing during its calls, and it is bounded in objects and
// in time; what is not found then is looked for again on a later tick.
constexpr int kMaxWalkObjects = 200;
constexpr int kMaxWalkDepth = 8;
constexpr double kMaxWalkMs = 500.0;
// One tick walks this long at most and goes on from there on the next, so no tick comes near the
// one second, however slowly the browser answers.
constexpr double kWalkSliceMs = 10.0;
constexpr int kMaxTopWindows = 64;

ULONG_PTR lastProbeAnswered = 0;
ULONG_PTR nextProbeToken = 0;

void CALLBACK ProbeAnswered(HWND, UINT, ULONG_PTR token, LRESULT) { lastProbeAnswered = token; }

VARIANT Self() {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = CHILDID_SELF;
    return v;
}

std::optional<LONG> NumberOf(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*), IAccessible* object) {
    VARIANT out;
    VariantInit(&out);
    if (FAILED((object->*get)(Self(), &out))) return std::nullopt;
    std::optional<LONG> n;
    if (out.vt == VT_I4) n = out.lVal;
    VariantClear(&out);
    return n;
}

std::optional<std::wstring> ValueOf(IAccessible* object) {
    BSTR value = nullptr;
    if (FAILED(object->get_accValue(Self(), &value))) return std::nullopt;
    std::wstring text = value ? std::wstring(value, SysStringLen(value)) : std::wstring();
    SysFreeString(value);
    return text;
}

bool Shown(IAccessible* object) {
    auto state = NumberOf(&IAccessible::get_accState, object);
    return state && !(*state & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN));
}

// Parts of the browser's own frame hold no page: no need to look inside them.
bool HoldsNoPage(LONG role) {
    switch (role) {
        case ROLE_SYSTEM_TOOLBAR:
        case ROLE_SYSTEM_PAGETABLIST:
        case ROLE_SYSTEM_MENUBAR:
        case ROLE_SYSTEM_MENUPOPUP:
        case ROLE_SYSTEM_LIST:
        case ROLE_SYSTEM_COMBOBOX:
        case ROLE_SYSTEM_TEXT:
        case ROLE_SYSTEM_PUSHBUTTON:
        case ROLE_SYSTEM_STATUSBAR:
            return true;
        default:
            return false;
    }
}

class Stopwatch {
public:
    Stopwatch() {
        QueryPerformanceFrequency(&frequency_);
        QueryPerformanceCounter(&start_);
    }
    double Ms() const {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return 1000.0 * static_cast<double>(now.QuadPart - start_.QuadPart) / static_cast<double>(frequency_.QuadPart);
    }

private:
    LARGE_INTEGER frequency_{}, start_{};
};

// The objects among a container's children; children that are plain IDs are simple elements and
// hold no document.
std::vector<IAccessible*> ChildObjects(IAccessible* container) {
    std::vector<IAccessible*> objects;
    LONG count = 0;
    if (FAILED(container->get_accChildCount(&count)) || count <= 0) return objects;
    count = std::min<LONG>(count, kMaxWalkObjects);
    std::vector<VARIANT> children(static_cast<std::size_t>(count));
    for (VARIANT& v : children) VariantInit(&v);
    LONG got = 0;
    if (SUCCEEDED(AccessibleChildren(container, 0, count, children.data(), &got))) {
        for (LONG i = 0; i < got && i < count; ++i) {
            VARIANT& v = children[static_cast<std::size_t>(i)];
            if (v.vt == VT_DISPATCH && v.pdispVal) {
                IAccessible* child = nullptr;
                if (SUCCEEDED(v.pdispVal->QueryInterface(kIidAccessible, reinterpret_cast<void**>(&child))))
                    objects.push_back(child);
            }
        }
    }
    for (VARIANT& v : children) VariantClear(&v);
    return objects;
}

// Breadth first: the page's own document comes before the documents of frames inside it. Walks for
// one slice of time at most; the queue keeps what is left for the next tick. The document found is
// the caller's.
IAccessible* ContinueWalk(AccessibleWalk& walk, std::wstring& address) {
    Stopwatch clock;
    while (!walk.queue.empty() && clock.Ms() < kWalkSliceMs) {
        auto [object, depth] = walk.queue.front();
        walk.queue.pop_front();
        ++walk.seen;
        if (walk.seen > kMaxWalkObjects || walk.spentMs + clock.Ms() >= kMaxWalkMs) {
            // Too big a tree for a document to be found in: a later tick starts over.
            object->Release();
            for (auto& [left, leftDepth] : walk.queue) left->Release();
            walk.queue.clear();
            break;
        }
        auto role = NumberOf(&IAccessible::get_accRole, object);
        if (role == ROLE_SYSTEM_DOCUMENT) {
            // A hidden document belongs to another tab; a page's frames are inside its own.
            if (Shown(object)) {
                if (auto value = ValueOf(object); value && !value->empty()) {
                    address = std::move(*value);
                    walk.spentMs += clock.Ms();
                    return object;
                }
            }
        } else if (depth < kMaxWalkDepth && !(role && HoldsNoPage(*role))) {
            for (IAccessible* child : ChildObjects(object)) walk.queue.emplace_back(child, depth + 1);
        }
        object->Release();
    }
    walk.spentMs += clock.Ms();
    return nullptr;
}

}  // namespace

AccessiblePages::~AccessiblePages() {
    Forget();
    DropWalk();
    if (comStarted_) CoUninitialize();
}

HWND AccessiblePages::FrontWindow(PageFamily family, HWND only) {
    const wchar_t* topClass = family == PageFamily::kChromium ? L"Chrome_WidgetWin_1" : L"MozillaWindowClass";
    HWND top = nullptr;
    for (int i = 0; i < kMaxTopWindows; ++i) {
        if (only) {
            wchar_t name[64];
            const int n = i == 0 ? GetClassNameW(only, name, 64) : 0;
            top = n > 0 && std::wstring_view(name, static_cast<std::size_t>(n)) == topClass ? only : nullptr;
        } else {
            top = FindWindowExW(nullptr, top, topClass, nullptr);
        }
        if (!top) break;
        if (!IsWindowVisible(top) || IsIconic(top)) continue;
        if (family == PageFamily::kFirefox) return top;
        // Chromium keeps many hidden windows of that class (menus, bubbles); the one with a page
        // shows it in a render window of its own.
        for (HWND page = FindWindowExW(top, nullptr, L"Chrome_RenderWidgetHostHWND", nullptr); page;
             page = FindWindowExW(top, page, L"Chrome_RenderWidgetHostHWND", nullptr)) {
            if (IsWindowVisible(page)) return page;
        }
    }
    return nullptr;
}

bool AccessiblePages::StartCom() {
    if (!comTried_) {
        comTried_ = true;
        HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        comStarted_ = SUCCEEDED(hr);
        // A thread already in the multithreaded apartment can use the browser's objects as well.
        comUsable_ = comStarted_ || hr == RPC_E_CHANGED_MODE;
    }
    return comUsable_;
}

bool AccessiblePages::Stalled(HWND window) {
    if (!stalled_) return false;
    if (lastProbeAnswered == stallToken_ || !IsWindow(stalled_)) {
        stalled_ = nullptr;
        return false;
    }
    return stalled_ == window;
}

void AccessiblePages::MarkStalled(HWND window) {
    const ULONG_PTR token = ++nextProbeToken;
    // Without the probe the window would never be asked again; better to wait once more next time.
    if (!SendMessageCallbackW(window, WM_NULL, 0, 0, ProbeAnswered, token)) return;
    stalled_ = window;
    stallToken_ = token;
}

bool AccessiblePages::SafeToRelease(HWND window) {
    // Letting go of an object is a call into the browser as well: one that hangs keeps it.
    DWORD_PTR ignored = 0;
    return !IsWindow(window) || (!Stalled(window) && SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG,
                                                                         kRequestTimeoutMs, &ignored));
}

void AccessiblePages::Forget() {
    if (document_ && SafeToRelease(window_)) document_->Release();
    document_ = nullptr;
    window_ = nullptr;
}

void AccessiblePages::DropWalk() {
    if (!walk_.queue.empty() && SafeToRelease(walk_.window)) {
        for (auto& [object, depth] : walk_.queue) object->Release();
    }
    walk_ = AccessibleWalk{};
}

PageAnswer AccessiblePages::Open(HWND window) {
    if (busy_ || Stalled(window)) return {PageAnswer::kNoAnswer, {}};
    Forget();
    if (!StartCom()) return {PageAnswer::kNotReady, {}};

    DWORD_PTR result = 0;
    if (walk_.window == window && !walk_.queue.empty()) {
        // Going on with the walk an earlier tick began: first make sure the browser still answers.
        if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kRequestTimeoutMs, &result)) {
            MarkStalled(window);
            return {PageAnswer::kNoAnswer, {}};
        }
    } else {
        DropWalk();
        if (!SendMessageTimeoutW(window, WM_GETOBJECT, 0, static_cast<LPARAM>(static_cast<DWORD>(OBJID_CLIENT)),
                                 SMTO_ABORTIFHUNG, kRequestTimeoutMs, &result)) {
            MarkStalled(window);
            return {PageAnswer::kNoAnswer, {}};
        }
        // 0: the window has no object of its own (Chromium's first answer, before its tree is built).
        const auto lresult = static_cast<LRESULT>(result);
        if (lresult <= 0) return {PageAnswer::kNotReady, {}};
        IAccessible* root = nullptr;
        busy_ = true;
        const bool gotRoot =
            SUCCEEDED(ObjectFromLresult(lresult, kIidAccessible, 0, reinterpret_cast<void**>(&root))) && root;
        busy_ = false;
        if (!gotRoot) return {PageAnswer::kNotReady, {}};
        walk_.window = window;
        walk_.queue.emplace_back(root, 0);
    }
    busy_ = true;
    std::wstring address;
    IAccessible* document = ContinueWalk(walk_, address);
    busy_ = false;
    // Not found yet: the walk goes on at the next ask, or starts over when there is nothing left of it.
    if (!document) return {walk_.queue.empty() ? PageAnswer::kNotReady : PageAnswer::kWalking, {}};
    DropWalk();
    document_ = document;
    window_ = window;
    return {PageAnswer::kAddress, Narrow(address)};
}

PageAnswer AccessiblePages::ReadKept() {
    if (!document_ || !IsWindow(window_)) return {PageAnswer::kGone, {}};
    if (busy_ || Stalled(window_)) return {PageAnswer::kNoAnswer, {}};
    // The object's calls would wait on the browser for as long as it likes: first make sure it
    // handles messages.
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kRequestTimeoutMs, &ignored)) {
        MarkStalled(window_);
        return {PageAnswer::kNoAnswer, {}};
    }
    busy_ = true;
    const bool shown = Shown(document_);
    std::optional<std::wstring> value = shown ? ValueOf(document_) : std::nullopt;
    busy_ = false;
    if (!shown || !value) {
        // Hidden (another tab in front) or no longer connected to the browser's page.
        Forget();
        return {PageAnswer::kGone, {}};
    }
    if (value->empty()) return {PageAnswer::kNotReady, {}};
    return {PageAnswer::kAddress, Narrow(*value)};
}

}  // namespace tf
