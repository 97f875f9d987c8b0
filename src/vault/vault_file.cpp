#include "vault/vault_file.h"

#include <algorithm>
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
    std::vector<LoginRecord> records;
    // One record a line in every file the program writes.
    records.reserve(static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1);
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
    if (auto bytes = fs_.ReadAll(dataPath_, error)) loaded = ParseVault(*bytes, error);
    if (!loaded) {
        // The next save would overwrite what could not be read: it keeps the file aside first.
        unreadable_ = true;
        failureMessage = FailureMessage(kLoadFailure, error);
        return true;
    }
    records = std::move(*loaded);
    return false;
}

bool VaultFile::KeepUnreadableVault(std::string& failureMessage) {
    const std::string base = dataPath_ + ".bad";
    for (int n = 0; n <= kMaxBadFileNumber; ++n) {
        std::string candidate = n == 0 ? base : base + std::to_string(n);
        if (fs_.FileExists(candidate)) continue;
        // The move itself tells whether the file is still there: an existence check that
        // failed by mistake must not let the save overwrite it.
        FileError error;
        if (fs_.Replace(dataPath_, candidate, error)) {
            keptBadFile_ = std::move(candidate);
        } else if (error.code != file_errors::kFileNotFound) {
            failureMessage = FailureMessage(kSaveFailure, error);
            return false;
        }
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
        // An empty vault is the absence of the file.
        fs_.DeleteFile(tmpPath_);
        fs_.DeleteFile(dataPath_);
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
