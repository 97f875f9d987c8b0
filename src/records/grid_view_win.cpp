#include "records/grid_view_win.h"

#include <windowsx.h>

#include "base/controls_win.h"
#include "base/dialog_scaling_win.h"

namespace tf {
namespace {

constexpr int kPasswordColumn = kPassword;

COLORREF ToColorRef(GridColors::Rgb c) { return RGB(c.r, c.g, c.b); }

const COLORREF kGridLine = RGB(208, 215, 229);
const COLORREF kHeaderLine = RGB(120, 160, 205);
const COLORREF kText = RGB(0, 0, 0);
const COLORREF kSelectedText = RGB(255, 255, 255);

}  // namespace

GridView::~GridView() {
    if (list_ && IsWindow(list_)) {
        RemoveWindowSubclass(list_, SubclassProc, 1);
        ListView_SetImageList(list_, nullptr, LVSIL_SMALL);
    }
    // The list shares it (LVS_SHAREIMAGELISTS) and leaves it alone when destroyed: freed once, here.
    if (rowHeight_) ImageList_Destroy(rowHeight_);
}

HWND GridView::Create(HWND parent, int id, const RECT& bounds, HFONT font, Dpi dpi, Handlers handlers) {
    handlers_ = std::move(handlers);
    font_ = font;
    dpi_ = dpi;
    background_.Reset(CreateSolidBrush(ToColorRef(GridColors::kBackground)));
    headerBackground_.Reset(CreateSolidBrush(ToColorRef(GridColors::kFixedBackground)));
    selectedBackground_.Reset(CreateSolidBrush(ToColorRef(GridColors::kSelectedBackground)));
    gridPen_.Reset(CreatePen(PS_SOLID, 1, kGridLine));
    headerPen_.Reset(CreatePen(PS_SOLID, 1, kHeaderLine));

    // Owner data: the model stays the only store of the records; the ListView asks for texts.
    list_ =
        CreateChild(parent, WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                    WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | LVS_SINGLESEL | LVS_SHAREIMAGELISTS,
                    id, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, font);
    if (!list_) return nullptr;
    ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_DOUBLEBUFFER);
    ListView_SetBkColor(list_, ToColorRef(GridColors::kBackground));
    ListView_SetTextBkColor(list_, ToColorRef(GridColors::kBackground));
    ListView_SetTextColor(list_, kText);

    SetRowHeight();

