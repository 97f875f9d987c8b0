// The record grid's ListView inside this test program.
#include <gtest/gtest.h>

#include "base/windows_api_win.h"

#include <commctrl.h>

#include "base/controls_win.h"
#include "records/grid_view_win.h"
#include "records/record_grid.h"

namespace tf {
namespace {

TEST(GridView, RowHeightImagesOutliveTheListAndAreFreedOnceByTheView) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    HIMAGELIST images = nullptr;
    {
        RecordGrid grid;
        GridView view(grid);
        ASSERT_NE(view.Create(parent, 1, RECT{0, 0, 400, 300}, nullptr, 96, {}), nullptr);
        images = ListView_GetImageList(view.Handle(), LVSIL_SMALL);
        ASSERT_NE(images, nullptr);
        // The program's exit: the window and its list go first, then the view.
        DestroyWindow(parent);
        int cx = 0, cy = 0;
        EXPECT_TRUE(ImageList_GetIconSize(images, &cx, &cy)) << "the list freed the view's images";
    }
    // Freed by the view; a freed image list is no longer valid (Wine clears it as it frees it).
    EXPECT_FALSE(ImageList_Destroy(images));
}

// Moved to a monitor of another scaling, the grid is as one made there (row height, column widths),
// keeps its rows, selection and scroll position, and a column the user widened keeps its inches.
TEST(GridView, RelaidAtAnotherScalingIsAsIfMadeThere) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    RecordGrid grid;
    grid.SetupGrid();
    grid.FillGrid(std::vector<LoginRecord>(60));
    const UniqueFont font96(CreateUiFont(9, 96));
    const UniqueFont font192(CreateUiFont(9, 192));
    const auto open = [&](GridView& view, const RECT& bounds, HFONT font, Dpi dpi) {
        ASSERT_NE(view.Create(parent, 1, bounds, font, dpi, {}), nullptr);
        view.SetupGrid();
        view.HidePasswordColumn();
        view.Refresh();
    };
    const RECT at192{0, 0, 780, 560};
    grid.SetCurrentRow(kFirstRecordRow + 40);
    GridView moved(grid);
    open(moved, RECT{0, 0, 390, 280}, font96.Get(), 96);
    const HWND list = moved.Handle();
    ListView_SetColumnWidth(list, 3, 150);  // dragged wider by the user
    const int top = ListView_GetTopIndex(list);
    ASSERT_GT(top, 0);
    moved.Relayout(at192, font192.Get(), 192);

    GridView made(grid);
    open(made, at192, font192.Get(), 192);
    const auto rowHeight = [](HWND of) {
        RECT row{};
        ListView_GetItemRect(of, 0, &row, LVIR_BOUNDS);
        return row.bottom - row.top;
    };
    EXPECT_EQ(rowHeight(list), rowHeight(made.Handle()));
    for (int c = 0; c < kGridColumns; ++c) {
        EXPECT_EQ(ListView_GetColumnWidth(list, c), c == 3 ? 300 : ListView_GetColumnWidth(made.Handle(), c))
            << "column " << c;
    }
    EXPECT_EQ(ListView_GetItemCount(list), 60);
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 40);
    EXPECT_EQ(ListView_GetTopIndex(list), top);
    DestroyWindow(parent);
}

}  // namespace
}  // namespace tf
