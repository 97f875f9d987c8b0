#include "vault/vault_file.h"

#include <new>
#include <stdexcept>
#include <utility>

#include "vault/field_codec.h"

namespace tf {

namespace {

constexpr char kLoadFailure[] = "Failed to get data, code:";
constexpr char kSaveFailure[] = "Failed to save the data, code:";
// How many numbered names are tried for a kept unreadable vault before giving up.
constexpr int kMaxBadFileNumber = 9999;

std::string FailureMessage(const char* prefix, const FileError& error) {
    return prefix + std::to_string(error.code) + " Description:" + error.description;
}

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

VaultFile::VaultFile(FileSystem& fs, std::string folder)
    : fs_(fs),
      folder_(std::move(folder)),
      dataPath_(JoinPath(folder_, kDataFileName)),
      tmpPath_(JoinPath(folder_, kTmpFileName)) {}

bool VaultFile::ReadDataFile(std::vector<LoginRecord>& records, std::string& failureMessage) {
    failureMessage.clear();
    unreadable_ = false;
    if (!fs_.FileExists(dataPath_)) return true;
    FileError error;
    std::optional<std::vector<LoginRecord>> loaded;
    try {
        if (auto bytes = fs_.ReadAll(dataPath_, error)) loaded = ParseVault(*bytes, error);
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
    if (unreadable_ && !KeepUnreadableVault(failureMessage)) return true;
    // A stale tmp.db from an interrupted save; its removal never reports.
    if (fs_.FileExists(tmpPath_)) fs_.DeleteFile(tmpPath_);
    if (records.empty()) {
        // An empty vault is the absence of the file. One that stays (held open by a backup or sync
        // program) would bring the deleted records back at the next start: the save failed.
        fs_.DeleteFile(tmpPath_);
        if (!fs_.DeleteFile(dataPath_) && fs_.FileExists(dataPath_)) {
            failureMessage = FailureMessage(kSaveFailure, MakeFileError(file_errors::kPermissionDenied));
            return true;
        }
        return false;
    }
    FileError error;
    // Data.db is replaced in one step only once the new content is complete on the disk, so
    // an interruption at any point leaves the old or the new vault, never neither.
    if (!fs_.WriteNew(tmpPath_, FormatVault(records), error) || !fs_.Replace(tmpPath_, dataPath_, error)) {
        failureMessage = FailureMessage(kSaveFailure, error);
        return true;
    }
    return false;
}

}  // namespace tf
