// The vault subsystem: where the records and the master password are kept (the vault file, the
// registry settings) and the windows that ask for and change the password.
//
// The vault file "Data.db" in the program folder: one line per record, ten quoted encoded fields,
// CR LF line ends. Saves go through "tmp.db", which then replaces "Data.db" in one step.
//
// A protected vault (protected_vault.h) holds those same bytes encrypted under a key derived from
// the master password. Use from the program: Probe() at start; for a protected file ask for the
// password and Unlock() (again while it says kWrongPassword), else ReadDataFile(). Saves then go
// through WriteDataFile() as before, protected with the key kept since the unlock, never derived
// again. Protect() (also to change the password, with a new salt), ChangePassword() and Unprotect()
// rewrite the vault in one step; a failure leaves the old file and the old key in force.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_system.h"
#include "base/system_random.h"
#include "vault/login_record.h"
#include "vault/protected_vault.h"

namespace tf {

inline constexpr char kDataFileName[] = "Data.db";
inline constexpr char kTmpFileName[] = "tmp.db";

// The file's bytes for these records (fields encoded, quoted, comma-separated, CR LF after each).
std::string FormatVault(const std::vector<LoginRecord>& records);

// Reads bytes with the runtime's comma-separated input rules: ten fields per record whatever the
// line ends, leading spaces skipped, a quoted field runs to the next quote. Fields are decoded.
// A record cut short by the end of the data is an error ("Input past end of file").
std::optional<std::vector<LoginRecord>> ParseVault(std::string_view bytes, FileError& error);

// What "Data.db" holds, as far as its first bytes tell.
enum class DataFileKind { kNone, kPlain, kProtected };

struct UnlockResult {
    OpenStatus status;
    // What to tell the user; for kWrongPassword the prompt's own "Password is incorrect" text.
    std::string message;
};

class VaultFile {
public:
    // `random` gives the salts and nonces of protected saves.
    VaultFile(FileSystem& fs, std::string folder, RandomBytes random = SystemRandomBytes);

    // True when nothing was read: no vault file (message left empty), or a failure, with the
    // message to show the user (running out of memory is one). The records are replaced only on
    // success.
    bool ReadDataFile(std::vector<LoginRecord>& records, std::string& failureMessage);
    // The caller could not take in what was read (it ran out of memory): the load failed after
    // all, the file is kept aside before the next save, and this is the message to show.
    std::string LoadFailedOutOfMemory();

    // True on a failure, with the message to show. No records: both files are deleted, and a
    // "Data.db" that stays (held by another program) is a failure. An unreadable vault found by
    // the last load is first moved to a free name (KeptBadFile), never over an earlier one.
    bool WriteDataFile(const std::vector<LoginRecord>& records, std::string& failureMessage);
    // Once after the save that kept an unreadable vault aside: what to tell the user; else empty.
    std::string TakeKeptNotice();

    // Looks at "Data.db" before it is loaded. A protected one locks the vault until Unlock opens it:
    // no save may replace a vault whose password was not given (a prompt cancelled at start).
    DataFileKind Probe();
    // Loads a protected "Data.db" with the password and keeps its key. Wrong password: nothing
    // changes, ask again. Damaged, of a later version or unsupported: the records start empty and the
    // file is kept aside at the first save, which needs a key again (Protect) or Unprotect. A
    // "Data.db" found plain after all loads as ReadDataFile would.
    UnlockResult Unlock(std::string_view password, std::vector<LoginRecord>& records);
    // Writes the records protected under a key derived from `password` with a new salt, and keeps
    // that key. Also how a protected vault gets a new password. True on a failure, with the message.
    bool Protect(const std::vector<LoginRecord>& records, std::string_view password, const KdfParams& params,
                 std::string& failureMessage);
    // Protect, once `oldPassword` is shown to derive the key in use ("Old password is incorrect!").
    bool ChangePassword(const std::vector<LoginRecord>& records, std::string_view oldPassword,
                        std::string_view newPassword, const KdfParams& params, std::string& failureMessage);
    // Writes the records plain again and drops the key. True on a failure, with the message.
    bool Unprotect(const std::vector<LoginRecord>& records, std::string& failureMessage);

    // "Data.db" is protected (found so, or made so): saves need the key.
    bool IsProtected() const { return protected_; }
    // A protected "Data.db" that was not opened: every save and rewrite is refused.
    bool IsLocked() const { return locked_; }
    bool HasKey() const { return key_.has_value(); }

    const std::string& DataPath() const { return dataPath_; }
    const std::string& TmpPath() const { return tmpPath_; }
    // Where the unreadable vault was moved before the first save over it; empty if none.
    const std::string& KeptBadFile() const { return keptBadFile_; }

private:
    bool KeepUnreadableVault(std::string& failureMessage);
    // Data.db's bytes; running out of memory reading it is a failure like any other.
    std::optional<std::string> ReadWhole(FileError& error);
    // Keeps an unreadable vault aside, then writes the records, protected when `key` is given.
    bool Write(const std::vector<LoginRecord>& records, const VaultKey* key, std::string& failureMessage);
    // The records in plain bytes (the vault's own or a protected one's inside); false with a message.
    bool LoadPlain(std::string_view bytes, std::vector<LoginRecord>& records, std::string& failureMessage);
    // A protected file that did not open: kept aside at the next save.
    void MarkUnreadable();

    FileSystem& fs_;
    std::string folder_;
    std::string dataPath_;
    std::string tmpPath_;
    RandomBytes random_;
    bool unreadable_ = false;
    std::string keptBadFile_;
    bool keptUntold_ = false;
    bool protected_ = false;
    bool locked_ = false;
    std::optional<VaultKey> key_;
};

}  // namespace tf
