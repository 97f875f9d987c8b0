// The vault subsystem: where the records and the master password are kept (the vault file, the
// registry settings) and the windows that ask for and change the password.
//
// The vault file "Data.db" in the program folder: one line per record, ten quoted encoded fields,
// CR LF line ends. Saves go through "tmp.db", which then replaces "Data.db" in one step.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_system.h"
#include "vault/login_record.h"

namespace tf {

inline constexpr char kDataFileName[] = "Data.db";
inline constexpr char kTmpFileName[] = "tmp.db";

// The file's bytes for these records (fields encoded, quoted, comma-separated, CR LF after each).
std::string FormatVault(const std::vector<LoginRecord>& records);

// Reads bytes with the runtime's comma-separated input rules: ten fields per record whatever the
// line ends, leading spaces skipped, a quoted field runs to the next quote. Fields are decoded.
// A record cut short by the end of the data is an error ("Input past end of file").
std::optional<std::vector<LoginRecord>> ParseVault(std::string_view bytes, FileError& error);

class VaultFile {
public:
    VaultFile(FileSystem& fs, std::string folder);

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

    const std::string& DataPath() const { return dataPath_; }
    const std::string& TmpPath() const { return tmpPath_; }
    // Where the unreadable vault was moved before the first save over it; empty if none.
    const std::string& KeptBadFile() const { return keptBadFile_; }

private:
    bool KeepUnreadableVault(std::string& failureMessage);

    FileSystem& fs_;
    std::string folder_;
    std::string dataPath_;
    std::string tmpPath_;
    bool unreadable_ = false;
    std::string keptBadFile_;
    bool keptUntold_ = false;
};

}  // namespace tf
