#include "records/import_preview_win.h"

#include <algorithm>
#include <iterator>

#include "base/dialog_scaling_win.h"
#include "base/dpi_win.h"
#include "base/message_pump_win.h"
#include "base/program_look_win.h"
#include "base/screen_fit.h"
#include "base/window_helpers_win.h"
#include "controls/is_button_win.h"

namespace tf {
namespace {

// Layout at 96 dpi; scaled to the scaling of the monitor the window is on (less on one too small
// for it).
constexpr int kClientWidth = 780;
constexpr int kClientHeight = 500;
constexpr int kMargin = 12;
constexpr int kLabelHeight = 20;
constexpr int kButtonWidth = 84;
constexpr int kButtonHeight = 28;
// The reason's column takes what the others leave, less the vertical scroll bar: no horizontal one.
constexpr int kColumnWidths[] = {40, 70, 120, 200, 110, 0};
static_assert(std::size(kColumnWidths) == std::size(kImportPreviewColumns));

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
constexpr wchar_t kCaption[] = L"导入预览";

// The work area the window opens in: its owner's monitor's when the owner shows, else the primary's.
ScreenBox WorkAreaFor(HWND owner) {
    RECT ownerRect;
    if (owner && IsWindowVisible(owner) && GetWindowRect(owner, &ownerRect)) return WorkAreaNear(ownerRect);
    return PrimaryWorkArea();
}

// A cell shows this much of a field at most: a hostile file's megabyte-long name is cut, not drawn.
constexpr std::size_t kMaxCellChars = 260;

}  // namespace

std::string ImportPreviewCell(const ImportRow& row, int column) {
    switch (column) {
        case 0:
            return std::to_string(row.row);
        case 1:
            return ImportActionText(row.action);
        case 2:
            return row.record[kSiteName];
        case 3:
            return row.record[kLoginUrl];
        case 4:
            return row.record[kAccount];
        default:
            break;
    }
    switch (row.action) {
        case ImportAction::kCannotImport:
            return row.reason;
        case ImportAction::kAlreadyThere:
            return row.earlierRow ? "同第 " + std::to_string(row.earlierRow) + " 行"
                                  : "列表第 " + std::to_string(row.target + 1) + " 条";
        case ImportAction::kUpdate:
            return row.earlierRow ? "换掉第 " + std::to_string(row.earlierRow) + " 行的密码"
                                  : "换掉列表第 " + std::to_string(row.target + 1) + " 条的密码";
        default:
            return {};
    }
}

ImportPreview::~ImportPreview() {
    if (hwnd_) DestroyWindow(hwnd_);
}

bool ImportPreview::ShowModal(HWND owner, const ImportPlan& plan) {
    if (hwnd_) {
        ForceForegroundWindow(hwnd_);
        return false;
    }
    if (!face_.Ready(kImportPreviewClass, OwnerWindowProc<ImportPreview>, DpiForNewWindow(owner))) return false;
    FitTo(WorkAreaFor(owner));
    plan_ = &plan;
    accepted_ = false;
    owner_ = owner;
    hwnd_ = CreateCenteredWindow(kExStyle, kImportPreviewClass, kCaption, kStyle, dpi_.Px(kClientWidth),
                                 dpi_.Px(kClientHeight), owner, this, face_.dpi);
    if (!hwnd_) {
        plan_ = nullptr;
        return false;
    }
    if (owner_) EnableWindow(owner_, FALSE);
    ShowWindow(hwnd_, SW_SHOW);
    ForceForegroundWindow(hwnd_);
    SetFocus(GetDlgItem(hwnd_, IDOK));
    if (!PumpUntil([this] { return hwnd_ == nullptr; }) && hwnd_) {
        // The program is ending: nothing is imported.
        accepted_ = false;
        DestroyWindow(hwnd_);
    }
    plan_ = nullptr;
    return accepted_;
}

void ImportPreview::FitTo(const ScreenBox& work) {
    dpi_ = DpiToFit(face_.dpi.Value(), kClientWidth, kClientHeight, work);
    font_.Reset(CreateUiFont(9, dpi_));
}

void ImportPreview::Layout() {
    const bool first = !list_;
    HFONT font = font_.Get();
    const auto placeButton = [&](const wchar_t* caption, DWORD style, int id, int x, int y, int w, int h) {
        PlaceProgramButton(first, hwnd_, caption, style, id, x, y, w, h, font);
    };
    const int width = dpi_.Px(kClientWidth);
    const int inner = width - 2 * dpi_.Px(kMargin);
    if (first) {
        const std::string kind = std::string("文件格式：") + ImportKindName(plan_->kind);
        CreateChild(hwnd_, 0, L"STATIC", Widen(kind).c_str(), SS_LEFT | SS_NOPREFIX, kIdPreviewKind, dpi_.Px(kMargin),
                    dpi_.Px(kMargin), inner, dpi_.Px(kLabelHeight), font);
        const std::string totals = ImportTotalsText(*plan_) + "。按 OK 之前不会更改任何记录。";
        CreateChild(hwnd_, 0, L"STATIC", Widen(totals).c_str(), SS_LEFT | SS_NOPREFIX, kIdPreviewTotals,
                    dpi_.Px(kMargin), dpi_.Px(kMargin + kLabelHeight), inner, dpi_.Px(kLabelHeight), font);
    } else {
        MoveChild(GetDlgItem(hwnd_, kIdPreviewKind), dpi_.Px(kMargin), dpi_.Px(kMargin), inner, dpi_.Px(kLabelHeight),
                  font);
        MoveChild(GetDlgItem(hwnd_, kIdPreviewTotals), dpi_.Px(kMargin), dpi_.Px(kMargin + kLabelHeight), inner,
                  dpi_.Px(kLabelHeight), font);
    }

    const int listTop = dpi_.Px(kMargin + 2 * kLabelHeight + 6);
    const int buttonsY = dpi_.Px(kClientHeight - kMargin - kButtonHeight);
    const int listHeight = buttonsY - dpi_.Px(10) - listTop;
    // Creation order is the Tab order: the list, then OK and Cancel.
    if (first) {
        list_ = CreateChild(hwnd_, WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                            WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | LVS_SINGLESEL, kIdPreviewList,
                            dpi_.Px(kMargin), listTop, inner, listHeight, font);
        ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_DOUBLEBUFFER);
    } else {
        // The rows, the selection and the scroll position stay; only the place, font and columns change.
        MoveChild(list_, dpi_.Px(kMargin), listTop, inner, listHeight, font);
    }
    RECT listClient{};
    GetClientRect(list_, &listClient);
    // The scroll bar's width is that of the monitor's scaling, whatever the layout shrank to.
    int rest = listClient.right - MetricAt(SM_CXVSCROLL, face_.dpi);
    for (int width : kColumnWidths) rest -= dpi_.Px(width);
    for (int c = 0; c < static_cast<int>(std::size(kImportPreviewColumns)); ++c) {
        const int columnWidth = kColumnWidths[c] ? dpi_.Px(kColumnWidths[c]) : std::max(rest, dpi_.Px(80));
        if (!first) {
            ListView_SetColumnWidth(list_, c, columnWidth);
            continue;
        }
        std::wstring header = Widen(kImportPreviewColumns[c]);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = header.data();
        column.cx = columnWidth;
        column.iSubItem = c;
        ListView_InsertColumn(list_, c, &column);
    }
    if (first) ListView_SetItemCountEx(list_, static_cast<int>(plan_->rows.size()), LVSICF_NOINVALIDATEALL);

