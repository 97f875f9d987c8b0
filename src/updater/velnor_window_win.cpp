#include "updater/velnor_window_win.h"

#include <commctrl.h>

#include <algorithm>
#include <mutex>
#include <system_error>
#include <thread>
#include <tuple>

#include "base/controls_win.h"
#include "base/dialog_scaling_win.h"
#include "base/dpi_win.h"
#include "base/http_get_win.h"
#include "base/program_look_win.h"
#include "base/shell_start_win.h"
#include "base/text.h"
#include "base/window_helpers_win.h"
#include "controls/line_unit.h"

namespace tf {
namespace {

constexpr UINT_PTR kTimer1 = 1;
constexpr UINT kTimer1Interval = 500;
constexpr UINT kFetchedMessage = WM_APP + 1;
constexpr int kClientWidthTwips = 5700;
constexpr int kClientHeightTwips = 1530;

const COLORREF kBackTop = RGB(236, 244, 252);
const COLORREF kBackBottom = RGB(198, 221, 244);

struct Place {
    int id;
    const wchar_t* cls;
    const wchar_t* text;
    DWORD style;
    int left, top, width, height;  // twips
};

}  // namespace

struct VelnorWindow::Mailbox {
    std::mutex lock;
    HWND window = nullptr;  // none once the window is gone: the answer is dropped
    std::optional<std::string> body;
};

VelnorWindow::VelnorWindow() : flow_(ProgramFolder(), NativeFileSystem(), platform_, download_) {
    WinHttpDown1->HttpState = [this](const std::string& fileSize, float percent, const std::string& speed,
                                     const std::string& downloaded) {
        WinHttpDown1_HttpState(fileSize, percent, speed, downloaded);
    };
    WinHttpDown1->StateChanged = [this](std::int16_t state) { WinHttpDown1_StateChanged(state); };
}

VelnorWindow::~VelnorWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
    if (background_) DeleteObject(background_);
}

void VelnorWindow::UseDpi(Dpi dpi) {
    dpi_ = dpi;
    font_.Reset(CreateUiFont(8, dpi_));
    versionFont_.Reset(CreateUiFont(14, dpi_, FW_BOLD));
    if (background_) DeleteObject(background_);
    background_ = nullptr;
}

void VelnorWindow::UseIcons() {
    // The icons of the taskbar and Alt+Tab, each loaded at its size for this scaling.
    HINSTANCE instance = GetModuleHandleW(nullptr);
    for (auto [which, metric, icon] :
         {std::tuple{ICON_BIG, SM_CXICON, &bigIcon_}, {ICON_SMALL, SM_CXSMICON, &smallIcon_}}) {
        const int size = MetricAt(metric, dpi_);
        UniqueIcon loaded(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, 0)));
        if (!loaded) continue;
        SendMessageW(hwnd_, WM_SETICON, static_cast<WPARAM>(which), reinterpret_cast<LPARAM>(loaded.Get()));
        *icon = std::move(loaded);  // the one it had is let go only once the window no longer shows it
    }
}

bool VelnorWindow::Create(HINSTANCE instance) {
    // No owner: it opens on the primary monitor, at that monitor's scaling.
    UseDpi(DpiForNewWindow(nullptr));
    HICON icon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    if (!ProgressBar::Register()) return false;
    if (!RegisterWindowClass(kVelnorWindowClass, OwnerWindowProc<VelnorWindow>, nullptr, 0, icon, icon)) return false;
    // No border and no title bar: the window is its background picture.
    if (!CreateCenteredWindow(0, kVelnorWindowClass, kVelnorCaption, WS_POPUP | WS_CLIPCHILDREN | WS_MINIMIZEBOX,
                              dpi_.FromTwips(kClientWidthTwips), dpi_.FromTwips(kClientHeightTwips), nullptr, this,
                              dpi_)) {
        return false;
    }
    // The main program starts the updater minimised; its window is there to be seen and pressed.
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    if (IsIconic(hwnd_)) ShowWindow(hwnd_, SW_RESTORE);
    SetForegroundWindow(hwnd_);
    SetTimer(hwnd_, kTimer1, kTimer1Interval, nullptr);
    return true;
}

