#include "vault/vault_file.h"

#include <new>
#include <stdexcept>
#include <utility>

#include "base/wipe.h"
#include "vault/field_codec.h"
#include "vault/settings.h"

namespace tf {

namespace {

constexpr char kLoadFailure[] = "Failed to get data, code:";
constexpr char kSaveFailure[] = "Failed to save the data, code:";
// How many numbered names are tried for a kept unreadable vault before giving up.
constexpr int kMaxBadFileNumber = 9999;

std::string FailureMessage(const char* prefix, const FileError& error) {
    return prefix + std::to_string(error.code) + " Description:" + error.description;
}

// The runtime's "Invalid file format", with what is wrong with the protected vault.
FileError FormatError(const char* description) { return FileError{321, description}; }

std::string UnlockFailure(OpenStatus status) {
    switch (status) {
        case OpenStatus::kWrongPassword:
            return kPasswordIncorrect;
        case OpenStatus::kUnknownVersion:
            return FailureMessage(
                kLoadFailure, FormatError("The protected vault file was written by a later version of the program"));
        case OpenStatus::kUnsupportedParams:
            return FailureMessage(kLoadFailure,
                                  FormatError("The protected vault file asks for key settings this program refuses"));
        default:
            return FailureMessage(kLoadFailure, FormatError("The protected vault file is damaged"));
    }
}

// Refused saves: nothing was written, "Data.db" is as it was.
std::string SaveRefused(const char* description) {
    return FailureMessage(kSaveFailure, FileError{file_errors::kPermissionDenied, description});
}
constexpr char kLockedVault[] = "The protected vault file was not opened with its password";
constexpr char kNoKey[] = "The vault file is protected and needs a password set again";
constexpr char kNotProtected[] = "The vault file is not protected by a password";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

// Sequential comma-separated input as the runtime read it: fields end at a comma or a line end
// (CR LF, CR or LF, each one delimiter), so a record's ten fields may span lines.
class FieldReader {
public:
    explicit FieldReader(std::string_view bytes) : bytes_(bytes) {}

    bool AtEnd() const { return pos_ >= bytes_.size(); }

    // The next field's raw text; false when the data ends before a field starts.
    bool Next(std::string_view& field) {
        while (pos_ < bytes_.size() && IsBlank(bytes_[pos_])) ++pos_;
        if (pos_ >= bytes_.size()) return false;
        if (bytes_[pos_] == '"') {
            const std::size_t start = pos_ + 1;
            std::size_t end = bytes_.find('"', start);
            if (end == std::string_view::npos) end = bytes_.size();
            field = bytes_.substr(start, end - start);
            pos_ = end == bytes_.size() ? end : end + 1;
            // Anything between the closing quote and the delimiter is dropped.
            while (pos_ < bytes_.size() && bytes_[pos_] != ',' && !IsLineEnd(bytes_[pos_])) ++pos_;
        } else {
            const std::size_t start = pos_;
            while (pos_ < bytes_.size() && bytes_[pos_] != ',' && !IsLineEnd(bytes_[pos_])) ++pos_;
            std::size_t end = pos_;
            while (end > start && IsBlank(bytes_[end - 1])) --end;
            field = bytes_.substr(start, end - start);
        }
        SkipDelimiter();
        return true;
    }

private:
    void SkipDelimiter() {
        if (pos_ >= bytes_.size()) return;
        const char c = bytes_[pos_++];
        if (c == '\r' && pos_ < bytes_.size() && bytes_[pos_] == '\n') ++pos_;
    }

