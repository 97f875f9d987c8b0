#include "records/record_grid.h"

#include <gtest/gtest.h>

namespace tf {
namespace {

LoginRecord Record(const std::string& site, const std::string& lineNum = "") {
    LoginRecord r;
    r[kLineNum] = lineNum;
    r[kSiteName] = site;
    r[kPassword] = "pw-" + site;
    r[kCoding] = site + "-key";
    return r;
}

RecordGrid GridOf(const std::vector<const char*>& sites) {
    RecordGrid grid;
    std::vector<LoginRecord> records;
    for (const char* site : sites) records.push_back(Record(site, "ignored"));
    grid.FillGrid(records);
    return grid;
}

// The "#" and site name of every record row, e.g. "1a 2b".
std::string Rows(const RecordGrid& grid) {
    std::string out;
    for (int r = kFirstRecordRow; r < grid.Rows(); ++r) {
        out += (out.empty() ? "" : " ") + grid.Cell(r, 0) + grid.Cell(r, kSiteName);
    }
    return out;
}

TEST(GridColumnWidths, SharesTheWidthInEighteenths) {
    const std::pair<int, std::array<int, kGridColumns>> cases[] = {
        {11180, {300, 1800, 1800, 1200, 1200, 1200, 1200, 1200, 1200, 0}},  // w = 10800
        {10000, {300, 1603, 1603, 1069, 1069, 1069, 1069, 1069, 1069, 0}},  // w = 9620: 1603.3, 1068.9
        {100, {300, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const auto& [width, widths] : cases) EXPECT_EQ(GridColumnWidths(width), widths) << width;
}

TEST(RecordGrid, FillAndAddNumberRowsFromOne) {
    RecordGrid grid = GridOf({"a", "b"});
    EXPECT_EQ(grid.Cell(0, 3), "   Login account");
    EXPECT_EQ(grid.Cell(1, 0), "");  // the blank spare row
    EXPECT_EQ(Rows(grid), "1a 2b");
    EXPECT_EQ(grid.CurrentRow(), 1);
    EXPECT_FALSE(grid.DataChanged());
    grid.AddGridRow(Record("c", "77"));
    EXPECT_EQ(Rows(grid), "1a 2b 3c");
    EXPECT_EQ(grid.CurrentRow(), 4);
    EXPECT_TRUE(grid.DataChanged());
    EXPECT_EQ(grid.RowRecord(4), Record("c", "3"));  // LineNum is the "#" text
}

TEST(RecordGrid, DeleteRenumbersAndMovesCurrentRow) {
    struct Case {
        std::vector<const char*> sites;
        int current;
        const char* rows;
        int currentAfter;
    };
    const Case cases[] = {
        {{"a", "b", "c", "d"}, 3, "1a 2c 3d", 3},  // the next record takes the place
        {{"a", "b", "c", "d"}, 2, "1b 2c 3d", 2},
        {{"a", "b", "c", "d"}, 5, "1a 2b 3c", 4},  // the last: the new last
        {{"a"}, 2, "", 1},                         // the only one: the spare row
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.current);
        RecordGrid grid = GridOf(c.sites);
        grid.SetCurrentRow(c.current);
        EXPECT_TRUE(grid.DeleteGridRow());
        EXPECT_EQ(Rows(grid), c.rows);
        EXPECT_EQ(grid.CurrentRow(), c.currentAfter);
    }
}

TEST(RecordGrid, DeleteWithNoRecordCurrentChangesNothing) {
    for (int current : {0, 1}) {
        RecordGrid grid = GridOf({"a", "b"});
        grid.SetCurrentRow(current);
        EXPECT_FALSE(grid.DeleteGridRow());
        EXPECT_EQ(Rows(grid), "1a 2b");
        EXPECT_FALSE(grid.DataChanged());
    }
}

TEST(RecordGrid, UpdateAfterDeleteChangesExactlyTheRenumberedRow) {
    RecordGrid grid = GridOf({"a", "b", "c", "d"});
    grid.SetCurrentRow(3);  // "#" 2
    ASSERT_TRUE(grid.DeleteGridRow());
    EXPECT_FALSE(grid.UpdateGridRow(Record("z", "4")));  // the last row's number before the delete
    LoginRecord edited = grid.RowRecord(3);
    ASSERT_EQ(edited[kLineNum], "2");
    edited[kSiteName] = "C";
    edited[kPassword] = "new";
    EXPECT_TRUE(grid.UpdateGridRow(edited));
    EXPECT_EQ(Rows(grid), "1a 2C 3d");
    EXPECT_EQ(grid.Cell(2, kPassword), "pw-a");
    EXPECT_EQ(grid.Cell(3, kPassword), "new");
    EXPECT_EQ(grid.Cell(4, kPassword), "pw-d");
}

TEST(RecordGrid, RowIdsFollowTheirRowThroughDeletesAndEndWithIt) {
    RecordGrid grid = GridOf({"a", "b", "c"});
    const RecordGrid::RowId b = grid.IdOfRow(3), c = grid.IdOfRow(4);
    grid.AddGridRow(Record("d"));
    const RecordGrid::RowId d = grid.IdOfRow(5);
    EXPECT_NE(d, 0u);
    EXPECT_NE(d, c);
    grid.SetCurrentRow(2);  // "a"
    ASSERT_TRUE(grid.DeleteGridRow());
    EXPECT_EQ(grid.RowOfId(b), 2);
    EXPECT_EQ(grid.RowOfId(d), 4);
    grid.SetCurrentRow(2);
    ASSERT_TRUE(grid.DeleteGridRow());
    EXPECT_EQ(grid.RowOfId(b), -1);
    EXPECT_EQ(grid.IdOfRow(1), 0u);  // the spare row is no record
    EXPECT_EQ(grid.RowOfId(0), -1);
}

// The editor stays open while rows are deleted: its edit lands on its own row, renumbered or gone.
TEST(RecordGrid, AnEditGoesToItsOwnRowWhereverItIsNow) {
    struct Case {
        const char* name;
        bool editMode;
        int deleteRowFirst;  // 0: none
        bool reAdd;
        EditApplied applied;
        const char* rows;
    };
    const Case cases[] = {
        {"new record", false, 0, false, EditApplied::kAdded, "1a 2b 3c 4z"},
        {"edited in place", true, 0, false, EditApplied::kUpdated, "1a 2z 3c"},
        {"row above deleted", true, 2, false, EditApplied::kUpdated, "1z 2c"},
        {"own row deleted, added again", true, 3, true, EditApplied::kReAdded, "1a 2c 3z"},
        {"own row deleted, dropped", true, 3, false, EditApplied::kDropped, "1a 2c"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordGrid grid = GridOf({"a", "b", "c"});
        const RecordGrid::RowId opened = grid.IdOfRow(3);  // "b"
        if (c.deleteRowFirst) {
            grid.SetCurrentRow(c.deleteRowFirst);
            ASSERT_TRUE(grid.DeleteGridRow());
        }
        int asked = 0;
        // A stale "#" from the editor must not choose the row.
        const EditApplied applied =
            ApplyEditedRecord(grid, opened, Record("z", "1"), c.editMode, [&] { return ++asked, c.reAdd; });
        EXPECT_EQ(applied, c.applied);
        EXPECT_EQ(Rows(grid), c.rows);
        EXPECT_EQ(asked, c.deleteRowFirst == 3 ? 1 : 0);
    }
}

TEST(RecordGrid, UpdateRefusesLineNumThatNamesNoRecordRow) {
    for (const char* lineNum : {"", "0", "-1", "4", "99999999999", "1a", " 1", "+1", "1.0"}) {
        SCOPED_TRACE(lineNum);
        RecordGrid grid = GridOf({"a", "b", "c"});
        EXPECT_FALSE(grid.UpdateGridRow(Record("z", lineNum)));
        EXPECT_EQ(Rows(grid), "1a 2b 3c");
        EXPECT_FALSE(grid.DataChanged());
    }
}

TEST(RecordGrid, SavesEveryRowNumberedByRowIndex) {
    RecordGrid grid = GridOf({"a", "b", "c"});
    grid.SetRowHidden(3, true);
    EXPECT_EQ(grid.RecordsForSave(), (std::vector<LoginRecord>{Record("a", "2"), Record("b", "3"), Record("c", "4")}));
    EXPECT_TRUE(RecordGrid().RecordsForSave().empty());
}

}  // namespace
}  // namespace tf
