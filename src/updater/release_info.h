// The release description the updater fetches ("/version/form/config.txt") and the small rules of
// the updater window: its fields, the save path, the status and percent texts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tf {

inline constexpr char kReleaseDescriptionPath[] = "/version/form/config.txt";
inline constexpr char kMainProgramName[] = "Tamborvin Form.exe";
// Where the old main program waits until the new one is in place.
inline constexpr char kOldProgramSuffix[] = ".old";

// The window's fields the description fills. The fields are separated by "|" and taken as they
// stand: address, file name, description, size text, version; then what the signature needs (older
// descriptions end after the version): the file's size in bytes, its SHA-256 and the signature, both
// in hex.
struct ReleaseFields {
    std::string Text1;     // address of the new file
    std::string Text2;     // its file name in the updater's folder
    std::string shuoming;  // description
    std::string size;      // size text
    std::string v;         // version text; first the whole fetched text
    std::string bytes;
    std::string sha256;
    std::string signature;
};

// `v` receives the whole body, then each field present overwrites its control; missing ones keep
// what they held. A line end after field 5 stays part of it.
void ApplyReleaseDescription(std::string_view body, ReleaseFields& fields);

// A name Windows takes as a plain file in the folder: not empty, at most 255 characters, none of
// \ / : * ? " < > | or control characters, not ending in a dot or a blank, no "..", and not a device
// name (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with or without an extension).
bool IsPlainFileName(std::string_view name);

// Whether two paths name the same file as Windows compares names: without regard to letter case.
bool SamePath(std::string_view a, std::string_view b);

// folder + "\" + name, as the updater's "..." button computes it.
std::string SavePath(std::string_view folder, std::string_view name);

// The download control's state code as the updater's status label shows it; empty for others.
std::string StatusText(std::int16_t code);

// Texts of the refusals the updater adds to the download's own.
inline constexpr char kStatusBadFileName[] = "文件名无效，已拒绝更新";
inline constexpr char kStatusNoSignature[] = "更新没有签名，已保留旧版本";
inline constexpr char kStatusBadSignature[] = "签名不符，已保留旧版本";
inline constexpr char kStatusNotNewer[] = "不是更新的版本，已保留旧版本";
inline constexpr char kStatusUnknownVersion[] = "无法确定已安装的版本，已保留旧版本";
inline constexpr char kStatusTooLarge[] = "文件大于签名所述，已保留旧版本";
inline constexpr char kStatusCannotCheck[] = "无法检查下载的文件，已保留旧版本";
inline constexpr char kStatusCannotMoveOld[] = "无法保留旧版本，未更新";
inline constexpr char kStatusCannotReplace[] = "无法替换旧版本，未更新";
inline constexpr char kStatusCannotStart[] = "无法启动新版本";
inline constexpr char kStatusNoRelease[] = "无法获取更新信息";

// "12.50%": two decimals and a percent sign.
std::string PercentLabel(double percent);

// The body as the server sent it, in code page 936, turned into UTF-8; bytes that are no character
// of it become "?".
std::string AnsiToUtf8(std::string_view ansi);

}  // namespace tf