void VelnorWindow::Layout() {
    // The first run makes the controls, in their Tab order; later runs (another scaling) move them
    // and give them the fonts of that scaling, so that both agree and no text or state is lost.
    const bool create = controls_.empty();
    std::size_t next = 0;
    auto put = [&](const wchar_t* cls, const wchar_t* text, DWORD style, int id, int left, int top, int width,
                   int height, HFONT font) {
        const int x = dpi_.FromTwips(left), y = dpi_.FromTwips(top);
        const int w = dpi_.FromTwips(width), h = dpi_.FromTwips(height);
        if (create) {
            controls_.push_back(CreateChild(hwnd_, 0, cls, text, style, id, x, y, w, h, font));
            return controls_.back();
        }
        HWND c = controls_[next++];
        MoveWindow(c, x, y, w, h, FALSE);
        SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        return c;
    };
    const DWORD label = SS_LEFT | SS_NOPREFIX;
    // Statics without SS_NOTIFY let the mouse through to the window, so a press on them drags it.
    const Place visible[] = {
        {kIdVelnorShuoming, L"STATIC", L"", label | SS_ENDELLIPSIS, 120, 120, 975, 255},
        {kIdVelnorSize, L"STATIC", L"", label, 120, 480, 975, 255},
        {kIdVelnorV, L"STATIC", L"", label | SS_ENDELLIPSIS, 1320, 120, 4215, 600},
        // The status lies in the window, so that a refused update says why.
        {kIdVelnorLabel1, L"STATIC", L"", label | SS_ENDELLIPSIS, 1320, 780, 4215, 255},
        {kIdVelnorImage3, L"STATIC", L"", SS_OWNERDRAW | SS_NOTIFY, 480, 1080, 315, 315},
        {kIdVelnorCommand1, L"BUTTON", L"Update", BS_PUSHBUTTON | WS_TABSTOP, 1320, 1160, 1575, 255},
        {kIdVelnorCommand2, L"BUTTON", L"Pause", BS_PUSHBUTTON | WS_TABSTOP, 3120, 1160, 735, 255},
        {kIdVelnorCommand3, L"BUTTON", L"Stop", BS_PUSHBUTTON | WS_TABSTOP, 4080, 1160, 735, 255},
    };
    for (const Place& p : visible) {
        put(p.cls, p.text, p.style, p.id, p.left, p.top, p.width, p.height,
            p.id == kIdVelnorV ? versionFont_.Get() : font_.Get());
    }
    if (create) {
        progressBar1_.SetMax(100);
        progressBar1_.Create(hwnd_, kIdVelnorProgressBar1, dpi_.FromTwips(120), dpi_.FromTwips(840),
                             dpi_.FromTwips(975));
    } else {
        // Its height is its own (12 pixels at 96 dpi, at the scaling of this window).
        MoveWindow(progressBar1_.Handle(), dpi_.FromTwips(120), dpi_.FromTwips(840), dpi_.FromTwips(975),
                   dpi_.Px(kProgressBarHeight), FALSE);
    }

    // Below and right of the client area: they hold the flow's values and are never seen.
    const wchar_t* captions[] = {L"状态：", L"文件大小：", L"下载速度：", L"已下载大小：",
                                 L"进度：", L"URL：",      L"保存路径："};
    int y = kClientHeightTwips + 120;
    for (const wchar_t* caption : captions) {
        HWND c = put(L"STATIC", caption, label, 0, 120, y, 1200, 255, font_.Get());
        if (create) ShowWindow(c, SW_HIDE);
        y += 300;
    }
    y = kClientHeightTwips + 120;
    for (int id : {kIdVelnorText1, kIdVelnorText2, kIdVelnorText6, kIdVelnorLabel17, kIdVelnorLabel9, kIdVelnorLabel10,
                   kIdVelnorLabel11, kIdVelnorLabel12}) {
        HWND c = put(L"STATIC", L"", label, id, 1440, y, 4000, 255, font_.Get());
        if (create) ShowWindow(c, SW_HIDE);
        y += 300;
    }
    HWND command4 =
        put(L"BUTTON", L"…", BS_PUSHBUTTON, kIdVelnorCommand4, kClientWidthTwips + 120, 120, 375, 255, font_.Get());
    if (!create) return;
    ShowWindow(command4, SW_HIDE);

    tooltip_ =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, GetModuleHandleW(nullptr), nullptr);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(hwnd_, kIdVelnorImage3));
    tool.lpszText = const_cast<wchar_t*>(L"Exit");
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void VelnorWindow::SetText(int id, const std::string& text) {
    SetWindowTextW(GetDlgItem(hwnd_, id), Widen(text).c_str());
}

void VelnorWindow::ShowFields() {
    SetText(kIdVelnorText1, fields_.Text1);
    SetText(kIdVelnorText2, fields_.Text2);
    SetText(kIdVelnorShuoming, fields_.shuoming);
    SetText(kIdVelnorSize, fields_.size);
    SetText(kIdVelnorV, fields_.v);
}

void VelnorWindow::Timer1_Timer() {
    KillTimer(hwnd_, kTimer1);
    if (fetch_.Open() == FetchStep::kFetch) FetchRelease();
    int alpha = 255;
    SetTopLayered(hwnd_, true, alpha, false);
}

