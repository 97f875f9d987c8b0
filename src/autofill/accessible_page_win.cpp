#include "autofill/accessible_page_win.h"

#include "autofill/page_address.h"
#include "base/url.h"

#include <algorithm>
#include <deque>
#include <memory>
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
constexpr int kMaxWalkObjects = 300;
// Firefox puts its page ten levels or more below the window.
constexpr int kMaxWalkDepth = 16;
// Page windows of one Chromium window looked at: the page, docked tools, side panels.
constexpr int kMaxPageWindows = 8;
// The whole walk, over all its ticks: long enough for a deep tree on a busy machine.
constexpr double kMaxWalkMs = 3000.0;
// One tick walks this long at most and goes on from there on the next, so no tick comes near the
// one second, however slowly the browser answers.
constexpr double kWalkSliceMs = 10.0;
constexpr int kMaxTopWindows = 64;
// How far down the focus is followed from the window's object.
constexpr int kMaxFocusDepth = 32;
constexpr GUID kIidUnknown = {0x00000000, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// The object's COM identity: two proxies of the same object in the browser give the same one.
IUnknown* Identity(IAccessible* object) {
    IUnknown* unknown = nullptr;
    if (!object || FAILED(object->QueryInterface(kIidUnknown, reinterpret_cast<void**>(&unknown)))) return nullptr;
    unknown->Release();  // only compared, never used
    return unknown;
}

bool SameLetters(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [&](char x, char y) { return lower(x) == lower(y); });
}

// The object the focus lies in, one step down from this one; nothing when the focus is the object
// itself, outside it, or cannot be asked.
ComPtr<IAccessible> FocusedChild(IAccessible* object) {
    ComPtr<IAccessible> next;
    VARIANT focus;
    VariantInit(&focus);
    if (FAILED(object->get_accFocus(&focus))) return next;
    if (focus.vt == VT_DISPATCH && focus.pdispVal)
        focus.pdispVal->QueryInterface(kIidAccessible, reinterpret_cast<void**>(next.Put()));
    VariantClear(&focus);
    return next;
}

bool Within(HWND outer, HWND window) { return outer && window && (window == outer || IsChild(outer, window)); }

void CALLBACK ProbeAnswered(HWND, UINT, ULONG_PTR data, LRESULT) {
    const std::unique_ptr<std::shared_ptr<bool>> answered(reinterpret_cast<std::shared_ptr<bool>*>(data));
    **answered = true;
}

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
std::vector<ComPtr<IAccessible>> ChildObjects(IAccessible* container) {
    std::vector<ComPtr<IAccessible>> objects;
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
                ComPtr<IAccessible> child;
                if (SUCCEEDED(v.pdispVal->QueryInterface(kIidAccessible, reinterpret_cast<void**>(child.Put()))))
                    objects.push_back(std::move(child));
            }
        }
    }
    for (VARIANT& v : children) VariantClear(&v);
    return objects;
}

long long AreaOf(IAccessible* object) {
    LONG left = 0, top = 0, width = 0, height = 0;
    if (FAILED(object->accLocation(&left, &top, &width, &height, Self())) || width <= 0 || height <= 0) return 0;
    return static_cast<long long>(width) * height;
}

// Whether the candidate beats the best so far.
bool Better(const PageCandidate& c, const PageCandidate& best) { return !best.document || Outranks(c.rank, best.rank); }

// Lets go of the objects without a call into their window, which has stopped answering.
void Abandon(ComPtr<IAccessible>& object) { object.Detach(); }

