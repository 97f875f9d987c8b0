// The import's and the export's steps around the window: the imported list put into the grid (and
// taken back when it could not be saved), and the export file written whole or not at all.
#pragma once

#include <string>
#include <vector>

#include "base/file_system.h"
#include "records/record_grid.h"
#include "vault/login_record.h"

namespace tf {

// Makes the grid's records these, in this order, changing only the rows that differ: rows the list
// has beyond the grid's are added, grid rows beyond the list's are removed. Rows keep their
// identity (an editor open on one still finds it) and their place in the search.
void SetGridRecords(RecordGrid& grid, const std::vector<LoginRecord>& records);

inline constexpr char kExportWarning[] =
    "导出的文件不受保护：其中的密码是明文，任何能打开这个文件的人都能看到。用完后请删除它。\n\n继续导出吗？";
inline constexpr char kExportFailed[] = "无法写入导出文件：";
inline constexpr char kExportDone[] = "已导出 %zu 条记录。";

// Writes the export of the records to `path`: into a file of a new name beside it, flushed, then put
// in its place in one step, so that a failure leaves an existing file as it was and no half file.
// False with the message for the user on failure.
bool WriteExportFile(FileSystem& fs, const std::string& path, const std::vector<LoginRecord>& records,
                     std::string& message);

}  // namespace tf
