#include "records/record_editor.h"

#include "base/url.h"
#include "base/cp936.h"
#include "base/utf8.h"
#include "records/pinyin.h"

namespace tf {

const std::array<const char*, kEditorBoxes> kEditorLabels = {"Site Name",        "Login URL", "Login account",
                                                             "Login Password",   "Mailbox",   "Password problems",
                                                             "Password answers", "Remark"};

namespace {

constexpr std::string_view kHttp = "http://";
constexpr std::string_view kHttps = "https://";

// One pass, left to right, as the runtime's Replace does: "hthttp://tp://" keeps one "http://".
std::string RemoveAll(std::string_view text, std::string_view what) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0;;) {
        const std::size_t found = text.find(what, pos);
        out.append(text.substr(pos, found == std::string_view::npos ? std::string_view::npos : found - pos));
        if (found == std::string_view::npos) return out;
        pos = found + what.size();
    }
}

bool HasScheme(std::string_view text) {
    return text.find(kHttp) != std::string_view::npos || text.find(kHttps) != std::string_view::npos;
}

// Every "http://" and "https://", also those that removing one makes ("htthttp://p://",
// "htthttps://p://"): what is left has neither, so normalising it again finds nothing to remove.
std::string RemoveSchemes(std::string_view text) {
    std::string out(text);
    while (HasScheme(out)) out = RemoveAll(RemoveAll(out, kHttp), kHttps);
    return out;
}

// The rest of an address after its "http://" or "https://" is normal: no scheme left in it, and a
// path, or the "/" the rule puts at the very end when there is none.
bool IsNormalRest(std::string_view rest) {
    if (HasScheme(rest)) return false;
    if (!ParseUrl(rest).Path.empty()) return true;
    return rest.ends_with('/') && ParseUrl(rest.substr(0, rest.size() - 1)).Path.empty();
}

// The first character of the text that code page 936 cannot write, as UTF-8; empty when none.
std::string FirstUnstorable(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t start = pos;
        if (!cp936::CodeOf(NextCodePoint(text, pos))) return std::string(text.substr(start, pos - start));
    }
    return {};
}

}  // namespace

EditorBoxes EditorBoxesFor(const LoginRecord& record) {
    EditorBoxes boxes;
    for (int i = 0; i < kEditorBoxes; ++i) boxes[static_cast<std::size_t>(i)] = record[i + 1];
    return boxes;
}

EditorBoxes NewRecordBoxes() {
    EditorBoxes boxes;
    boxes[1] = kNewRecordUrl;
    return boxes;
}

EditorBoxes KeepUntouchedBoxes(const EditorBoxes& now, const EditorBoxes& shown, const EditorBoxes& filled) {
    EditorBoxes boxes = now;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        if (now[i] == shown[i]) boxes[i] = filled[i];
    }
    return boxes;
}

bool IsNormalLoginUrl(std::string_view address) {
    if (address.starts_with(kHttps)) return IsNormalRest(address.substr(kHttps.size()));
    return address.starts_with(kHttp) && IsNormalRest(address.substr(kHttp.size()));
}

bool HasSecureScheme(std::string_view address) {
    // Behind any number of "http://" (a page address pasted after the new-record box's "http://").
    while (address.starts_with(kHttp)) address.remove_prefix(kHttp.size());
    return address.starts_with(kHttps);
}

NormalisedUrl NormaliseLoginUrl(std::string_view address, LoginScheme scheme) {
    const bool secure =
        scheme == LoginScheme::kSecure || (scheme == LoginScheme::kAsWritten && HasSecureScheme(address));
    const std::string_view prefix = secure ? kHttps : kHttp;
    NormalisedUrl result;
    // Normalising again must not change an address: every OK added another "/" after a query,
    // which no page address then matched.
    if (address.starts_with(prefix) && IsNormalRest(address.substr(prefix.size()))) {
        result.url = address;
        result.path = ParseUrl(address.substr(prefix.size())).Path;
        return result;
    }
    std::string rest = RemoveSchemes(address);
    result.path = ParseUrl(rest).Path;
    // Stored addresses take the form the browser watch builds from a page address, so that the
    // lookup can compare them as they stand.
    if (result.path.empty()) {
        rest += '/';
        // The "/" may complete a scheme ("#http:/" ends in "http://"): then that goes as well, and
        // the rest is looked at again, until it holds no scheme. Each round makes it shorter.
        while (HasScheme(rest)) {
            rest = RemoveSchemes(rest);
            result.path = ParseUrl(rest).Path;
            if (result.path.empty()) rest += '/';
        }
    }
    result.url = std::string(prefix) + rest;
    return result;
}

EditorOutcome AcceptEditor(const EditorBoxes& boxes, const std::string& lineNum, bool keepAddress) {
    EditorOutcome outcome;
    auto refuse = [&outcome](std::string message, int box) {
        outcome.refusal = std::move(message);
        outcome.focusBox = box;
        return outcome;
    };
    if (boxes[0].empty()) return refuse(kEnterSiteName, 0);
    if (boxes[1].empty()) return refuse(kEnterLoginUrl, 1);

    if (keepAddress) {
        outcome.url = {boxes[1], ParseUrl(boxes[1]).Path};
    } else {
        outcome.url = NormaliseLoginUrl(boxes[1]);
    }
    EditorBoxes fields = boxes;
    fields[1] = outcome.url.url;
    // The vault file's character codes are those of code page 936; a character outside it is
    // refused here, where the user can still change it, rather than stored by a private escape.
    for (int i = 0; i < kEditorBoxes; ++i) {
        const std::string bad = FirstUnstorable(fields[static_cast<std::size_t>(i)]);
        if (bad.empty()) continue;
        // Not even one character of a password goes into a message: it may be read over a shoulder.
        const std::string shown = i == kPassword - 1 ? std::string() : " (" + bad + ")";
        return refuse(std::string("The ") + kEditorLabels[static_cast<std::size_t>(i)] +
                          " contains a character that cannot be stored" + shown + ". Please remove it.",
                      i);
    }

    outcome.record[kLineNum] = lineNum;
    for (int i = 0; i < kEditorBoxes; ++i) outcome.record[i + 1] = fields[static_cast<std::size_t>(i)];
    outcome.record[kCoding] = GetPinyinCode(outcome.record[kSiteName]);
    return outcome;
}

}  // namespace tf
