#include "records/record_grid.h"

#include <algorithm>
#include <cmath>

namespace tf {

std::string DeleteKeyQuestion(const std::string& siteName) {
    return "Delete the record \"" + siteName + "\"? This cannot be undone.";
}

const std::array<const char*, kGridColumns> kGridHeaders = {
    "#",       "Site Name",         "Login URL",        "   Login account", "Login password",
    "MAILBOX", "Password problems", "Password answers", "Remark",           "Coding"};

namespace {

constexpr int kNumberColumnWidth = 300;
constexpr int kGridMarginTwips = 80;

// Widths are computed in floating point and rounded to the nearest twip, ties to even, as the
// runtime's conversion to a whole number did.
int Share(int w, int parts) { return static_cast<int>(std::nearbyint(w / 18.0 * parts)); }

// A LineNum that names a row: plain decimal digits, nothing else.
bool ParseRowNumber(const std::string& text, int& value) {
    if (text.empty() || text.size() > 9) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

}  // namespace

std::array<int, kGridColumns> GridColumnWidths(int gridWidthTwips) {
    // Too narrow a grid leaves the shared columns at 0 rather than negative.
    const int w = std::max(0, gridWidthTwips - kNumberColumnWidth - kGridMarginTwips);
    std::array<int, kGridColumns> widths{};
    widths[0] = kNumberColumnWidth;
    widths[1] = widths[2] = Share(w, 3);
    for (int c = 3; c <= 8; ++c) widths[static_cast<std::size_t>(c)] = Share(w, 2);
    widths[9] = 0;
    return widths;
}

RecordGrid::RecordGrid() { SetupGrid(); }

void RecordGrid::SetupGrid() {
    rows_.assign(kFirstRecordRow, Row{});
    for (int c = 0; c < kGridColumns; ++c) rows_[0].cells[static_cast<std::size_t>(c)] = kGridHeaders[c];
    current_ = 1;
}

void RecordGrid::FillGrid(const std::vector<LoginRecord>& records) {
    rows_.resize(kFirstRecordRow);
    rows_.reserve(kFirstRecordRow + records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        Row& row = rows_.emplace_back();
        row.id = nextId_++;
        row.cells[0] = std::to_string(i + 1);
        for (int c = 1; c < kGridColumns; ++c) row.cells[static_cast<std::size_t>(c)] = records[i][c];
    }
    current_ = 1;
}

RecordGrid::RowId RecordGrid::IdOfRow(int row) const {
    return row >= kFirstRecordRow && row < Rows() ? rows_[static_cast<std::size_t>(row)].id : 0;
}

int RecordGrid::RowOfId(RowId id) const {
    if (id == 0) return -1;
    for (int r = kFirstRecordRow; r < Rows(); ++r) {
        if (rows_[static_cast<std::size_t>(r)].id == id) return r;
    }
    return -1;
}

const std::string& RecordGrid::Cell(int row, int col) const {
    static const std::string kEmpty;
    if (row < 0 || row >= Rows() || col < 0 || col >= kGridColumns) return kEmpty;
    return rows_[static_cast<std::size_t>(row)].cells[static_cast<std::size_t>(col)];
}

void RecordGrid::AddGridRow(const LoginRecord& record) {
    Row& row = rows_.emplace_back();
    row.id = nextId_++;
    const int r = Rows() - 1;
    row.cells[0] = std::to_string(r - 1);
    for (int c = 1; c < kGridColumns; ++c) row.cells[static_cast<std::size_t>(c)] = record[c];
    dataChanged_ = true;
    current_ = r;
}

bool RecordGrid::UpdateGridRow(const LoginRecord& record) {
    int number = 0;
    if (!ParseRowNumber(record[kLineNum], number)) return false;
    const int r = number + 1;
    if (r < kFirstRecordRow || r >= Rows()) return false;
    Row& row = rows_[static_cast<std::size_t>(r)];
    for (int c = 1; c < kGridColumns; ++c) row.cells[static_cast<std::size_t>(c)] = record[c];
    dataChanged_ = true;
    return true;
}

bool RecordGrid::DeleteGridRow() {
    if (!HasCurrentRecord()) return false;
    const int removed = current_;
    rows_.erase(rows_.begin() + removed);
    Renumber();
    dataChanged_ = true;
    if (removed < Rows()) {
        current_ = removed;
    } else {
        current_ = Rows() > kFirstRecordRow ? Rows() - 1 : 1;
    }
    return true;
}

void RecordGrid::Renumber() {
    for (int r = kFirstRecordRow; r < Rows(); ++r) rows_[static_cast<std::size_t>(r)].cells[0] = std::to_string(r - 1);
}

void RecordGrid::SetCurrentRow(int row) {
    if (row >= 0 && row < Rows()) current_ = row;
}

LoginRecord RecordGrid::RowRecord(int row) const {
    LoginRecord record;
    if (row < kFirstRecordRow || row >= Rows()) return record;
    record.fields = rows_[static_cast<std::size_t>(row)].cells;
    return record;
}

bool RecordGrid::RowHidden(int row) const {
    return row >= 0 && row < Rows() && rows_[static_cast<std::size_t>(row)].hidden;
}

void RecordGrid::SetRowHidden(int row, bool hidden) {
    if (row >= kFirstRecordRow && row < Rows()) rows_[static_cast<std::size_t>(row)].hidden = hidden;
}

std::vector<LoginRecord> RecordGrid::RecordsForSave() const {
    std::vector<LoginRecord> records;
    records.reserve(static_cast<std::size_t>(RecordCount()));
    for (int r = kFirstRecordRow; r < Rows(); ++r) {
        LoginRecord& record = records.emplace_back();
        record.fields = rows_[static_cast<std::size_t>(r)].cells;
        record[kLineNum] = std::to_string(r);
    }
    return records;
}

EditApplied ApplyEditedRecord(RecordGrid& grid, std::uint64_t editedRow, const LoginRecord& record, bool editMode,
                              const std::function<bool()>& askReAdd) {
    if (!editMode) {
        grid.AddGridRow(record);
        return EditApplied::kAdded;
    }
    const int row = grid.RowOfId(editedRow);
    if (row < 0) {
        if (!askReAdd()) return EditApplied::kDropped;
        grid.AddGridRow(record);
        return EditApplied::kReAdded;
    }
    LoginRecord placed = record;
    placed[kLineNum] = grid.Cell(row, 0);
    grid.UpdateGridRow(placed);
    return EditApplied::kUpdated;
}

}  // namespace tf
