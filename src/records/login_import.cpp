#include "records/login_import.h"

#include <algorithm>
#include <unordered_map>

#include "base/csv.h"
#include "base/url.h"
#include "records/record_editor.h"

namespace tf {

const std::array<const char*, 8> kImportFieldNames = {"网站名称", "登录网址", "登录账号", "登录密码",
                                                      "邮箱",     "密码问题", "密码答案", "备注"};

namespace {

constexpr int kNone = -1;

// Where a kind keeps what the vault holds; kNone for what it does not have.
struct Columns {
    int name, url, account, password, notes;
    int mailbox = kNone, question = kNone, answer = kNone;
};

struct Format {
    ImportKind kind;
    const char* displayName;
    std::vector<std::string_view> header;
    std::size_t fewest;  // the header may end after this many names
    bool more;           // further columns are allowed (and ignored)
    Columns columns;
};

const std::vector<Format>& Formats() {
    static const std::vector<Format> formats = {
        {ImportKind::kChrome,
         "Chrome / Edge / Brave / Opera",
         {"name", "url", "username", "password", "note"},
         4,
         false,
         {0, 1, 2, 3, 4}},
        {ImportKind::kFirefox,
         "Firefox",
         {"url", "username", "password", "httpRealm", "formActionOrigin", "guid", "timeCreated", "timeLastUsed",
          "timePasswordChanged"},
         9,
         false,
         {kNone, 0, 1, 2, kNone}},
        {ImportKind::kBitwarden,
         "Bitwarden",
         {"folder", "favorite", "type", "name", "notes", "fields", "reprompt", "login_uri", "login_username",
          "login_password", "login_totp"},
         11,
         false,
         {3, 7, 8, 9, 4}},
        {ImportKind::kKeePassXc,
         "KeePassXC",
         {"Group", "Title", "Username", "Password", "URL", "Notes"},
         6,
         true,
         {1, 4, 2, 3, 5}},
        {ImportKind::kKeePass2,
         "KeePass 2",
         {"Account", "Login Name", "Password", "Web Site", "Comments"},
         5,
         false,
         {0, 3, 1, 2, 4}},
        {ImportKind::kSafari,
         "Safari",
         {"Title", "URL", "Username", "Password", "Notes", "OTPAuth"},
         6,
         false,
         {0, 1, 2, 3, 4}},
        {ImportKind::kOwn,
         "本程序导出的文件",
         {"name", "url", "username", "password", "note", "tamborvin_mailbox", "tamborvin_question", "tamborvin_answer"},
         8,
         false,
         {0, 1, 2, 3, 4, 5, 6, 7}},
    };
    return formats;
}

const Format& FormatOf(ImportKind kind) {
    for (const Format& format : Formats()) {
        if (format.kind == kind) return format;
    }
    return Formats().front();
}

std::string_view TrimBlanks(std::string_view s) {
    const std::size_t first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) return false;
    }
    return true;
}

bool StartsWithName(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && SameName(s.substr(0, prefix.size()), prefix);
}

const Format* Recognise(const std::vector<std::string>& header) {
    for (const Format& format : Formats()) {
        if (header.size() < format.fewest || (header.size() > format.header.size() && !format.more)) continue;
        bool same = true;
        for (std::size_t i = 0; same && i < header.size() && i < format.header.size(); ++i) {
            same = SameName(TrimBlanks(header[i]), format.header[i]);
        }
        if (same) return &format;
    }
    return nullptr;
}

// The address as the editor is to get it, or empty with the reason it cannot be imported.
std::string WebAddress(ImportKind kind, std::string_view address, std::string& reason) {
    // Bitwarden writes an item's several addresses into one field, separated by commas.
    if (kind == ImportKind::kBitwarden) {
        const std::size_t next = std::min(address.find(",http://"), address.find(",https://"));
        if (next != std::string_view::npos) address = address.substr(0, next);
    }
    // Blanks before the scheme cannot belong to the address; those at its end may (a record exported
    // from here comes back as it was).
    address.remove_prefix(std::min(address.size(), address.find_first_not_of(" \t")));
    if (address.size() > kMaxImportUrlBytes) {
        reason = kImportReasonUrlTooLong;
        return {};
    }
    // The editor's rules know the schemes in lower case only.
    std::string url;
    if (StartsWithName(address, "https://")) {
        url = "https://" + std::string(address.substr(8));
    } else if (StartsWithName(address, "http://")) {
        url = "http://" + std::string(address.substr(7));
    }
    if (url.empty() || ParseUrl(url).Host.empty()) {
        reason = kImportReasonNoWebAddress;
        return {};
    }
    return url;
}