void VelnorWindow::FetchRelease() {
    // On a worker, so that the window paints and its buttons answer meanwhile; HttpGetText bounds
    // the whole fetch.
    auto box = std::make_shared<Mailbox>();
    box->window = hwnd_;
    try {
        std::thread([box] {
            std::optional<std::string> body = HttpGetText(std::string(TAMBORVIN_SERVER) + kReleaseDescriptionPath);
            std::lock_guard<std::mutex> hold(box->lock);
            box->body = std::move(body);
            if (box->window) PostMessageW(box->window, kFetchedMessage, 0, 0);
        }).detach();
    } catch (const std::system_error&) {
        // No thread to be had: a failed fetch, which "Update" may try again.
        ReleaseFetched(std::nullopt);
        return;
    }
    mailbox_ = std::move(box);
}

void VelnorWindow::ReleaseFetched(const std::optional<std::string>& body) {
    // The server writes the description in the code page of the program's users.
    if (body) {
        ApplyReleaseDescription(AnsiToUtf8(*body), fields_);
        flow_.SetRelease(fields_);
    } else {
        SetText(kIdVelnorLabel1, kStatusNoRelease);
    }
    ShowFields();
    Command4_Click();
    if (fetch_.Fetched(body.has_value()) == FetchStep::kUpdate) Update();
}

void VelnorWindow::Command4_Click() {
    label17_ = SavePath(ProgramFolder(), fields_.Text2);
    SetText(kIdVelnorLabel17, label17_);
}

void VelnorWindow::Command1_Click() {
    switch (fetch_.UpdatePressed()) {
        case FetchStep::kUpdate:
            Update();
            break;
        case FetchStep::kFetch:
            FetchRelease();
            break;
        case FetchStep::kNothing:
            break;
    }
}

void VelnorWindow::Update() {
    const std::string status = flow_.Update();
    if (!status.empty()) SetText(kIdVelnorLabel1, status);
}

void VelnorWindow::Image3_Click() { DestroyWindow(hwnd_); }

void VelnorWindow::WinHttpDown1_HttpState(const std::string& fileSize, float percent, const std::string& speed,
                                          const std::string& downloaded) {
    SetText(kIdVelnorLabel9, fileSize);
    SetText(kIdVelnorLabel10, speed + "/s");
    SetText(kIdVelnorLabel11, downloaded);
    SetText(kIdVelnorLabel12, PercentLabel(percent));
    progressBar1_.SetValue(percent);
}

void VelnorWindow::WinHttpDown1_StateChanged(std::int16_t state) {
    SetText(kIdVelnorLabel1, flow_.OnDownloadState(state));
    if (flow_.Started()) {
        text6_ = "1";
        SetText(kIdVelnorText6, text6_);
    }
    if (text6_ == "1") DestroyWindow(hwnd_);
}

HBRUSH VelnorWindow::Background() {
    if (background_) return background_;
    // The background picture, drawn once: the window paints it, and the labels paint their part of
    // it behind their text (a pattern brush aligned to each label), so changed texts erase cleanly.
    RECT client;
    GetClientRect(hwnd_, &client);
    HDC screen = GetDC(hwnd_);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP picture = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ old = SelectObject(dc, picture);
    TRIVERTEX vertices[2] = {
        {client.left, client.top, static_cast<COLOR16>(GetRValue(kBackTop) << 8),
         static_cast<COLOR16>(GetGValue(kBackTop) << 8), static_cast<COLOR16>(GetBValue(kBackTop) << 8), 0},
        {client.right, client.bottom, static_cast<COLOR16>(GetRValue(kBackBottom) << 8),
         static_cast<COLOR16>(GetGValue(kBackBottom) << 8), static_cast<COLOR16>(GetBValue(kBackBottom) << 8), 0},
    };
    GRADIENT_RECT rect{0, 1};
    GradientFill(dc, vertices, 2, &rect, 1, GRADIENT_FILL_RECT_V);
    HBRUSH frame = CreateSolidBrush(kBandBlue);
    // The frame and the divider are whole lines of the scaling: sharp, and as heavy on every monitor.
    const int line = LineUnit(dpi_.Value());
    for (int k = 0; k < line; ++k) {
        RECT ring{client.left + k, client.top + k, client.right - k, client.bottom - k};
        FrameRect(dc, &ring, frame);
    }
    // A divider between the release's facts and its version.
    RECT divider{dpi_.FromTwips(1200), dpi_.FromTwips(120), dpi_.FromTwips(1200) + line, dpi_.FromTwips(1020)};
    FillRect(dc, &divider, frame);
    DeleteObject(frame);
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(hwnd_, screen);
    background_ = CreatePatternBrush(picture);
    DeleteObject(picture);
    return background_;
}

