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
    std::string* targets[] = {&fields.Text1, &fields.Text2, &fields.shuoming,
                              &fields.size,  &fields.v,     &fields.signature};
    for (std::size_t i = 0; i < parts.size() && i < std::size(targets); ++i) *targets[i] = std::string(parts[i]);
}

bool IsPlainFileName(std::string_view name) {
    if (name.empty() || name == "." || name.find("..") != std::string_view::npos) return false;
    for (char c : name) {
        if (c == '\\' || c == '/' || c == ':' || static_cast<unsigned char>(c) < 0x20) return false;
    }
    return true;
}

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

std::optional<std::vector<std::uint8_t>> ParseSignature(std::string_view hex) {
    while (!hex.empty() && (hex.front() == ' ' || hex.front() == '\t' || hex.front() == '\r' || hex.front() == '\n')) {
        hex.remove_prefix(1);
    }
    while (!hex.empty() && (hex.back() == ' ' || hex.back() == '\t' || hex.back() == '\r' || hex.back() == '\n')) {
        hex.remove_suffix(1);
    }
    if (hex.size() != 128) return std::nullopt;
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        int high = digit(hex[i]);
        int low = digit(hex[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(high << 4 | low));
    }
    return bytes;
}

}  // namespace tf
