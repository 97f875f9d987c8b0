#include "records/login_transfer.h"

#include "base/wipe.h"
#include "records/login_import.h"

namespace tf {
namespace {

// Tried in turn until one is free: a file the user keeps under such a name is never overwritten.
constexpr int kTemporaryNameTries = 100;

}  // namespace

void SetGridRecords(RecordGrid& grid, const std::vector<LoginRecord>& records) {
    const int wanted = static_cast<int>(records.size());
    for (int i = 0; i < wanted && i < grid.RecordCount(); ++i) {
        const int row = kFirstRecordRow + i;
        LoginRecord record = records[static_cast<std::size_t>(i)];
        // UpdateGridRow finds the row by its "#" text.
        record[kLineNum] = grid.Cell(row, kLineNum);
        if (record != grid.RowRecord(row)) grid.UpdateGridRow(record);
    }
    for (int i = grid.RecordCount(); i < wanted; ++i) grid.AddGridRow(records[static_cast<std::size_t>(i)]);
    while (grid.RecordCount() > wanted) {
        grid.SetCurrentRow(grid.Rows() - 1);
        grid.DeleteGridRow();
    }
}

bool WriteExportFile(FileSystem& fs, const std::string& path, const std::vector<LoginRecord>& records,
                     std::string& message) {
    std::string temporary;
    for (int i = 0; i < kTemporaryNameTries && temporary.empty(); ++i) {
        std::string candidate = path + ".export" + (i ? std::to_string(i) : std::string()) + ".tmp";
        if (!fs.FileExists(candidate)) temporary = std::move(candidate);
    }
    FileError error;
    if (temporary.empty()) {
        error = MakeFileError(file_errors::kPathFileAccess);
    } else {
        std::string bytes = ExportLoginsCsv(records);
        const bool written = fs.WriteNew(temporary, bytes, error);
        // The passwords in it do not stay behind in freed memory.
        WipeString(bytes);
        if (written && fs.Replace(temporary, path, error)) return true;
        fs.DeleteFile(temporary);
    }
    message = kExportFailed + error.description;
    return false;
}

}  // namespace tf