    header_ = ListView_GetHeader(list_);
    SetWindowSubclass(list_, SubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
    return list_;
}

void GridView::SetRowHeight() {
    // A ListView row is as tall as its font or its small images, whichever is taller: an image
    // list of blank 1-pixel-wide images holds the rows at the minimum height.
    HIMAGELIST old = rowHeight_;
    rowHeight_ = ImageList_Create(1, dpi_.FromTwips(kMinRowHeightTwips), ILC_COLOR32, 0, 1);
    ListView_SetImageList(list_, rowHeight_, LVSIL_SMALL);
    // Shared (LVS_SHAREIMAGELISTS): the list leaves the one it held alone.
    if (old) ImageList_Destroy(old);
}

void GridView::Relayout(const RECT& bounds, HFONT font, Dpi dpi) {
    const Dpi before = dpi_;
    dpi_ = dpi;
    font_ = font;
    for (int c = 0; c < static_cast<int>(columnTwips_.size()); ++c) {
        auto& twips = columnTwips_[static_cast<std::size_t>(c)];
        const int width = ListView_GetColumnWidth(list_, c);
        // A width other than the one set was dragged there by the user.
        if (width != before.FromTwips(twips)) twips = before.ToTwips(width);
    }
    MoveChild(list_, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, font);
    SetRowHeight();
    for (int c = 0; c < static_cast<int>(columnTwips_.size()); ++c) {
        ListView_SetColumnWidth(list_, c, dpi_.FromTwips(columnTwips_[static_cast<std::size_t>(c)]));
    }
}

void GridView::SetupGrid() {
    while (ListView_DeleteColumn(list_, 0)) {
    }
    RECT rc;
    GetWindowRect(list_, &rc);
    int widthTwips = dpi_.ToTwips(rc.right - rc.left);
    auto widths = GridColumnWidths(widthTwips);
    columnTwips_.assign(widths.begin(), widths.end());
    for (int c = 0; c < kGridColumns; ++c) {
        std::wstring text = Widen(kGridHeaders[static_cast<std::size_t>(c)]);
        LVCOLUMNW column{};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = c == 0 ? LVCFMT_CENTER : LVCFMT_LEFT;
        column.cx = dpi_.FromTwips(widths[static_cast<std::size_t>(c)]);
        column.pszText = text.data();
        column.iSubItem = c;
        ListView_InsertColumn(list_, c, &column);
    }
}

void GridView::HidePasswordColumn() {
    ListView_SetColumnWidth(list_, kPasswordColumn, 0);
    if (kPasswordColumn < static_cast<int>(columnTwips_.size())) columnTwips_[kPasswordColumn] = 0;
}

void GridView::Refresh() {
    rows_.clear();
    for (int r = kFirstRecordRow; r < model_.Rows(); ++r) {
        if (!model_.RowHidden(r)) rows_.push_back(r);
    }
    ListView_SetItemCountEx(list_, static_cast<int>(rows_.size()), LVSICF_NOSCROLL);
    ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (model_.HasCurrentRecord()) {
        for (std::size_t i = 0; i < rows_.size(); ++i) {
            if (rows_[i] != model_.CurrentRow()) continue;
            int item = static_cast<int>(i);
            ListView_SetItemState(list_, item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            ListView_EnsureVisible(list_, item, FALSE);
            break;
        }
    }
    InvalidateRect(list_, nullptr, TRUE);
}

void GridView::SyncCurrentRow() {
    int item = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
    bool valid = item >= 0 && item < static_cast<int>(rows_.size());
    model_.SetCurrentRow(valid ? rows_[static_cast<std::size_t>(item)] : 1);
}

void GridView::OpenItem(int item) {
    if (item < 0 || item >= static_cast<int>(rows_.size())) return;
    SyncCurrentRow();
    if (handlers_.open) handlers_.open(rows_[static_cast<std::size_t>(item)]);
}

bool GridView::OnNotify(const NMHDR& header, LRESULT& result) {
    if (header.hwndFrom != list_) return false;
    switch (header.code) {
        case LVN_GETDISPINFOW: {
            auto& info = const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header));
            LVITEMW& item = info.item;
            if (item.iItem < 0 || item.iItem >= static_cast<int>(rows_.size())) return false;
            if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
                text_ = Widen(model_.Cell(rows_[static_cast<std::size_t>(item.iItem)], item.iSubItem));
                lstrcpynW(item.pszText, text_.c_str(), item.cchTextMax);
            }
            if (item.mask & LVIF_IMAGE) item.iImage = I_IMAGENONE;
            result = 0;
            return true;
        }
        case LVN_ITEMCHANGED:
        case LVN_ODSTATECHANGED:
            // The ListView repaints only part of a row whose selection changed; the whole row is
            // ours to draw.
            InvalidateRect(list_, nullptr, FALSE);
            return false;
        case NM_CUSTOMDRAW: {
            const auto& draw = reinterpret_cast<const NMLVCUSTOMDRAW&>(header);
            if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) {
                result = CDRF_NOTIFYITEMDRAW;
            } else if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
                result = DrawRow(draw);
            } else {
                result = CDRF_DODEFAULT;
            }
            return true;
        }
        default:
            return false;
    }
}

void GridView::DrawCellText(HDC dc, const std::string& text, RECT cell, bool centred) {
    if (text.empty()) return;
    std::wstring wide;
    // A remark may span lines; a one-line cell shows each line break as one space, not as boxes.
    for (wchar_t c : Widen(text)) {
        bool lineBreak = c == L'\r' || c == L'\n';
        if (!lineBreak) {
            wide += c;
        } else if (wide.empty() || wide.back() != L' ') {
            wide += L' ';
        }
    }
    // The centred "#" column is only 300 twips wide: its numbers get all of it, uncut by an ellipsis.
    InflateRect(&cell, centred ? 0 : -dpi_.Px(4), 0);
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | (centred ? DT_CENTER : DT_LEFT | DT_END_ELLIPSIS);
    DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &cell, format);
}

// Rows are drawn here rather than by the ListView: the selected row keeps its dark blue when the
// grid has no focus, and column 0 is centred, which a ListView does not do for its first column.
LRESULT GridView::DrawRow(const NMLVCUSTOMDRAW& draw) {
    int item = static_cast<int>(draw.nmcd.dwItemSpec);
    if (item < 0 || item >= static_cast<int>(rows_.size())) return CDRF_DODEFAULT;
    int row = rows_[static_cast<std::size_t>(item)];
    HDC dc = draw.nmcd.hdc;
    RECT bounds;
    if (!ListView_GetItemRect(list_, item, &bounds, LVIR_BOUNDS)) return CDRF_DODEFAULT;
    bool selected = (ListView_GetItemState(list_, item, LVIS_SELECTED) & LVIS_SELECTED) != 0;

    HGDIOBJ oldFont = SelectObject(dc, font_);
    HGDIOBJ oldPen = SelectObject(dc, gridPen_.Get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, selected ? kSelectedText : kText);
    int x = bounds.left;
    for (int c = 0; c < kGridColumns; ++c) {
        int width = ListView_GetColumnWidth(list_, c);
        if (width <= 0) continue;
        RECT cell{x, bounds.top, x + width, bounds.bottom};
        x += width;
        FillRect(dc, &cell, selected ? selectedBackground_.Get() : background_.Get());
        DrawCellText(dc, model_.Cell(row, c), cell, c == 0);
        // Grid lines on the right and bottom edge of every cell.
        MoveToEx(dc, cell.right - 1, cell.top, nullptr);
        LineTo(dc, cell.right - 1, cell.bottom - 1);
        LineTo(dc, cell.left - 1, cell.bottom - 1);
    }
    SelectObject(dc, oldPen);
    SelectObject(dc, oldFont);
    return CDRF_SKIPDEFAULT;
}

