#include "records/login_transfer.h"

#include <gtest/gtest.h>

#include "records/login_import.h"
#include "vault/fake_file_system.h"

namespace tf {
namespace {

LoginRecord Record(const std::string& site, const std::string& password) {
    LoginRecord r;
    r[kSiteName] = site;
    r[kLoginUrl] = "https://" + site + "/";
    r[kAccount] = "me";
    r[kPassword] = password;
    return r;
}

std::vector<LoginRecord> Plain(std::vector<LoginRecord> records) {
    for (LoginRecord& r : records) r[kLineNum].clear();
    return records;
}

TEST(LoginTransfer, GridTakesTheListChangingOnlyWhatDiffers) {
    RecordGrid grid;
    const std::vector<LoginRecord> before{Record("a", "1"), Record("b", "2"), Record("c", "3")};
    grid.FillGrid(before);
    const auto idB = grid.IdOfRow(kFirstRecordRow + 1);
    grid.SetRowHidden(kFirstRecordRow + 2, true);

    SetGridRecords(grid, before);
    EXPECT_FALSE(grid.DataChanged()) << "an unchanged list counts as a change";

    std::vector<LoginRecord> after = before;
    after[1][kPassword] = "new";
    after.push_back(Record("d", "4"));
    after.push_back(Record("e", "5"));
    SetGridRecords(grid, after);
    EXPECT_TRUE(grid.DataChanged());
    EXPECT_EQ(Plain(grid.RecordsForSave()), after);
    EXPECT_EQ(grid.RowOfId(idB), kFirstRecordRow + 1) << "the updated row lost its identity";
    EXPECT_TRUE(grid.RowHidden(kFirstRecordRow + 2));
    EXPECT_EQ(grid.Cell(grid.Rows() - 1, kLineNum), "5");

    // Taken back after a failed save.
    SetGridRecords(grid, before);
    EXPECT_EQ(Plain(grid.RecordsForSave()), before);
    EXPECT_EQ(grid.RowOfId(idB), kFirstRecordRow + 1);
}

TEST(LoginTransfer, ExportIsWrittenWholeOrLeavesTheOldFile) {
    const std::vector<LoginRecord> records{Record("a", "1"), Record("b", "2")};
    const std::string path = "out.csv";
    struct Case {
        int failAt;  // 0 FileExists, 1 WriteNew, 2 Replace
        bool userTemporary;
        bool written;
    };
    for (const Case& c : {Case{-1, false, true}, Case{-1, true, true}, Case{1, false, false}, Case{2, false, false}}) {
        SCOPED_TRACE(c.failAt);
        testing::FakeFileSystem fs;
        fs.files[path] = "old";
        if (c.userTemporary) fs.files[path + ".export.tmp"] = "the user's";
        fs.failAt = c.userTemporary ? -1 : c.failAt;
        std::string message;
        EXPECT_EQ(WriteExportFile(fs, path, records, message), c.written);
        EXPECT_EQ(fs.files[path], c.written ? ExportLoginsCsv(records) : "old");
        if (c.userTemporary) {
            EXPECT_EQ(fs.files[path + ".export.tmp"], "the user's");
        }
        EXPECT_EQ(fs.files.size(), c.userTemporary ? 2u : 1u) << "a temporary file was left";
        EXPECT_EQ(message.empty(), c.written);
        if (!c.written) {
            EXPECT_EQ(message.rfind(kExportFailed, 0), 0u);
        }
    }
}

}  // namespace
}  // namespace tf