    const int cancelX = width - dpi_.Px(kMargin + kButtonWidth);
    const int okX = cancelX - dpi_.Px(kButtonWidth + 8);
    placeButton(L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK, okX, buttonsY, dpi_.Px(kButtonWidth),
                dpi_.Px(kButtonHeight));
    placeButton(L"Cancel", WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL, cancelX, buttonsY, dpi_.Px(kButtonWidth),
                dpi_.Px(kButtonHeight));
}

void ImportPreview::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
    face_.UseDpi(TakeDpiChange(hwnd_, wParam, lParam));
    RECT now{};
    GetWindowRect(hwnd_, &now);
    const ScreenBox work = WorkAreaNear(now);
    FitTo(work);
    // Shrunk to fit the new monitor, the window is not the size Windows suggested: it takes the
    // size it would have opened with there, inside the work area.
    RECT client{};
    GetClientRect(hwnd_, &client);
    if (client.right != dpi_.Px(kClientWidth) || client.bottom != dpi_.Px(kClientHeight)) {
        const RECT frame = FrameAround(dpi_.Px(kClientWidth), dpi_.Px(kClientHeight), kStyle, kExStyle, face_.dpi);
        const ScreenBox at = FitInside(
            {now.left, now.top, now.left + frame.right - frame.left, now.top + frame.bottom - frame.top}, work);
        SetWindowPos(hwnd_, nullptr, at.left, at.top, at.Width(), at.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    }
    Layout();
    TellControlsDpiChanged(hwnd_);
    RepaintAll(hwnd_);
}

void ImportPreview::FillItemText(NMLVDISPINFOW& info) {
    if (!(info.item.mask & LVIF_TEXT) || !plan_ || info.item.cchTextMax <= 0) return;
    const auto item = static_cast<std::size_t>(info.item.iItem);
    if (item >= plan_->rows.size()) return;
    cellText_ = Widen(ImportPreviewCell(plan_->rows[item], info.item.iSubItem));
    if (cellText_.size() > kMaxCellChars) cellText_.resize(kMaxCellChars);
    // Line breaks inside a field would show as boxes: shown as blanks.
    std::replace_if(
        cellText_.begin(), cellText_.end(), [](wchar_t c) { return c == L'\r' || c == L'\n'; }, L' ');
    info.item.pszText = cellText_.data();
}

void ImportPreview::Close(bool accepted) {
    if (!hwnd_) return;
    accepted_ = accepted;
    // The owner is enabled before the window goes, so that it (not another program) is activated.
    if (owner_ && IsWindow(owner_)) EnableWindow(owner_, TRUE);
    DestroyWindow(hwnd_);
}

LRESULT ImportPreview::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CREATE:
            SetWindowDpi(hwnd_, face_.dpi);
            Layout();
            return 0;
        case kGetDpiScaledSize:
            return AnswerDpiScaledSize(hwnd_, wParam, lParam, [](Dpi at) {
                return SIZE{at.Px(kClientWidth), at.Px(kClientHeight)};
            });
        case kDpiChanged:
            OnDpiChanged(wParam, lParam);
            return 0;
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED) {
                if (LOWORD(wParam) == IDOK) Close(true);
                if (LOWORD(wParam) == IDCANCEL) Close(false);
            }
            return 0;
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (header->hwndFrom == list_ && header->code == LVN_GETDISPINFOW)
                FillItemText(*reinterpret_cast<NMLVDISPINFOW*>(lParam));
            return 0;
        }
        case WM_CTLCOLORSTATIC:
            SetBkColor(reinterpret_cast<HDC>(wParam), kFaceColour);
            return reinterpret_cast<LRESULT>(face_.brush.Get());
        case WM_CLOSE:
            // The caption's close button counts as Cancel.
            Close(false);
            return 0;
        case WM_DESTROY:
            if (owner_ && IsWindow(owner_)) EnableWindow(owner_, TRUE);
            return 0;
        case WM_NCDESTROY:
            list_ = nullptr;
            break;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

}  // namespace tf
