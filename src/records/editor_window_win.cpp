#include "records/editor_window_win.h"

#include "base/controls_win.h"
#include "base/dialog_scaling_win.h"
#include "base/dpi_win.h"
#include "base/program_look_win.h"
#include "base/system_random.h"
#include "base/wipe.h"

#include <algorithm>

#include <commctrl.h>

#include "controls/is_button_win.h"
#include "base/window_helpers_win.h"

namespace tf {
namespace {

// Posted on a box's focus, so that it runs after the dialog keys' select-all.
constexpr UINT kCaretToEnd = WM_APP + 20;

// Layout at 96 dpi; scaled to the scaling of the monitor the window is on.
constexpr int kMargin = 16;
constexpr int kLabelWidth = 132;
constexpr int kBoxWidth = 280;
constexpr int kBoxHeight = 23;
constexpr int kRowPitch = 31;
constexpr int kButtonWidth = 84;
constexpr int kButtonHeight = 28;
constexpr int kGenerateWidth = 84;
constexpr int kOptionsWidth = 136;
constexpr int kLoginUrlBox = 1;
constexpr int kPasswordBox = 3;

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT;

SIZE ClientSize(Dpi dpi) {
    return {dpi.Px(kMargin + kLabelWidth + kBoxWidth + kMargin),
            dpi.Px(kMargin + kEditorBoxes * kRowPitch + 8 + kButtonHeight + kMargin)};
}

}  // namespace

EditorWindow::~EditorWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
}

bool EditorWindow::Create(HWND owner) {
    if (!face_.Ready(kEditorWindowClass, OwnerWindowProc<EditorWindow>, DpiForNewWindow(owner))) return false;

    const SIZE client = ClientSize(face_.dpi);
    hwnd_ = CreateCenteredWindow(kExStyle, kEditorWindowClass, Widen(kEditorCaption), kStyle, client.cx, client.cy,
                                 owner, this, face_.dpi);
    if (!hwnd_) return false;
    generator_ = LoadGeneratorOptions(store_);
    // Loaded: opaque and in the topmost band, so the editor stays in front of the main window
    // and of the browser the user copies from.
    int alpha = 255;
    SetTopLayered(hwnd_, true, alpha, false);
    return true;
}

