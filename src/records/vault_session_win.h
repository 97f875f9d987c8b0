// The records' life on disk: read from the vault file at start, written back after every change, at
// Exit and at the end of the Windows session. The user is told when a read or a write fails.
#pragma once

#include "base/window_part_win.h"
#include "records/record_grid.h"
#include "vault/vault_file.h"
#include "vault/vault_lock.h"

#include <optional>

namespace tf {

class VaultSession : public WindowPart, public VaultLock {
public:
    // The grid must outlive the session.
    explicit VaultSession(RecordGrid& grid);

    // The window that owns the messages and answers the end of the Windows session.
    void SetWindow(HWND window) { window_ = window; }
    // Fills the grid from the vault file (unless the unlock at start did); a file that could not be
    // read is reported and kept.
    void Load();

    // The protection with the master password; the grid's records are what a rewrite writes.
    bool Protected() override;
    Unlocked Unlock(const std::string& password, std::string& failure) override;
    std::string Protect(const std::string& password) override;
    std::string Unprotect() override;
    std::string ChangePassword(const std::string& oldPassword, const std::string& newPassword) override;
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
    bool probed_ = false;
    // Loaded by the unlock at start; a protected vault that did not open, with the reason.
    bool loaded_ = false;
    std::string unlockFailure_;
    // The key parameters for this machine, measured once when first needed.
    std::optional<KdfParams> params_;
    const KdfParams& Params();
    void Fill(std::vector<LoginRecord>& records, std::string& failure);
};

}  // namespace tf
