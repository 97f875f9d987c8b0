// The record grid's ListView inside this test program.
#include <gtest/gtest.h>

#include "base/windows_api_win.h"

#include <commctrl.h>

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

}  // namespace
}  // namespace tf