LRESULT GridView::DrawHeader(const NMCUSTOMDRAW& draw) {
    HDC dc = draw.hdc;
    switch (draw.dwDrawStage) {
        case CDDS_PREPAINT:
            return CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
        case CDDS_ITEMPREPAINT: {
            RECT cell = draw.rc;
            if (cell.right <= cell.left) return CDRF_SKIPDEFAULT;
            int column = static_cast<int>(draw.dwItemSpec);
            FillRect(dc, &cell, headerBackground_.Get());
            HGDIOBJ oldFont = SelectObject(dc, font_);
            HGDIOBJ oldPen = SelectObject(dc, headerPen_.Get());
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, kText);
            if (column >= 0 && column < kGridColumns) {
                DrawCellText(dc, kGridHeaders[static_cast<std::size_t>(column)], cell, column == 0);
            }
            MoveToEx(dc, cell.right - 1, cell.top, nullptr);
            LineTo(dc, cell.right - 1, cell.bottom - 1);
            LineTo(dc, cell.left - 1, cell.bottom - 1);
            SelectObject(dc, oldPen);
            SelectObject(dc, oldFont);
            return CDRF_SKIPDEFAULT;
        }
        case CDDS_POSTPAINT: {
            // The header's own background to the right of the last column.
            RECT client;
            GetClientRect(header_, &client);
            int count = Header_GetItemCount(header_);
            RECT last{};
            if (count > 0) Header_GetItemRect(header_, count - 1, &last);
            RECT rest{last.right, client.top, client.right, client.bottom};
            if (rest.right > rest.left) {
                FillRect(dc, &rest, headerBackground_.Get());
                HGDIOBJ oldPen = SelectObject(dc, headerPen_.Get());
                MoveToEx(dc, rest.left, rest.bottom - 1, nullptr);
                LineTo(dc, rest.right, rest.bottom - 1);
                SelectObject(dc, oldPen);
            }
            return CDRF_DODEFAULT;
        }
        default:
            return CDRF_DODEFAULT;
    }
}

bool GridView::OnHeaderNotify(const NMHDR& header, LRESULT& result) {
    switch (header.code) {
        case NM_CUSTOMDRAW:
            result = DrawHeader(reinterpret_cast<const NMCUSTOMDRAW&>(header));
            return true;
        case HDN_BEGINTRACKW:
        case HDN_BEGINTRACKA:
        case HDN_DIVIDERDBLCLICKW:
        case HDN_DIVIDERDBLCLICKA: {
            // Hidden columns (password, search key) stay hidden: their dividers cannot be dragged
            // or double-clicked open.
            int column = reinterpret_cast<const NMHEADERW&>(header).iItem;
            if (column >= 0 && ListView_GetColumnWidth(list_, column) == 0) {
                result = TRUE;
                return true;
            }
            return false;
        }
        default:
            return false;
    }
}

LRESULT CALLBACK GridView::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self) {
    return reinterpret_cast<GridView*>(self)->HandleSubclassed(hwnd, msg, wParam, lParam);
}

LRESULT GridView::HandleSubclassed(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_NOTIFY: {
            const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
            LRESULT result = 0;
            if (header.hwndFrom == header_ && OnHeaderNotify(header, result)) return result;
            break;
        }
        case WM_GETDLGCODE: {
            // The dialog-style message loop would take Enter away from the grid; Enter opens a row.
            LRESULT code = DefSubclassProc(hwnd, msg, wParam, lParam);
            auto* key = reinterpret_cast<const MSG*>(lParam);
            if (key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN) code |= DLGC_WANTALLKEYS;
            return code;
        }
        case WM_KEYDOWN:
            if (wParam == VK_DELETE) {
                SyncCurrentRow();
                if (handlers_.deleteKey) handlers_.deleteKey();
                return 0;
            }
            if (wParam == VK_RETURN) {
                OpenItem(ListView_GetNextItem(list_, -1, LVNI_SELECTED));
                return 0;
            }
            break;
        case WM_CHAR:
            if (wParam == L'\r') return 0;  // the Enter key was taken by WM_KEYDOWN
            break;
        case WM_LBUTTONDBLCLK: {
            // Let the ListView select the row under the mouse first.
            LRESULT result = DefSubclassProc(hwnd, msg, wParam, lParam);
            LVHITTESTINFO hit{};
            hit.pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            int item = ListView_HitTest(list_, &hit);
            if (item >= 0 && (hit.flags & LVHT_ONITEM)) OpenItem(item);
            return result;
        }
        default:
            break;
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace tf
