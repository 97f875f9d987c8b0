// The record editor's rules: what OK accepts or refuses, how the login address is normalised and
// what record it hands back to the grid. The editor window only shows and collects the boxes.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "vault/login_record.h"

namespace tf {

inline constexpr int kEditorBoxes = 8;  // txtName(0) .. txtName(7): SiteName .. Remark
inline constexpr char kEditorCaption[] = "Edit";
inline constexpr char kEnterSiteName[] = "请输入网站名称/邮箱别名！";
inline constexpr char kEnterLoginUrl[] = "请输入登录网址！";
inline constexpr char kNewRecordUrl[] = "http://";

// The label beside each box.
extern const std::array<const char*, kEditorBoxes> kEditorLabels;

using EditorBoxes = std::array<std::string, kEditorBoxes>;

// The boxes as the editor opens: a record's fields in edit mode, blanks and "http://" in add mode.
EditorBoxes EditorBoxesFor(const LoginRecord& record);
EditorBoxes NewRecordBoxes();

// What OK reads from the boxes. A box can show less than the record holds (the one-line password
// box ends at a line break): a box still showing what it showed when filled keeps the record's
// text; a box the user changed gives what it holds now.
EditorBoxes KeepUntouchedBoxes(const EditorBoxes& now, const EditorBoxes& shown, const EditorBoxes& filled);

struct NormalisedUrl {
    std::string url;   // what the address box then holds
    std::string path;  // the address's path part (Text7)
};
// An address already in the form NormaliseLoginUrl gives: "http://" or "https://" once in front
// and neither anywhere else, and a path or a "/" at the very end.
bool IsNormalLoginUrl(std::string_view address);
// Whether the address the user gave says https: it begins with "https://", perhaps behind
// "http://"s (case-sensitive, as the removal of schemes is).
bool HasSecureScheme(std::string_view address);

enum class LoginScheme {
    kAsWritten,  // "https://" when the address has it (HasSecureScheme), else "http://": the editor
    kPlain,      // always "http://": the form every address had before https was kept
    kSecure,     // always "https://"
};
// Leaves an address in that form (with that scheme) as it is. Any other loses every "http://" and
// "https://" (case-sensitive; also those that removing one makes), and gets the scheme in front,
// with "/" at the very end when the address has no path. Normalising a normal form changes
// nothing. A record whose address says https is matched by https pages only; one in the plain
// form, as every vault written before holds them, by pages of either scheme.
NormalisedUrl NormaliseLoginUrl(std::string_view address, LoginScheme scheme = LoginScheme::kAsWritten);

struct EditorOutcome {
    // Set when OK is refused: the message to show and the box to give the focus.
    std::optional<std::string> refusal;
    int focusBox = -1;
    // Otherwise the record for the grid (LineNum as given, Coding from the site name) and the
    // normalised address the box is set to.
    LoginRecord record;
    NormalisedUrl url;
};

// The OK button: refuses an empty site name, then an empty address, then any box holding a
// character the vault file cannot keep; otherwise builds the record. With keepAddress (an edited
// record whose address box the user left alone) the address is stored as it stands.
EditorOutcome AcceptEditor(const EditorBoxes& boxes, const std::string& lineNum, bool keepAddress = false);

}  // namespace tf
