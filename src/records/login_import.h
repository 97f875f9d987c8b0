// Importing logins from the CSV files that browsers and other password vaults export, and exporting
// the vault as such a file. Everything here is pure: the window reads the file (ReadImportFile),
// shows the plan (PlanImport) and, after OK, takes the new list from ApplyImport and saves it once.
// Nothing changes before that, and a failed save leaves the old list in force.
//
// A plan holds the passwords of the file (in its records): a window shows the rows' site names,
// accounts, actions and reasons, never a password.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_system.h"
#include "vault/login_record.h"

namespace tf {

// The kinds of file recognised by their header rows (letter case and blanks around a name do not
// matter; the names must come in this order; a data row must have as many fields as the header):
//   kOwn        name,url,username,password,note,tamborvin_mailbox,tamborvin_question,tamborvin_answer
//               (what ExportLoginsCsv writes: the browser form, then the vault's three fields no
//               browser has, so that an export read back loses nothing)
//   kChrome     name,url,username,password  or  name,url,username,password,note  (also Edge, Brave, Opera)
//   kFirefox    url,username,password,httpRealm,formActionOrigin,guid,timeCreated,timeLastUsed,timePasswordChanged
//   kBitwarden  folder,favorite,type,name,notes,fields,reprompt,login_uri,login_username,login_password,login_totp
//   kKeePassXc  Group,Title,Username,Password,URL,Notes  and any further columns
//   kKeePass2   Account,Login Name,Password,Web Site,Comments
//   kSafari     Title,URL,Username,Password,Notes,OTPAuth
enum class ImportKind { kOwn, kChrome, kFirefox, kBitwarden, kKeePassXc, kKeePass2, kSafari };

// The kind's name as the user knows it ("Chrome / Edge / Brave / Opera", "Firefox", ...).
const char* ImportKindName(ImportKind kind);
std::optional<ImportKind> RecogniseHeader(const std::vector<std::string>& header);

enum class ImportAction {
    kAdd,           // a new record at the end of the list
    kAlreadyThere,  // a record with the same address, account and password exists: nothing changes
    kUpdate,        // a record with the same address and account has another password: it gets this one
    kCannotImport,  // see reason
};

// What one row of the file does. "The same address and account": the addresses in the editor's
// normal form with the plain scheme (NormaliseLoginUrl(..., LoginScheme::kPlain)), so that
// http://bank/ and https://bank/ are the same place, as a record in the plain form matches pages of
// both; and the accounts byte for byte. The passwords compare byte for byte.
//
// Rows are taken in file order, each against the list as the rows before it leave it: a row that
// repeats an earlier row of the file is "already there" when it has the same password and an update
// of the record that row added or updated when it has another (the later row's password wins).
// Where several records of the list have the same address and account, one with the same password
// makes the row "already there"; otherwise the first of them is updated.
struct ImportRow {
    std::size_t row = 0;  // the row's number in the file, the header being row 1
    ImportAction action = ImportAction::kCannotImport;
    // The record as the editor would store it (address normalised, search key from the site name);
    // its LineNum is empty. For kCannotImport: the site name, address and account as far as known.
    LoginRecord record;
    // For kAlreadyThere and kUpdate: the index in the new list of the record concerned, and the row
    // of the file that added it or last updated it (0 when it was in the list before).
    std::size_t target = 0;
    std::size_t earlierRow = 0;
    std::string reason;  // for kCannotImport: why, for the user
};

struct ImportPlan {
    ImportKind kind = ImportKind::kChrome;
    std::vector<ImportRow> rows;
    std::size_t adds = 0, alreadyThere = 0, updates = 0, cannotImport = 0;
    std::size_t listSize = 0;  // the size of the list the plan was made for
};

struct ImportPlanResult {
    std::optional<ImportPlan> plan;
    std::string error;  // when there is no plan: the message for the user
};

// Reads the file for PlanImport: refuses one over csv::kMaxFileBytes before reading any of it.
// Empty, with the message for the user, on failure.
std::optional<std::string> ReadImportFile(FileSystem& fs, const std::string& path, std::string& message);

// What importing these bytes into `records` would do. A file that cannot be read, an empty file and
// an unknown header give no plan but a message; every data row of a known file is in the plan,
// those that cannot be imported with their reason.
ImportPlanResult PlanImport(std::string_view bytes, const std::vector<LoginRecord>& records);

// The list after the plan: updated passwords in place, added records at the end (LineNum numbered as
// a save numbers them). Empty when `records` is not the list the plan was made for (its size).
std::optional<std::vector<LoginRecord>> ApplyImport(const std::vector<LoginRecord>& records, const ImportPlan& plan);

// The export's bytes: UTF-8 with its byte-order mark (a spreadsheet program on a Chinese Windows
// takes a CSV file without it for code page 936 and shows the Chinese names garbled), the kOwn
// header and one row per record, CR LF line ends. Browsers and the other vaults above read it as
// the browser form and ignore the last three columns; PlanImport reads it back whole.
std::string ExportLoginsCsv(const std::vector<LoginRecord>& records);

// The longest address imported: longer ones are refused (the address rules are not linear in its
// length); a login address is far shorter.
inline constexpr std::size_t kMaxImportUrlBytes = 4096;

// Texts for the window.
inline constexpr char kImportActionAdd[] = "添加";
inline constexpr char kImportActionAlreadyThere[] = "已存在";
inline constexpr char kImportActionUpdate[] = "更新密码";
inline constexpr char kImportActionCannot[] = "无法导入";
const char* ImportActionText(ImportAction action);
// "添加 3 条，已存在 1 条，更新密码 0 条，无法导入 2 条"
std::string ImportTotalsText(const ImportPlan& plan);
// "第 7 行：<reason>" for the list of rows that cannot be imported, and for file errors.
std::string ImportRowText(std::size_t row, std::string_view text);

inline constexpr char kImportUnknownKind[] = "无法识别文件的格式（按第一行的列名）。可以导入的格式：";
inline constexpr char kImportEmptyFile[] = "文件是空的，没有可导入的登录信息";
inline constexpr char kImportFileMissing[] = "无法读取文件：";
inline constexpr char kImportReasonNoWebAddress[] = "没有 http 或 https 开头的网址";
inline constexpr char kImportReasonUrlTooLong[] = "网址太长";
inline constexpr char kImportReasonColumns[] = "列数与第一行不同";
// Followed by the field's name: "含有本程序无法保存的字符：登录密码".
inline constexpr char kImportReasonUnstorable[] = "含有本程序无法保存的字符：";
// The record fields' names in the reasons, SiteName .. Remark.
extern const std::array<const char*, 8> kImportFieldNames;

}  // namespace tf