void VelnorWindow::Paint(HDC dc) {
    RECT client;
    GetClientRect(hwnd_, &client);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    FillRect(dc, &client, Background());
}

void VelnorWindow::DrawCloseImage(const DRAWITEMSTRUCT& item) {
    RECT box = item.rcItem;
    POINT at{0, 0};
    MapWindowPoints(item.hwndItem, hwnd_, &at, 1);
    SetBrushOrgEx(item.hDC, -at.x, -at.y, nullptr);
    FillRect(item.hDC, &box, Background());
    HBRUSH back = CreateSolidBrush(RGB(200, 60, 50));
    HGDIOBJ oldBrush = SelectObject(item.hDC, back);
    HGDIOBJ oldPen = SelectObject(item.hDC, GetStockObject(NULL_PEN));
    Ellipse(item.hDC, box.left, box.top, box.right + 1, box.bottom + 1);
    HPEN cross = CreatePen(PS_SOLID, std::max<int>(2, (box.right - box.left) / 8), RGB(255, 255, 255));
    SelectObject(item.hDC, cross);
    int inset = (box.right - box.left) * 3 / 10;
    MoveToEx(item.hDC, box.left + inset, box.top + inset, nullptr);
    LineTo(item.hDC, box.right - inset, box.bottom - inset);
    MoveToEx(item.hDC, box.right - inset, box.top + inset, nullptr);
    LineTo(item.hDC, box.left + inset, box.bottom - inset);
    SelectObject(item.hDC, oldPen);
    SelectObject(item.hDC, oldBrush);
    DeleteObject(cross);
    DeleteObject(back);
}

LRESULT VelnorWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CREATE:
            // Before the controls, which read it.
            SetWindowDpi(hwnd_, dpi_);
            UseIcons();
            Layout();
            return 0;
        case kGetDpiScaledSize:
            return AnswerDpiScaledSize(hwnd_, wParam, lParam, [](Dpi at) {
                return SIZE{at.FromTwips(kClientWidthTwips), at.FromTwips(kClientHeightTwips)};
            });
        case kDpiChanged: {
            // The controls let go of the old fonts only as Layout gives them the new ones.
            UniqueFont oldFont = std::move(font_);
            UniqueFont oldVersionFont = std::move(versionFont_);
            UseDpi(TakeDpiChange(hwnd_, wParam, lParam));
            UseIcons();
            Layout();
            TellControlsDpiChanged(hwnd_);
            // The controls too: they were moved without drawing, and under the window's picture.
            RepaintAll(hwnd_);
            return 0;
        }
        case WM_TIMER:
            if (wParam == kTimer1) Timer1_Timer();
            return 0;
        case kFetchedMessage:
            if (mailbox_) {
                std::optional<std::string> body;
                {
                    std::lock_guard<std::mutex> hold(mailbox_->lock);
                    body = std::move(mailbox_->body);
                }
                mailbox_.reset();
                ReleaseFetched(body);
            }
            return 0;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case kIdVelnorCommand1:
                    Command1_Click();
                    break;
                case kIdVelnorCommand2:
                    flow_.Pause();
                    break;
                case kIdVelnorCommand3:
                    flow_.Stop();
                    break;
                case kIdVelnorCommand4:
                    Command4_Click();
                    break;
                case kIdVelnorImage3:
                    if (HIWORD(wParam) == STN_CLICKED) Image3_Click();
                    break;
                default:
                    break;
            }
            return 0;
        case WM_LBUTTONDOWN:
            // The background picture and the version label (which lets the mouse through) drag.
            DragWindow(hwnd_);
            return 0;
        case WM_DRAWITEM:
            DrawCloseImage(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_CTLCOLORSTATIC: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            HWND label = reinterpret_cast<HWND>(lParam);
            SetBkMode(dc, TRANSPARENT);
            if (GetDlgCtrlID(label) == kIdVelnorV) SetTextColor(dc, kBandBlue);
            POINT at{0, 0};
            MapWindowPoints(label, hwnd_, &at, 1);
            SetBrushOrgEx(dc, -at.x, -at.y, nullptr);
            return reinterpret_cast<LRESULT>(Background());
        }
        case WM_ERASEBKGND:
            return TRUE;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd_, &ps);
            Paint(dc);
            EndPaint(hwnd_, &ps);
            return 0;
        }
        case WM_CLOSE:
            DestroyWindow(hwnd_);
            return 0;
        case WM_DESTROY:
            // Closed during a transfer: it keeps its resume files; the old program never moved.
            flow_.Close();
            if (mailbox_) {
                std::lock_guard<std::mutex> hold(mailbox_->lock);
                mailbox_->window = nullptr;
            }
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

}  // namespace tf