ImportRow MapRow(const Format& format, const csv::Row& row, std::size_t columns) {
    ImportRow out;
    out.row = row.number;
    auto get = [&row](int column) -> std::string {
        return column == kNone || static_cast<std::size_t>(column) >= row.fields.size()
                   ? std::string()
                   : row.fields[static_cast<std::size_t>(column)];
    };
    const Columns& c = format.columns;
    out.record[kSiteName] = get(c.name);
    out.record[kLoginUrl] = get(c.url);
    out.record[kAccount] = get(c.account);
    if (row.fields.size() != columns) {
        out.reason = kImportReasonColumns;
        return out;
    }
    const std::string url = WebAddress(format.kind, out.record[kLoginUrl], out.reason);
    if (url.empty()) return out;
    std::string site = get(c.name);
    if (TrimBlanks(site).empty()) site = ParseUrl(url).Host;
    const EditorBoxes boxes = {
        site, url, get(c.account), get(c.password), get(c.mailbox), get(c.question), get(c.answer), get(c.notes)};
    EditorOutcome outcome = AcceptEditor(boxes, "");
    if (outcome.refusal) {
        // Which field, never the character: it may be one of the password's.
        const int box = outcome.focusBox >= 0 && outcome.focusBox < kEditorBoxes ? outcome.focusBox : 0;
        out.reason = std::string(kImportReasonUnstorable) + kImportFieldNames[static_cast<std::size_t>(box)];
        return out;
    }
    out.record = std::move(outcome.record);
    out.action = ImportAction::kAdd;
    return out;
}

// Same place and account: the address in its plain normal form, then the account.
std::string KeyOf(const LoginRecord& record) {
    std::string key = NormaliseLoginUrl(record[kLoginUrl], LoginScheme::kPlain).url;
    key.push_back('\0');
    key += record[kAccount];
    return key;
}

}  // namespace

const char* ImportKindName(ImportKind kind) { return FormatOf(kind).displayName; }

std::optional<ImportKind> RecogniseHeader(const std::vector<std::string>& header) {
    const Format* format = Recognise(header);
    if (!format) return std::nullopt;
    return format->kind;
}

std::optional<std::string> ReadImportFile(FileSystem& fs, const std::string& path, std::string& message) {
    const auto length = fs.Length(path);
    if (!length) {
        message = kImportFileMissing + MakeFileError(file_errors::kFileNotFound).description;
        return std::nullopt;
    }
    if (*length > csv::kMaxFileBytes) {
        message = csv::kMsgFileTooLarge;
        return std::nullopt;
    }
    FileError error;
    auto bytes = fs.ReadAll(path, error);
    if (!bytes) {
        message = kImportFileMissing + error.description;
        return std::nullopt;
    }
    return bytes;
}

