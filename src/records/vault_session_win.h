// The records' life on disk: read from the vault file at start, written back after every change, at
// Exit and at the end of the Windows session. The user is told when a read or a write fails.
#pragma once

#include "base/window_part_win.h"
#include "records/record_grid.h"
#include "vault/vault_file.h"

namespace tf {

class VaultSession : public WindowPart {
public:
    // The grid must outlive the session.
    explicit VaultSession(RecordGrid& grid);

    // The window that owns the messages and answers the end of the Windows session.
    void SetWindow(HWND window) { window_ = window; }
    // Fills the grid from the vault file; a file that could not be read is reported and kept.
    void Load();
    // Writes the grid to the vault file. False when the records could not be written (the user has
    // been told why).
    bool Save();
    bool DataChanged() const { return grid_.DataChanged(); }
    // Asked after a failed save at Exit: true to end anyway, the changes lost.
    bool AskEndWithoutSaving();

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    RecordGrid& grid_;
    // One for the whole run: it remembers an unreadable vault, which the first save keeps aside.
    VaultFile vault_;
    HWND window_ = nullptr;
};

}  // namespace tf
