#include "updater/release_info.h"

#include <cstdio>

#include "base/cp936.h"
#include "base/utf8.h"

namespace tf {

void ApplyReleaseDescription(std::string_view body, ReleaseFields& fields) {
    fields.v = std::string(body);
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    // An empty text splits into no fields at all.
    while (!body.empty()) {
        std::size_t bar = body.find('|', start);
        parts.push_back(body.substr(start, bar == std::string_view::npos ? std::string_view::npos : bar - start));
        if (bar == std::string_view::npos) break;
        start = bar + 1;
    }
    std::string* targets[] = {&fields.Text1, &fields.Text2, &fields.shuoming, &fields.size,
                              &fields.v,     &fields.bytes, &fields.sha256,   &fields.signature};
    for (std::size_t i = 0; i < parts.size() && i < std::size(targets); ++i) *targets[i] = std::string(parts[i]);
}

namespace {

char32_t Upper(char32_t c) {
    // The letters whose case Windows folds in names that updates use: ASCII, Latin-1, Greek,
    // Cyrillic and the full-width Latin letters.
    if ((c >= U'a' && c <= U'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) ||
        (c >= 0x430 && c <= 0x44F)) {
        return c - 0x20;
    }
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;
    if (c >= 0xFF41 && c <= 0xFF5A) return c - 0x20;
    return c;
}

std::u32string UpperPath(std::string_view path) {
    std::u32string out = Utf8ToCodePoints(path);
    for (char32_t& c : out) c = c == U'/' ? U'\\' : Upper(c);
    return out;
}

}  // namespace

bool IsPlainFileName(std::string_view name) {
    if (name.empty() || name.size() > 255 || name.find("..") != std::string_view::npos) return false;
    if (name.back() == '.' || name.back() == ' ') return false;
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos) {
            return false;
        }
    }
    // Devices keep their meaning with any extension and in any letter case ("nul.txt", "Com1.exe").
    std::u32string stem = UpperPath(name.substr(0, name.find('.')));
    while (!stem.empty() && stem.back() == U' ') stem.pop_back();
    for (const char32_t* device : {U"CON", U"PRN", U"AUX", U"NUL", U"CONIN$", U"CONOUT$"}) {
        if (stem == device) return false;
    }
    if (stem.size() == 4 && (stem.compare(0, 3, U"COM") == 0 || stem.compare(0, 3, U"LPT") == 0) && stem[3] >= U'1' &&
        stem[3] <= U'9') {
        return false;
    }
    return true;
}

bool SamePath(std::string_view a, std::string_view b) { return UpperPath(a) == UpperPath(b); }

std::string SavePath(std::string_view folder, std::string_view name) {
    return std::string(folder) + "\\" + std::string(name);
}

std::string StatusText(std::int16_t code) {
    static const char* const texts[] = {
        "发送请求...", "获取远程文件信息...", "开始接收数据...", "下载被终止...", "停止下载",
        "暂停下载",    "连接服务器失败",      "发送请求失败",    "下载完毕",      "保存路径出错"};
    if (code < 1 || code > static_cast<std::int16_t>(std::size(texts))) return {};
    return texts[code - 1];
}

std::string PercentLabel(double percent) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f%%", percent);
    return text;
}

std::string AnsiToUtf8(std::string_view ansi) {
    std::string out;
    for (std::size_t i = 0; i < ansi.size(); ++i) {
        auto byte = static_cast<unsigned char>(ansi[i]);
        if (byte < 0x80) {
            out.push_back(static_cast<char>(byte));
            continue;
        }
        std::optional<char32_t> c;
        if (i + 1 < ansi.size()) {
            auto code = static_cast<std::uint16_t>(byte << 8 | static_cast<unsigned char>(ansi[i + 1]));
            c = cp936::CharOf(code);
            if (c) ++i;
        }
        if (!c) c = cp936::CharOf(byte);
        AppendUtf8(out, c.value_or(U'?'));
    }
    return out;
}

}  // namespace tf
