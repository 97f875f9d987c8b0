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

void VaultSession::Load() {
    std::vector<LoginRecord> records;
    std::string failure;
    if (!vault_.ReadDataFile(records, failure)) {
        try {
            grid_.FillGrid(records);
        } catch (const std::bad_alloc&) {
            // A failed load like any other: an empty list, and the file kept aside at the next save.
            grid_.SetupGrid();
            failure = vault_.LoadFailedOutOfMemory();
        }
    }
    // No vault file is a first start: nothing to say.
    if (!failure.empty()) MessageBoxW(window_, Widen(failure).c_str(), kProgramTitle, MB_OK);
}

bool VaultSession::Save() {
    std::string failure;
    const bool failed = vault_.WriteDataFile(grid_.RecordsForSave(), failure);
    const std::string kept = vault_.TakeKeptNotice();
    if (!kept.empty()) MessageBoxW(window_, Widen(kept).c_str(), kProgramTitle, MB_OK | MB_ICONINFORMATION);
    if (failed && !failure.empty()) MessageBoxW(window_, Widen(failure).c_str(), kProgramTitle, MB_OK);
    return !failed;
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
