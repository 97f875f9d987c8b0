// Comma-separated files as RFC 4180 has them: the reader the login import uses on files written by
// other programs, and the writer of the export.
//
// Reading takes the file's bytes: UTF-8 with or without its byte-order mark, or UTF-16 (little or
// big end) with its mark, which becomes UTF-8. Fields are separated by commas; a field may be
// enclosed in double quotes and then hold commas, line breaks and quotes written twice. A row ends
// at CR LF, LF or a lone CR. Anything else about quotes, text that is no valid UTF-8 or UTF-16, and
// input beyond the limits below is refused as a whole, with the row it was found in: a file that
// cannot be read exactly is not read in part.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tf::csv {

// A login export of 10,000 entries is near 2 MB; these leave room for far larger vaults and keep
// what a hostile file can make the reader allocate under about 200 MB.
inline constexpr std::size_t kMaxFileBytes = 16u << 20;  // the file as it is on the disk
inline constexpr std::size_t kMaxFieldBytes = 1u << 20;  // one field, as UTF-8
inline constexpr std::size_t kMaxRows = 100000;          // rows read, the header and blank lines too
inline constexpr std::size_t kMaxFieldsPerRow = 64;      // the widest export known has 11
inline constexpr std::size_t kMaxFields = 1000000;       // fields of the whole file

struct Row {
    // The row's number as a spreadsheet shows it: the first row (the header) is 1, and a row
    // whose quoted field holds line breaks still counts once.
    std::size_t number = 0;
    std::vector<std::string> fields;  // UTF-8
};

enum class ErrorKind {
    kNone,
    kFileTooLarge,
    kBadText,  // not UTF-8 (nor UTF-16 with its mark)
    kFieldTooLarge,
    kTooManyRows,
    kTooManyFields,  // in one row or in the file
    kUnclosedQuote,  // the file ends inside a quoted field
    kStrayQuote,     // a quote inside an unquoted field, or text after a closing quote
};

struct Error {
    ErrorKind kind = ErrorKind::kNone;
    std::size_t row = 0;  // where it was found; 0 for the whole file
};

// The rows in file order. Rows with nothing in them (an empty line) are left out, but the rows after
// them keep the numbers a spreadsheet gives them. Empty input gives no rows.
std::optional<std::vector<Row>> Read(std::string_view bytes, Error& error);

// The message for the user (Chinese, as the program's other messages), with the row when known.
std::string ErrorMessage(const Error& error);
// "第 7 行：" and the text.
std::string RowText(std::size_t row, std::string_view text);

inline constexpr char kMsgFileTooLarge[] = "文件太大，无法导入（最大 16 MB）";
inline constexpr char kMsgBadText[] = "含有无效的字符编码（文件应为 UTF-8 或带标记的 UTF-16 文本）";
inline constexpr char kMsgFieldTooLarge[] = "有一项内容太长（每项最多 1 MB）";
inline constexpr char kMsgTooManyRows[] = "文件行数太多，无法导入（最多 100000 行）";
inline constexpr char kMsgTooManyFields[] = "列数太多（每行最多 64 列）";
inline constexpr char kMsgUnclosedQuote[] = "引号没有结束，文件不完整";
inline constexpr char kMsgStrayQuote[] = "引号用法不对：引号内的引号要写成两个，结束引号后只能是逗号或换行";

// The UTF-8 byte-order mark, which the export puts first so that a spreadsheet program on a Chinese
// Windows reads the file as UTF-8 instead of the system's code page.
inline constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

// Appends one row: fields separated by commas, each quoted (its quotes doubled) when it holds a
// comma, a quote, a line break or a blank at either end (and a row of one empty field, which would
// be an empty line); CR LF after it.
void AppendRow(std::string& out, const std::vector<std::string_view>& fields);

}  // namespace tf::csv