// Breadth first: the page's own document comes before the documents of frames inside it, which are
// never looked into. Walks for one slice of time at most; the queue keeps what is left for the
// next tick. A window that stops answering on the way is left out of the rest of the walk.
void ContinueWalk(AccessibleWalk& walk, const std::function<bool(HWND)>& answers) {
    Stopwatch clock;
    std::vector<HWND> checked;
    while (!walk.queue.empty() && clock.Ms() < kWalkSliceMs) {
        WalkItem item = std::move(walk.queue.front());
        walk.queue.pop_front();
        ++walk.seen;
        if (walk.seen > kMaxWalkObjects || walk.spentMs + clock.Ms() >= kMaxWalkMs) {
            // Too big a tree for more to be found in: a web page found stands, anything else (tools,
            // a side bar) may be all that was reached, and a later tick starts over.
            walk.queue.clear();
            if (!walk.best.rank.webPage) walk.best = PageCandidate{};
            break;
        }
        if (std::find(checked.begin(), checked.end(), item.window) == checked.end()) {
            if (!answers(item.window)) {
                // Letting go of its objects would be a call into the hung window as well.
                Abandon(item.object);
                for (WalkItem& w : walk.queue) {
                    if (w.window == item.window) Abandon(w.object);
                }
                std::erase_if(walk.queue, [&](const WalkItem& w) { return w.window == item.window; });
                continue;
            }
            checked.push_back(item.window);
        }
        IAccessible* object = item.object.Get();
        auto role = NumberOf(&IAccessible::get_accRole, object);
        if (role == ROLE_SYSTEM_DOCUMENT) {
            // A hidden document belongs to another tab.
            if (Shown(object)) {
                if (auto value = ValueOf(object); value && !value->empty()) {
                    PageCandidate c{std::move(item.object), item.window, std::move(*value), {}};
                    c.rank = RankPage(Narrow(c.address), AreaOf(object));
                    if (Better(c, walk.best)) walk.best = std::move(c);
                }
            }
        } else if (item.depth < kMaxWalkDepth && !(role && HoldsNoPage(*role))) {
            for (ComPtr<IAccessible>& child : ChildObjects(object))
                walk.queue.push_back({std::move(child), item.depth + 1, item.window});
        }
    }
    walk.spentMs += clock.Ms();
}

}  // namespace

HWND KeyboardFocus(HWND top) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info) && info.hwndFocus) return info.hwndFocus;
    info = GUITHREADINFO{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(0, &info) ? info.hwndFocus : nullptr;
}

HWND FocusedPageWindow(HWND top) {
    const HWND focus = KeyboardFocus(top);
    if (!Within(top, focus)) return nullptr;
    int seen = 0;
    for (HWND page = FindWindowExW(top, nullptr, L"Chrome_RenderWidgetHostHWND", nullptr);
         page && seen < kMaxPageWindows; page = FindWindowExW(top, page, L"Chrome_RenderWidgetHostHWND", nullptr)) {
        ++seen;
        if (IsWindowVisible(page) && Within(page, focus)) return page;
    }
    return nullptr;
}

AccessiblePages::~AccessiblePages() {
    Forget();
    DropWalk();
    if (comStarted_) CoUninitialize();
}

HWND AccessiblePages::FrontWindow(PageFamily family, HWND only, const std::function<bool(HWND)>& accept) {
    const wchar_t* topClass = family == PageFamily::kFirefox ? L"MozillaWindowClass" : L"Chrome_WidgetWin_1";
    auto showsPage = [&](HWND top) {
        if (!IsWindowVisible(top) || IsIconic(top) || (accept && !accept(top))) return false;
        if (family == PageFamily::kFirefox) return true;
        // Chromium keeps many hidden windows of that class (menus, bubbles); the one with a page
        // shows it in a render window of its own.
        for (HWND page = FindWindowExW(top, nullptr, L"Chrome_RenderWidgetHostHWND", nullptr); page;
             page = FindWindowExW(top, page, L"Chrome_RenderWidgetHostHWND", nullptr)) {
            if (IsWindowVisible(page)) return true;
        }
        return false;
    };
    if (only) {
        wchar_t name[64];
        const int n = GetClassNameW(only, name, 64);
        const bool ofClass = n > 0 && std::wstring_view(name, static_cast<std::size_t>(n)) == topClass;
        return ofClass && showsPage(only) ? only : nullptr;
    }
    HWND top = nullptr;
    for (int i = 0; i < kMaxTopWindows; ++i) {
        top = FindWindowExW(nullptr, top, topClass, nullptr);
        if (!top) break;
        if (showsPage(top)) return top;
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
    if (*stallAnswered_ || !IsWindow(stalled_)) {
        stalled_ = nullptr;
        return false;
    }
    return stalled_ == window;
}

void AccessiblePages::MarkStalled(HWND window) {
    auto answered = std::make_shared<bool>(false);
    auto forCallback = std::make_unique<std::shared_ptr<bool>>(answered);
    // Without the probe the window would never be asked again; better to wait once more next time.
    if (!SendMessageCallbackW(window, WM_NULL, 0, 0, ProbeAnswered, reinterpret_cast<ULONG_PTR>(forCallback.get())))
        return;
    forCallback.release();  // the callback frees it
    stalled_ = window;
    stallAnswered_ = std::move(answered);
}

bool AccessiblePages::SafeToRelease(HWND window) {
    // Letting go of an object is a call into the browser as well: one that hangs keeps it.
    DWORD_PTR ignored = 0;
    return !IsWindow(window) || (!Stalled(window) && SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG,
                                                                         kRequestTimeoutMs, &ignored));
}

