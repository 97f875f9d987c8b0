// The records subsystem: the running list of records, its search and its editor, the main window
// that shows them, and the session that loads and saves them.
//
// The record grid's model: what the main window's grid holds and how rows are added, changed,
// deleted and numbered. Row 0 is the header row, row 1 a blank spare row of height 0, records
// start at row 2; the "#" cell of a record row holds its row index - 1.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "vault/login_record.h"

namespace tf {

inline constexpr int kGridColumns = 10;
inline constexpr int kFirstRecordRow = 2;

inline constexpr char kSelectRecordToDelete[] = "Please select the record to be deleted!";
inline constexpr char kSelectRecordToEdit[] = "Please select the record to edit!";
inline constexpr char kEditedRecordDeleted[] =
    "The record you are editing has been deleted meanwhile. Add it again as a new record?";

// The grid's Delete key asks first (No is the default); the Delete button does not.
std::string DeleteKeyQuestion(const std::string& siteName);

// Header texts of row 0, column by column.
extern const std::array<const char*, kGridColumns> kGridHeaders;

struct GridColors {
    struct Rgb {
        int r, g, b;
    };
    static constexpr Rgb kBackground{255, 255, 255};
    static constexpr Rgb kFixedBackground{165, 207, 245};
    static constexpr Rgb kSelectedBackground{2, 87, 157};
};

inline constexpr int kMinRowHeightTwips = 280;
inline constexpr int kGridFontSize = 10;

// Column widths in twips for a grid of this width, as laid out at set-up; the password column
// gets its share here and is set to 0 at the end of start-up.
std::array<int, kGridColumns> GridColumnWidths(int gridWidthTwips);

class RecordGrid {
public:
    RecordGrid();

    // Header and spare row only.
    void SetupGrid();
    // Replaces all record rows by these records, numbered from 1; does not count as a change.
    void FillGrid(const std::vector<LoginRecord>& records);

    int Rows() const { return static_cast<int>(rows_.size()); }
    int RecordCount() const { return Rows() - kFirstRecordRow; }
    const std::string& Cell(int row, int col) const;

    // Appends a row for the record (its LineNum is ignored) and makes it current.
    void AddGridRow(const LoginRecord& record);
    // Overwrites columns 1-9 of the row the record's LineNum names ("#" text). False, and
    // nothing changed, when it names no record row.
    bool UpdateGridRow(const LoginRecord& record);
    // Removes the current row and renumbers. False when no record row is current.
    bool DeleteGridRow();

    // The current row; 1 (the spare row) when no record is selected.
    int CurrentRow() const { return current_; }
    void SetCurrentRow(int row);
    bool HasCurrentRecord() const { return current_ >= kFirstRecordRow && current_ < Rows(); }
    // The ten cells of a record row, column c into field c (LineNum gets the "#" text).
    LoginRecord RowRecord(int row) const;

    // A row's identity for as long as it exists, whatever deletes renumber meanwhile: an editor
    // left open while rows are deleted must change the record it was opened for, or none.
    using RowId = std::uint64_t;
    RowId IdOfRow(int row) const;
    // The row that has the id now, or -1 once it has been deleted.
    int RowOfId(RowId id) const;

    // Rows hidden by the search stay in the grid and are saved like all others.
    bool RowHidden(int row) const;
    void SetRowHidden(int row, bool hidden);

    // The records to save, in row order, each LineNum the decimal text of its row index.
    std::vector<LoginRecord> RecordsForSave() const;

    // Set by every add, change and delete; never reset while the program runs.
    bool DataChanged() const { return dataChanged_; }

private:
    struct Row {
        std::array<std::string, kGridColumns> cells;
        bool hidden = false;
        RowId id = 0;
    };
    void Renumber();

    std::vector<Row> rows_;
    int current_ = 1;
    bool dataChanged_ = false;
    RowId nextId_ = 1;
};

// What became of a record the editor gave back.
enum class EditApplied { kAdded, kUpdated, kReAdded, kDropped };
// The editor does not block the main window: rows may have been deleted meanwhile, which renumbers
// the rest. An edit goes to the row it was opened for (`editedRow`), wherever that is now; when that
// row is gone, `askReAdd` decides whether the record comes back as a new one. A new record is added.
EditApplied ApplyEditedRecord(RecordGrid& grid, std::uint64_t editedRow, const LoginRecord& record, bool editMode,
                              const std::function<bool()>& askReAdd);

}  // namespace tf
