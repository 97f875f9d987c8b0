// The record grid on screen: a report-view ListView that shows a tf::RecordGrid. The model keeps
// every rule (numbering, current row, changes); this class draws it and turns the user's clicks
// and keys into calls.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/dpi.h"
#include "base/owned_win.h"
#include "base/windows_api_win.h"

#include <commctrl.h>

#include "records/record_grid.h"

namespace tf {

class GridView {
public:
    struct Handlers {
        std::function<void(int row)> open;  // double-click or Enter on a record row
        std::function<void()> deleteKey;    // the Delete key
    };

    explicit GridView(RecordGrid& model) : model_(model) {}
    ~GridView();
    GridView(const GridView&) = delete;
    GridView& operator=(const GridView&) = delete;

    // Creates the ListView as a child of `parent`; the font stays the caller's.
    HWND Create(HWND parent, int id, const RECT& bounds, HFONT font, Dpi dpi, Handlers handlers);
    HWND Handle() const { return list_; }
    // Moves the ListView to another scaling: bounds, font, row height and column widths as at
    // creation there; rows, selection and scroll position stay. A column the user dragged keeps its
    // width in inches.
    void Relayout(const RECT& bounds, HFONT font, Dpi dpi);

    // Header texts and the column widths of the model for the control's present width.
    void SetupGrid();
    void HidePasswordColumn();
    // Shows the model's rows again (after a fill, add, change or delete) and selects its
    // current row.
    void Refresh();
    // Makes the ListView's selection the model's current row (the spare row when none).
    void SyncCurrentRow();

    // Notifications the ListView sends its parent; true when handled, with the result.
    bool OnNotify(const NMHDR& header, LRESULT& result);

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self);
    LRESULT HandleSubclassed(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    bool OnHeaderNotify(const NMHDR& header, LRESULT& result);
    LRESULT DrawRow(const NMLVCUSTOMDRAW& draw);
    LRESULT DrawHeader(const NMCUSTOMDRAW& draw);
    void DrawCellText(HDC dc, const std::string& text, RECT cell, bool centred);
    void OpenItem(int item);
    // The image list whose blank images hold the rows at the minimum height at dpi_.
    void SetRowHeight();

    RecordGrid& model_;
    Handlers handlers_;
    HWND list_ = nullptr;
    HWND header_ = nullptr;
    HFONT font_ = nullptr;
    HIMAGELIST rowHeight_ = nullptr;  // empty images whose height sets the minimum row height
    UniqueBrush background_;
    UniqueBrush headerBackground_;
    UniqueBrush selectedBackground_;
    UniquePen gridPen_;
    UniquePen headerPen_;
    Dpi dpi_;
    // Each column's width as SetupGrid or the last relayout set it, in twips.
    std::vector<int> columnTwips_;
    std::vector<int> rows_;  // the model row each ListView item shows; rows hidden by the search left out
    std::wstring text_;      // text handed to the ListView by LVN_GETDISPINFO
};

}  // namespace tf
