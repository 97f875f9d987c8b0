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
    constexpr std::string_view kScheme = "http://";
    if (!address.starts_with(kScheme)) return false;
    const std::string_view rest = address.substr(kScheme.size());
    if (rest.find("http://") != std::string_view::npos || rest.find("https://") != std::string_view::npos) return false;
    if (!ParseUrl(rest).Path.empty()) return true;
    // No path: the "/" the rule put at the very end, after any query or fragment.
    return rest.ends_with('/') && ParseUrl(rest.substr(0, rest.size() - 1)).Path.empty();
}

NormalisedUrl NormaliseLoginUrl(std::string_view address) {
    NormalisedUrl result;
    // Normalising again must not change an address: every OK added another "/" after a query,
    // which no page address then matched.
    if (IsNormalLoginUrl(address)) {
        result.url = address;
        result.path = ParseUrl(address.substr(std::string_view("http://").size())).Path;
        return result;
    }
    std::string a(address);
    if (a.find("http://") != std::string::npos) a = RemoveAll(a, "http://");
    if (a.find("https://") != std::string::npos) a = RemoveAll(a, "https://");
    result.path = ParseUrl(a).Path;
    // Stored addresses take the form the browser watch builds from a page address, so that the
    // lookup can compare them as they stand.
    result.url = "http://" + a;
    if (result.path.empty()) result.url += '/';
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
        if (!bad.empty()) {
            return refuse(std::string("The ") + kEditorLabels[static_cast<std::size_t>(i)] +
                              " contains a character that cannot be stored (" + bad + "). Please remove it.",
                          i);
        }
    }

    outcome.record[kLineNum] = lineNum;
    for (int i = 0; i < kEditorBoxes; ++i) outcome.record[i + 1] = fields[static_cast<std::size_t>(i)];
    outcome.record[kCoding] = GetPinyinCode(outcome.record[kSiteName]);
    return outcome;
}

}  // namespace tf