ImportPlanResult PlanImport(std::string_view bytes, const std::vector<LoginRecord>& records) {
    ImportPlanResult result;
    csv::Error error;
    const auto rows = csv::Read(bytes, error);
    if (!rows) {
        result.error = csv::ErrorMessage(error);
        return result;
    }
    if (rows->empty()) {
        result.error = kImportEmptyFile;
        return result;
    }
    const Format* format = Recognise(rows->front().fields);
    if (!format) {
        result.error = kImportUnknownKind;
        for (std::size_t i = 0; i < Formats().size(); ++i) {
            result.error += (i == 0 ? "" : "、") + std::string(Formats()[i].displayName);
        }
        result.error += "。";
        return result;
    }

    ImportPlan plan;
    plan.kind = format->kind;
    plan.listSize = records.size();
    // The records of the list as the rows so far leave it, by address and account; and for each,
    // which row of the plan last set its password (index + 1), or 0 for the list's own.
    std::unordered_map<std::string, std::vector<std::size_t>> byKey;
    byKey.reserve(records.size() + rows->size());
    for (std::size_t i = 0; i < records.size(); ++i) byKey[KeyOf(records[i])].push_back(i);
    std::vector<std::size_t> setBy(records.size(), 0);
    auto passwordOf = [&](std::size_t i) -> const std::string& {
        return setBy[i] == 0 ? records[i][kPassword] : plan.rows[setBy[i] - 1].record[kPassword];
    };
    auto rowOf = [&](std::size_t i) { return setBy[i] == 0 ? std::size_t{0} : plan.rows[setBy[i] - 1].row; };

    const std::size_t columns = rows->front().fields.size();
    plan.rows.reserve(rows->size() - 1);
    for (std::size_t r = 1; r < rows->size(); ++r) {
        ImportRow row = MapRow(*format, (*rows)[r], columns);
        if (row.action == ImportAction::kAdd) {
            std::vector<std::size_t>& same = byKey[KeyOf(row.record)];
            std::size_t found = same.size();
            for (std::size_t k = 0; k < same.size() && found == same.size(); ++k) {
                if (passwordOf(same[k]) == row.record[kPassword]) found = k;
            }
            if (found < same.size()) {
                row.action = ImportAction::kAlreadyThere;
                row.target = same[found];
                row.earlierRow = rowOf(row.target);
            } else if (!same.empty()) {
                row.action = ImportAction::kUpdate;
                row.target = same.front();
                row.earlierRow = rowOf(row.target);
                setBy[row.target] = plan.rows.size() + 1;
            } else {
                row.target = setBy.size();
                same.push_back(row.target);
                setBy.push_back(plan.rows.size() + 1);
            }
        }
        switch (row.action) {
            case ImportAction::kAdd:
                ++plan.adds;
                break;
            case ImportAction::kAlreadyThere:
                ++plan.alreadyThere;
                break;
            case ImportAction::kUpdate:
                ++plan.updates;
                break;
            case ImportAction::kCannotImport:
                ++plan.cannotImport;
                break;
        }
        plan.rows.push_back(std::move(row));
    }
    result.plan = std::move(plan);
    return result;
}

std::optional<std::vector<LoginRecord>> ApplyImport(const std::vector<LoginRecord>& records, const ImportPlan& plan) {
    if (records.size() != plan.listSize) return std::nullopt;
    std::vector<LoginRecord> out = records;
    out.reserve(records.size() + plan.adds);
    for (const ImportRow& row : plan.rows) {
        if (row.action == ImportAction::kAdd) {
            if (row.target != out.size()) return std::nullopt;
            out.push_back(row.record);
            out.back()[kLineNum] = std::to_string(out.size() + 1);
        } else if (row.action == ImportAction::kUpdate) {
            if (row.target >= out.size()) return std::nullopt;
            out[row.target][kPassword] = row.record[kPassword];
        }
    }
    return out;
}

std::string ExportLoginsCsv(const std::vector<LoginRecord>& records) {
    std::string out = csv::kUtf8Mark;
    const std::vector<std::string_view>& header = FormatOf(ImportKind::kOwn).header;
    csv::AppendRow(out, header);
    for (const LoginRecord& r : records) {
        csv::AppendRow(out, {r[kSiteName], r[kLoginUrl], r[kAccount], r[kPassword], r[kRemark], r[kMailbox],
                             r[kQuestion], r[kAnswer]});
    }
    return out;
}

const char* ImportActionText(ImportAction action) {
    switch (action) {
        case ImportAction::kAdd:
            return kImportActionAdd;
        case ImportAction::kAlreadyThere:
            return kImportActionAlreadyThere;
        case ImportAction::kUpdate:
            return kImportActionUpdate;
        case ImportAction::kCannotImport:
            break;
    }
    return kImportActionCannot;
}

std::string ImportTotalsText(const ImportPlan& plan) {
    return std::string(kImportActionAdd) + " " + std::to_string(plan.adds) + " 条，" + kImportActionAlreadyThere + " " +
           std::to_string(plan.alreadyThere) + " 条，" + kImportActionUpdate + " " + std::to_string(plan.updates) +
           " 条，" + kImportActionCannot + " " + std::to_string(plan.cannotImport) + " 条";
}

std::string ImportRowText(std::size_t row, std::string_view text) { return csv::RowText(row, text); }

}  // namespace tf