void EditorWindow::Layout() {
    const Dpi dpi = face_.dpi;
    HFONT font = face_.font.Get();
    const bool first = !boxes_[0];
    // Made the first time (in the order given) or moved to the present scaling later; a box keeps
    // its text, selection and focus.
    const auto place = [&](HWND control, DWORD exStyle, const wchar_t* cls, const wchar_t* text, DWORD style, int id,
                           int x, int y, int w, int h) {
        return PlaceChild(first, control, hwnd_, exStyle, cls, text, style, id, x, y, w, h, font);
    };
    const auto placeButton = [&](const wchar_t* caption, DWORD style, int id, int x, int y, int w, int h) {
        PlaceProgramButton(first, hwnd_, caption, style, id, x, y, w, h, font);
    };
    const int labelX = dpi.Px(kMargin);
    const int boxX = dpi.Px(kMargin + kLabelWidth);
    HDC dc = GetDC(hwnd_);
    HGDIOBJ oldFont = SelectObject(dc, font);
    // Creation order is the Tab order: the eight boxes (Generate after the password box), then
    // the generator's options, OK and Cancel.
    for (int i = 0; i < kEditorBoxes; ++i) {
        const int y = dpi.Px(kMargin + i * kRowPitch);
        const std::wstring label = Widen(kEditorLabels[static_cast<std::size_t>(i)]);
        place(GetDlgItem(hwnd_, kIdEditorLabel0 + i), 0, L"STATIC", label.c_str(),
              SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX, kIdEditorLabel0 + i, labelX, y, dpi.Px(kLabelWidth - 8),
              dpi.Px(kBoxHeight));
        if (i < static_cast<int>(required_.size())) {
            // Right after the label's text, which is wider or narrower with the font.
            SIZE extent{};
            GetTextExtentPoint32W(dc, label.c_str(), static_cast<int>(label.size()), &extent);
            HWND& mark = required_[static_cast<std::size_t>(i)];
            mark = place(mark, 0, L"STATIC", L"*", SS_LEFT | SS_CENTERIMAGE, kIdEditorRequired0 + i,
                         labelX + extent.cx + dpi.Px(3), y, dpi.Px(10), dpi.Px(kBoxHeight));
        }
        // Multi-line boxes keep a line break that a remark or question may hold; a single-line
        // box would cut the text there and the record would lose it on OK. The password box
        // cannot be multi-line and show "*".
        const DWORD style =
            WS_TABSTOP | ES_AUTOHSCROLL | (i == kPasswordBox ? ES_PASSWORD : ES_MULTILINE | ES_AUTOVSCROLL);
        // The password box leaves room on its right for the button that fills it.
        const int width = i == kPasswordBox ? kBoxWidth - kGenerateWidth - 6 : kBoxWidth;
        HWND& box = boxes_[static_cast<std::size_t>(i)];
        box = place(box, WS_EX_CLIENTEDGE, L"EDIT", L"", style, kIdTxtName0 + i, boxX, y, dpi.Px(width),
                    dpi.Px(kBoxHeight));
        if (first) {
            if (i == kPasswordBox) SendMessageW(box, EM_SETPASSWORDCHAR, L'*', 0);
            SetWindowSubclass(box, BoxProc, 1, reinterpret_cast<DWORD_PTR>(this));
        }
        if (i == kPasswordBox) {
            placeButton(L"&Generate", WS_TABSTOP | BS_PUSHBUTTON, kIdGeneratePassword,
                        boxX + dpi.Px(kBoxWidth - kGenerateWidth), y, dpi.Px(kGenerateWidth), dpi.Px(kBoxHeight));
        }
    }
    SelectObject(dc, oldFont);
    ReleaseDC(hwnd_, dc);

    const int buttonsY = dpi.Px(kMargin + kEditorBoxes * kRowPitch + 8);
    const int cancelX = dpi.Px(kMargin + kLabelWidth + kBoxWidth - kButtonWidth);
    const int okX = cancelX - dpi.Px(kButtonWidth + 8);
    placeButton(L"Password &options...", WS_TABSTOP | BS_PUSHBUTTON, kIdGeneratorOptions, labelX, buttonsY,
                dpi.Px(kOptionsWidth), dpi.Px(kButtonHeight));
    placeButton(L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK, okX, buttonsY, dpi.Px(kButtonWidth), dpi.Px(kButtonHeight));
    placeButton(L"Cancel", WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL, cancelX, buttonsY, dpi.Px(kButtonWidth),
                dpi.Px(kButtonHeight));
}

void EditorWindow::ShowEditor(HWND owner, const LoginRecord& record, bool editMode) {
    if (accepting_) {
        // The record on hand is not yet placed: the question about it comes to the front.
        if (HWND question = GetLastActivePopup(hwnd_)) SetForegroundWindow(question);
        return;
    }
    if (!hwnd_ && !Create(owner)) return;
    editMode_ = editMode;
    lineNum_ = editMode ? record[kLineNum] : std::string();
    Fill(editMode ? EditorBoxesFor(record) : NewRecordBoxes());
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    BringWindowToTop(hwnd_);
    SetFocus(boxes_[0]);
}

void EditorWindow::Close() {
    if (hwnd_) DestroyWindow(hwnd_);
}

void EditorWindow::Fill(const EditorBoxes& boxes) {
    filled_ = boxes;
    for (int i = 0; i < kEditorBoxes; ++i) {
        HWND box = boxes_[static_cast<std::size_t>(i)];
        SetWindowTextW(box, Widen(boxes[static_cast<std::size_t>(i)]).c_str());
        shown_[static_cast<std::size_t>(i)] = TextOf(box);
    }
}

EditorBoxes EditorWindow::Collect() const {
    EditorBoxes boxes;
    for (int i = 0; i < kEditorBoxes; ++i) {
        boxes[static_cast<std::size_t>(i)] = TextOf(boxes_[static_cast<std::size_t>(i)]);
    }
    return boxes;
}

void EditorWindow::btnOK_Click() {
    const EditorBoxes now = Collect();
    EditorOutcome outcome = AcceptEditor(KeepUntouchedBoxes(now, shown_, filled_), lineNum_,
                                         editMode_ && now[kLoginUrlBox] == shown_[kLoginUrlBox]);
    if (outcome.refusal) {
        MessageBoxW(hwnd_, Widen(*outcome.refusal).c_str(), kProgramTitle, MB_OK);
        if (outcome.focusBox >= 0 && outcome.focusBox < kEditorBoxes) {
            SetFocus(boxes_[static_cast<std::size_t>(outcome.focusBox)]);
        }
        return;
    }
    SetWindowTextW(boxes_[kLoginUrlBox], Widen(outcome.url.url).c_str());
    accepting_ = true;
    if (onAccept_) onAccept_(outcome.record, editMode_, hwnd_);
    accepting_ = false;
    Close();
}

