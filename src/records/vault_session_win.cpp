#include "records/vault_session_win.h"

#include <new>
#include <string>
#include <vector>

#include "base/file_system.h"
#include "base/program_look_win.h"
#include "base/text.h"
#include "records/exit_flow.h"

namespace tf {
namespace {

constexpr wchar_t kUnsavedExitQuestion[] =
    L"The records could not be saved. Exit anyway? The changes since the last save will be lost.";

}  // namespace

VaultSession::VaultSession(RecordGrid& grid) : grid_(grid), vault_(NativeFileSystem(), ProgramFolder()) {}

void VaultSession::Fill(std::vector<LoginRecord>& records, std::string& failure) {
    try {
        grid_.FillGrid(records);
    } catch (const std::bad_alloc&) {
        // A failed load like any other: an empty list, and the file kept aside at the next save.
        grid_.SetupGrid();
        failure = vault_.LoadFailedOutOfMemory();
    }
}

void VaultSession::Load() {
    if (loaded_) return;
    std::vector<LoginRecord> records;
    std::string failure = unlockFailure_;
    if (!failure.empty()) {
        grid_.SetupGrid();
    } else if (!vault_.ReadDataFile(records, failure)) {
        Fill(records, failure);
    }
    loaded_ = true;
    // No vault file is a first start: nothing to say.
    if (!failure.empty()) MessageBoxW(window_, Widen(failure).c_str(), kProgramTitle, MB_OK);
}

bool VaultSession::Save() {
    std::string failure;
    // A protected vault that did not open at start (damaged, or of a later version) has no key:
    // it is kept aside at this save, and the records are saved plain from then on, as after any
    // unreadable vault.
    const bool failed = vault_.IsProtected() && !vault_.HasKey() && !vault_.IsLocked()
                            ? vault_.Unprotect(grid_.RecordsForSave(), failure)
                            : vault_.WriteDataFile(grid_.RecordsForSave(), failure);
    const std::string kept = vault_.TakeKeptNotice();
    if (!kept.empty()) MessageBoxW(window_, Widen(kept).c_str(), kProgramTitle, MB_OK | MB_ICONINFORMATION);
    if (failed && !failure.empty()) MessageBoxW(window_, Widen(failure).c_str(), kProgramTitle, MB_OK);
    return !failed;
}

bool VaultSession::Protected() {
    if (!probed_) {
        probed_ = true;
        vault_.Probe();
    }
    return vault_.IsProtected();
}

VaultLock::Unlocked VaultSession::Unlock(const std::string& password, std::string& failure) {
    std::vector<LoginRecord> records;
    UnlockResult result = vault_.Unlock(password, records);
    switch (result.status) {
        case OpenStatus::kOpened:
            Fill(records, failure);
            if (!failure.empty()) MessageBoxW(window_, Widen(failure).c_str(), kProgramTitle, MB_OK);
            failure.clear();
            loaded_ = true;
            return Unlocked::kOpened;
        case OpenStatus::kWrongPassword:
            return Unlocked::kWrongPassword;
        default:
            // Shown by the load that follows, which starts with no records and keeps the file aside.
            failure = unlockFailure_ = result.message;
            return Unlocked::kFailed;
    }
}

const KdfParams& VaultSession::Params() {
    if (!params_) params_ = CalibrateKdf();
    return *params_;
}

std::string VaultSession::Protect(const std::string& password) {
    std::string failure;
    if (vault_.Protect(grid_.RecordsForSave(), password, Params(), failure) && failure.empty())
        failure = "The vault file could not be written.";
    return failure;
}

std::string VaultSession::Unprotect() {
    std::string failure;
    if (vault_.Unprotect(grid_.RecordsForSave(), failure) && failure.empty())
        failure = "The vault file could not be written.";
    return failure;
}

std::string VaultSession::ChangePassword(const std::string& oldPassword, const std::string& newPassword) {
    std::string failure;
    if (vault_.ChangePassword(grid_.RecordsForSave(), oldPassword, newPassword, Params(), failure) && failure.empty())
        failure = "The vault file could not be written.";
    return failure;
}

bool VaultSession::AskEndWithoutSaving() {
    return MessageBoxW(window_, kUnsavedExitQuestion, kProgramTitle, MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) ==
           IDYES;
}

bool VaultSession::OnMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) {
    if (msg != WM_QUERYENDSESSION) return false;
    result = SessionMayEnd(grid_.DataChanged(), [this] { return Save(); }) ? TRUE : FALSE;
    return true;
}

}  // namespace tf