    std::string_view bytes_;
    std::size_t pos_ = 0;
};

}  // namespace

std::string FormatVault(const std::vector<LoginRecord>& records) {
    std::size_t textSize = 0;
    for (const LoginRecord& record : records) {
        for (const std::string& field : record.fields) textSize += field.size();
    }
    std::string out;
    // Most text is ASCII (4 bytes per character at most) or Chinese (3 UTF-8 bytes for 7), so
    // this is rarely grown; quotes, commas and line ends add 31 bytes a record.
    out.reserve(textSize * 4 + records.size() * 31);
    for (const LoginRecord& record : records) {
        for (int f = 0; f < kRecordFieldCount; ++f) {
            if (f != 0) out.push_back(',');
            out.push_back('"');
            AppendEncodedField(out, record[f]);
            out.push_back('"');
        }
        out.append("\r\n");
    }
    return out;
}

std::optional<std::vector<LoginRecord>> ParseVault(std::string_view bytes, FileError& error) {
    // Grown as records are read: nothing is reserved by counts taken from the file, which a
    // damaged or hostile file makes as large as it likes.
    std::vector<LoginRecord> records;
    FieldReader reader(bytes);
    while (!reader.AtEnd()) {
        LoginRecord& record = records.emplace_back();
        for (int f = 0; f < kRecordFieldCount; ++f) {
            std::string_view raw;
            if (!reader.Next(raw)) {
                error = MakeFileError(file_errors::kInputPastEnd);
                return std::nullopt;
            }
            // A damaged field loads empty; the rest of the record loads normally.
            record[f].reserve(raw.size() / 2);
            AppendDecodedField(record[f], raw);
        }
    }
    return records;
}

VaultFile::VaultFile(FileSystem& fs, std::string folder, RandomBytes random)
    : fs_(fs),
      folder_(std::move(folder)),
      dataPath_(JoinPath(folder_, kDataFileName)),
      tmpPath_(JoinPath(folder_, kTmpFileName)),
      random_(std::move(random)) {}

std::optional<std::string> VaultFile::ReadWhole(FileError& error) {
    try {
        return fs_.ReadAll(dataPath_, error);
    } catch (const std::bad_alloc&) {
        error = MakeFileError(file_errors::kOutOfMemory);
        return std::nullopt;
    }
}

bool VaultFile::ReadDataFile(std::vector<LoginRecord>& records, std::string& failureMessage) {
    failureMessage.clear();
    unreadable_ = false;
    if (!fs_.FileExists(dataPath_)) return true;
    FileError error;
    std::optional<std::string> bytes = ReadWhole(error);
    if (bytes && IsProtectedVault(*bytes)) {
        // Only Unlock may open it; until then nothing may replace it.
        protected_ = true;
        locked_ = !key_;
        failureMessage =
            FailureMessage(kLoadFailure, FormatError("The vault file is protected: it opens only with its password"));
        return true;
    }
    if (!bytes) {
        unreadable_ = true;
        failureMessage = FailureMessage(kLoadFailure, error);
        return true;
    }
    return LoadPlain(*bytes, records, failureMessage);
}

bool VaultFile::LoadPlain(std::string_view bytes, std::vector<LoginRecord>& records, std::string& failureMessage) {
    FileError error;
    std::optional<std::vector<LoginRecord>> loaded;
    try {
        loaded = ParseVault(bytes, error);
    } catch (const std::bad_alloc&) {
        error = MakeFileError(file_errors::kOutOfMemory);
    } catch (const std::length_error&) {
        error = MakeFileError(file_errors::kOutOfMemory);
    }
    if (!loaded) {
        // The next save would overwrite what could not be read: it keeps the file aside first.
        unreadable_ = true;
        failureMessage = FailureMessage(kLoadFailure, error);
        return true;
    }
    records = std::move(*loaded);
    return false;
}

std::string VaultFile::LoadFailedOutOfMemory() {
    unreadable_ = true;
    return FailureMessage(kLoadFailure, MakeFileError(file_errors::kOutOfMemory));
}

std::string VaultFile::TakeKeptNotice() {
    if (!keptUntold_) return {};
    keptUntold_ = false;
    return "The vault file that could not be read was kept as \"" + keptBadFile_ + "\".";
}

bool VaultFile::KeepUnreadableVault(std::string& failureMessage) {
    const std::string base = dataPath_ + ".bad";
    for (int n = 0; n <= kMaxBadFileNumber; ++n) {
        std::string candidate = n == 0 ? base : base + std::to_string(n);
        if (fs_.FileExists(candidate)) continue;
        // A move that never replaces: an earlier kept file is never overwritten, even one whose
        // existence check failed by mistake or that appeared since.
        FileError error;
        if (fs_.Rename(dataPath_, candidate, error)) {
            keptBadFile_ = std::move(candidate);
            keptUntold_ = true;
        } else if (fs_.FileExists(candidate)) {
            continue;
        } else if (error.code != file_errors::kFileNotFound) {
            failureMessage = FailureMessage(kSaveFailure, error);
            return false;
        }
        // Moved, or gone already: nothing is left to keep.
        unreadable_ = false;
        return true;
    }
    failureMessage = FailureMessage(kSaveFailure, MakeFileError(file_errors::kPathFileAccess));
    return false;
}

bool VaultFile::WriteDataFile(const std::vector<LoginRecord>& records, std::string& failureMessage) {
    failureMessage.clear();
    if (locked_) {
        failureMessage = SaveRefused(kLockedVault);
        return true;
    }
    // Never plain over a protected vault, which would give its records away.
    if (protected_ && !key_) {
        failureMessage = SaveRefused(kNoKey);
        return true;
    }
    return Write(records, key_ ? &*key_ : nullptr, failureMessage);
}

bool VaultFile::Write(const std::vector<LoginRecord>& records, const VaultKey* key, std::string& failureMessage) {
    failureMessage.clear();
    if (unreadable_ && !KeepUnreadableVault(failureMessage)) return true;
    // A stale tmp.db from an interrupted save; its removal never reports.
    if (fs_.FileExists(tmpPath_)) fs_.DeleteFile(tmpPath_);
    if (records.empty() && !key) {
        // An empty vault is the absence of the file. One that stays (held open by a backup or sync
        // program) would bring the deleted records back at the next start: the save failed.
        // A protected vault is never deleted: the next start would be a first one, with no password.
        fs_.DeleteFile(tmpPath_);
        if (!fs_.DeleteFile(dataPath_) && fs_.FileExists(dataPath_)) {
            failureMessage = FailureMessage(kSaveFailure, MakeFileError(file_errors::kPermissionDenied));
            return true;
        }
        return false;
    }
    FileError error;
    std::string bytes = FormatVault(records);
    if (key) {
        std::optional<std::string> sealed = SealVault(std::move(bytes), *key, random_);
        if (!sealed) {
            // The system's random source failed, or the records are beyond any real vault's size.
            failureMessage = FailureMessage(kSaveFailure, FileError{51, "Internal error"});
            return true;
        }
        bytes = std::move(*sealed);
    }
    // Data.db is replaced in one step only once the new content is complete on the disk, so
    // an interruption at any point leaves the old or the new vault, never neither.
    if (!fs_.WriteNew(tmpPath_, bytes, error) || !fs_.Replace(tmpPath_, dataPath_, error)) {
        failureMessage = FailureMessage(kSaveFailure, error);
        return true;
    }
    return false;
}

DataFileKind VaultFile::Probe() {
    if (!fs_.FileExists(dataPath_)) return DataFileKind::kNone;
    FileError error;
    std::optional<std::string> bytes;
    try {
        bytes = fs_.ReadAll(dataPath_, error);
    } catch (const std::bad_alloc&) {
    }
    // One that cannot be read now is left to the load, which reports it.
    if (!bytes || !IsProtectedVault(*bytes)) return DataFileKind::kPlain;
    protected_ = true;
    locked_ = !key_;
    return DataFileKind::kProtected;
}

void VaultFile::MarkUnreadable() {
    protected_ = true;
    locked_ = false;
    unreadable_ = true;
}

UnlockResult VaultFile::Unlock(std::string_view password, std::vector<LoginRecord>& records) {
    unreadable_ = false;
    FileError error;
    std::optional<std::string> bytes = ReadWhole(error);
    if (!bytes) {
        MarkUnreadable();
        return {OpenStatus::kDamaged, FailureMessage(kLoadFailure, error)};
    }
    if (!IsProtectedVault(*bytes)) {
        // Replaced by a plain vault since the probe.
        protected_ = locked_ = false;
        UnlockResult result{OpenStatus::kOpened, ""};
        if (LoadPlain(*bytes, records, result.message)) result.status = OpenStatus::kDamaged;
        return result;
    }
    OpenedVault opened = OpenVault(*bytes, password);
    protected_ = true;
    if (opened.status == OpenStatus::kWrongPassword) {
        locked_ = !key_;
        return {opened.status, UnlockFailure(opened.status)};
    }
    std::string message;
    if (opened.status != OpenStatus::kOpened || LoadPlain(opened.inner, records, message)) {
        MarkUnreadable();
        // What the key opened must be a plain vault; anything else was made to look like one.
        return {opened.status == OpenStatus::kOpened ? OpenStatus::kDamaged : opened.status,
                UnlockFailure(opened.status)};
    }
    locked_ = false;
    key_ = std::move(opened.key);
    return {OpenStatus::kOpened, ""};
}

bool VaultFile::Protect(const std::vector<LoginRecord>& records, std::string_view password, const KdfParams& params,
                        std::string& failureMessage) {
    if (locked_) {
        failureMessage = SaveRefused(kLockedVault);
        return true;
    }
    std::optional<VaultKey> key = DeriveNewVaultKey(password, params, random_);
    if (!key) {
        // Parameters within the caps leave the memory Argon2 asks for, or the random source.
        failureMessage = FailureMessage(kSaveFailure, MakeFileError(file_errors::kOutOfMemory));
        return true;
    }
    if (Write(records, &*key, failureMessage)) return true;
    key_ = std::move(key);
    protected_ = true;
    return false;
}

bool VaultFile::ChangePassword(const std::vector<LoginRecord>& records, std::string_view oldPassword,
                               std::string_view newPassword, const KdfParams& params, std::string& failureMessage) {
    if (!key_) {
        failureMessage = SaveRefused(locked_ ? kLockedVault : kNotProtected);
        return true;
    }
    if (!key_->Matches(oldPassword)) {
        failureMessage = kOldPasswordIncorrect;
        return true;
    }
    return Protect(records, newPassword, params, failureMessage);
}

bool VaultFile::Unprotect(const std::vector<LoginRecord>& records, std::string& failureMessage) {
    if (locked_) {
        failureMessage = SaveRefused(kLockedVault);
        return true;
    }
    if (Write(records, nullptr, failureMessage)) return true;
    key_.reset();
    protected_ = false;
    return false;
}

}  // namespace tf