void EditorWindow::btnGenerate_Click() {
    std::optional<std::string> password = GeneratePassword(generator_, SystemRandomBytes);
    if (!password) {
        MessageBoxW(hwnd_, L"No password could be made: the system's random source failed.", kProgramTitle,
                    MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    std::wstring text = Widen(*password);
    WipeString(*password);
    HWND box = boxes_[kPasswordBox];
    SetWindowTextW(box, text.c_str());
    WipeMemory(text.data(), text.size() * sizeof(wchar_t));
    SetFocus(box);
}

void EditorWindow::btnOptions_Click() {
    GeneratorOptions options = generator_;
    if (!generatorWindow_.ShowModal(hwnd_, options)) return;
    generator_ = options;
    // Kept for the next runs; when that fails the options still hold until the program ends.
    const WriteStatus saved = SaveGeneratorOptions(store_, options);
    if (!saved.Ok() && hwnd_) {
        MessageBoxW(hwnd_, Widen(WriteFailureText("Save password options error code:", saved)).c_str(), kProgramTitle,
                    MB_OK | MB_ICONEXCLAMATION);
    }
}

void EditorWindow::OnCommand(int id, int code, HWND control) {
    if (id >= kIdTxtName0 && id < kIdTxtName0 + kEditorBoxes) {
        if (code == EN_SETFOCUS) PostMessageW(hwnd_, kCaretToEnd, 0, reinterpret_cast<LPARAM>(control));
        return;
    }
    // While OK hands a record on, the editor waits for it: a second OK or a Cancel would act on
    // a record that is already on its way.
    if (code != BN_CLICKED || accepting_) return;
    if (id == IDOK) btnOK_Click();
    if (id == IDCANCEL) Close();
    if (id == kIdGeneratePassword) btnGenerate_Click();
    if (id == kIdGeneratorOptions) btnOptions_Click();
}

LRESULT CALLBACK EditorWindow::BoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (msg == WM_GETDLGCODE) {
        // A multi-line box would keep Tab, Enter and Escape for itself; here they move on, press
        // OK and cancel, as in every box.
        return DefSubclassProc(hwnd, msg, wParam, lParam) & ~static_cast<LRESULT>(DLGC_WANTALLKEYS | DLGC_WANTTAB);
    }
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, BoxProc, 1);
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

LRESULT EditorWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT scaled = 0;
    if (FaceScalingMessage(
            hwnd_, face_, msg, wParam, lParam, scaled, [this] { Layout(); },
            [this](Dpi dpi) { return ClientSize(dpi); }))
        return scaled;
    switch (msg) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        case DM_GETDEFID: {
            // Asked by the dialog keys of the message loop: Enter presses OK, or the button that
            // has the focus.
            for (int id : {IDCANCEL, static_cast<int>(kIdGeneratePassword), static_cast<int>(kIdGeneratorOptions)}) {
                HWND button = GetDlgItem(hwnd_, id);
                if (button && GetFocus() == button) return MAKELRESULT(id, DC_HASDEFID);
            }
            return MAKELRESULT(IDOK, DC_HASDEFID);
        }
        case kCaretToEnd: {
            auto box = reinterpret_cast<HWND>(lParam);
            if (GetFocus() == box) {
                int length = GetWindowTextLengthW(box);
                SendMessageW(box, EM_SETSEL, static_cast<WPARAM>(length), length);
                SendMessageW(box, EM_SCROLLCARET, 0, 0);
            }
            return 0;
        }
        case WM_CTLCOLORSTATIC: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            auto control = reinterpret_cast<HWND>(lParam);
            bool mark = control == required_[0] || control == required_[1];
            SetTextColor(dc, mark ? kRequiredMark : kLabelText);
            SetBkColor(dc, kFaceColour);
            return reinterpret_cast<LRESULT>(face_.brush.Get());
        }
        case WM_CLOSE:
            if (!accepting_) Close();
            return 0;
        case WM_NCDESTROY:
            boxes_ = {};
            required_ = {};
            break;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

}  // namespace tf