void AccessiblePages::Forget() {
    if (document_ && !SafeToRelease(window_)) Abandon(document_);
    document_.Reset();
    window_ = nullptr;
}

void AccessiblePages::DropWalk() {
    for (WalkItem& item : walk_.queue) {
        if (!SafeToRelease(item.window)) Abandon(item.object);
    }
    if (walk_.best.document && !SafeToRelease(walk_.best.window)) Abandon(walk_.best.document);
    walk_ = AccessibleWalk{};
}

bool AccessiblePages::StartWalk(HWND top, bool& stalled) {
    std::vector<HWND> windows;
    // The page the user works in is the one with the focus, whatever the size of the others (the
    // smaller half of a split view, a side panel's page).
    const HWND focused = FocusedPageWindow(top);
    if (focused) windows.push_back(focused);
    for (HWND page = focused ? nullptr : FindWindowExW(top, nullptr, L"Chrome_RenderWidgetHostHWND", nullptr);
         page && windows.size() < kMaxPageWindows;
         page = FindWindowExW(top, page, L"Chrome_RenderWidgetHostHWND", nullptr)) {
        if (IsWindowVisible(page)) windows.push_back(page);
    }
    if (windows.empty()) windows.push_back(top);
    for (HWND window : windows) {
        if (Stalled(window)) {
            stalled = true;
            continue;
        }
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(window, WM_GETOBJECT, 0, static_cast<LPARAM>(static_cast<DWORD>(OBJID_CLIENT)),
                                 SMTO_ABORTIFHUNG, kRequestTimeoutMs, &result)) {
            MarkStalled(window);
            stalled = true;
            continue;
        }
        // 0: the window has no object of its own (Chromium's first answer, before its tree is built).
        const auto lresult = static_cast<LRESULT>(result);
        if (lresult <= 0) continue;
        ComPtr<IAccessible> root;
        busy_ = true;
        const bool gotRoot =
            SUCCEEDED(ObjectFromLresult(lresult, kIidAccessible, 0, reinterpret_cast<void**>(root.Put()))) && root;
        busy_ = false;
        if (gotRoot) walk_.queue.push_back({std::move(root), 0, window});
    }
    walk_.window = top;
    return !walk_.queue.empty();
}

PageAnswer AccessiblePages::Open(HWND window) {
    if (busy_ || Stalled(window)) return {PageAnswer::kNoAnswer, {}};
    Forget();
    if (!StartCom()) return {PageAnswer::kNotReady, {}};

    if (walk_.window != window || walk_.queue.empty()) {
        DropWalk();
        bool stalled = false;
        if (!StartWalk(window, stalled)) return {stalled ? PageAnswer::kNoAnswer : PageAnswer::kNotReady, {}};
    }
    busy_ = true;
    ContinueWalk(walk_, [this](HWND w) {
        DWORD_PTR ignored = 0;
        if (!Stalled(w) && SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kRequestTimeoutMs, &ignored))
            return true;
        MarkStalled(w);
        return false;
    });
    busy_ = false;
    // A web page found is taken at the end of the slice that found it; another document (tools, a
    // side bar) only once nothing is left to look at. Nothing found, the walk goes on at the next
    // ask, or starts over when there is nothing left of it.
    if (!walk_.queue.empty() && !(walk_.best.document && walk_.best.rank.webPage)) return {PageAnswer::kWalking, {}};
    if (!walk_.best.document) {
        DropWalk();
        return {PageAnswer::kNotReady, {}};
    }
    document_ = std::move(walk_.best.document);
    window_ = walk_.best.window;
    std::string address = Narrow(walk_.best.address);
    DropWalk();
    return {PageAnswer::kAddress, std::move(address)};
}

PageAnswer AccessiblePages::ReadKept() {
    if (!document_ || !IsWindow(window_)) return {PageAnswer::kGone, {}};
    if (busy_ || Stalled(window_)) return {PageAnswer::kNoAnswer, {}};
    // The user moved to another page of the same window (the other half of a split view): that
    // one's document is looked for.
    const HWND focusedPage = FocusedPageWindow(GetAncestor(window_, GA_ROOT));
    if (focusedPage && focusedPage != window_) {
        Forget();
        return {PageAnswer::kGone, {}};
    }
    // The object's calls would wait on the browser for as long as it likes: first make sure it
    // handles messages.
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kRequestTimeoutMs, &ignored)) {
        MarkStalled(window_);
        return {PageAnswer::kNoAnswer, {}};
    }
    busy_ = true;
    const bool shown = Shown(document_.Get());
    std::optional<std::wstring> value = shown ? ValueOf(document_.Get()) : std::nullopt;
    busy_ = false;
    if (!shown || !value) {
        // Hidden (another tab in front) or no longer connected to the browser's page.
        Forget();
        return {PageAnswer::kGone, {}};
    }
    if (value->empty()) return {PageAnswer::kNotReady, {}};
    return {PageAnswer::kAddress, Narrow(*value)};
}

bool AccessiblePages::FocusInDocument(HWND top) {
    if (!document_ || busy_ || Stalled(top)) return false;
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(top, WM_GETOBJECT, 0, static_cast<LPARAM>(static_cast<DWORD>(OBJID_CLIENT)),
                             SMTO_ABORTIFHUNG, kRequestTimeoutMs, &result)) {
        MarkStalled(top);
        return false;
    }
    const auto lresult = static_cast<LRESULT>(result);
    if (lresult <= 0) return false;
    busy_ = true;
    ComPtr<IAccessible> object;
    bool inside = false;
    if (SUCCEEDED(ObjectFromLresult(lresult, kIidAccessible, 0, reinterpret_cast<void**>(object.Put()))) && object) {
        const IUnknown* document = Identity(document_.Get());
        // Each object names the child on the way to the focused one; the focus lies inside the
        // document when the way passes through it.
        for (int depth = 0; document && object && depth < kMaxFocusDepth; ++depth) {
            if (Identity(object.Get()) == document) {
                inside = true;
                break;
            }
            object = FocusedChild(object.Get());
        }
    }
    busy_ = false;
    return inside;
}

bool AccessiblePages::FocusInOtherSiteFrame() {
    if (!document_ || busy_ || Stalled(window_)) return false;
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kRequestTimeoutMs, &ignored)) {
        MarkStalled(window_);
        return false;
    }
    busy_ = true;
    const std::optional<std::wstring> address = ValueOf(document_.Get());
    const UrlParts site = ParseUrl(address ? Narrow(*address) : std::string());
    auto sameSite = [&site](const UrlParts& other) {
        return SameLetters(other.Scheme, site.Scheme) && SameLetters(other.Host, site.Host) && other.Port == site.Port;
    };
    bool otherSite = false;
    IAccessible* object = document_.Get();
    ComPtr<IAccessible> held;
    for (int depth = 0; object && depth < kMaxFocusDepth && !otherSite; ++depth) {
        held = FocusedChild(object);
        object = held.Get();
        if (object && NumberOf(&IAccessible::get_accRole, object) == ROLE_SYSTEM_DOCUMENT) {
            const std::optional<std::wstring> frame = ValueOf(object);
            otherSite = !frame || !sameSite(ParseUrl(Narrow(*frame)));
        }
    }
    busy_ = false;
    return otherSite;
}

}  // namespace tf
