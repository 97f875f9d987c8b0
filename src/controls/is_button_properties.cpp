#include "controls/is_button.h"

#include <charconv>

namespace tf {
namespace {

constexpr ButtonPropertyInfo kInfo[kButtonPropertyCount] = {
    {"Style", "Style", "Style", true},
    {"Caption", "Caption", "Caption", true},
    {"Icon", "Icon", "Icon", true},
    {"IconAlign", "IconAlign", "IconAlign", true},
    {"IconSize", "IconSize", "IconSize", true},
    {"CaptionAlign", "CaptionAlign", "CaptionAlign", true},
    {"NonThemeStyle", "iNonThemeStyle", "NonThemeStyle", true},
    {"Enabled", "Enabled", "Enabled", false},
    {"ShowFocus", "ShowFocus", "ShowFocus", false},
    {"UseCustomColors", "USeCustomColors", "UseCustomColors", false},
    {"BackColor", "BackColor", "BackColor", false},
    {"HighlightColor", "HighlightColor", "HighlightColor", false},
    {"FontColor", "FontColor", "FontColor", false},
    {"FontHighlightColor", "FontHighlightColor", "FontHighlightColor", false},
    {"ToolTip", "ToolTipText", "ToolTipText", false},
    {"ToolTipTitle", "Tooltiptitle", "TooltipTitle", false},
    {"ToolTipIcon", "ToolTipIcon", "TooltipIcon", false},
    {"ToolTipType", "ToolTipType", "ToolTipType", false},
    {"ToolTipBackColor", "ttBackColor", "ToolTipBackColor", false},
    {"ToolTipForeColor", "ttForeColor", "ToolTipForeColor", false},
    {"Font", "Font", "Font", false},
    {"ButtonType", "ButtonType", "ButtonType", false},
    {"value", "Value", "value", false},
    {"BackDrop", "BackDrop", "BackDrop", true},
};

const char* Stored(ButtonProperty p) { return InfoOf(p).storedAs; }

std::optional<long> ParseLong(std::string_view text) {
    long value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

}  // namespace

IsButtonProperties NewButtonProperties(std::string_view name) {
    IsButtonProperties p;
    p.caption = std::string(name);
    return p;
}

const ButtonPropertyInfo& InfoOf(ButtonProperty property) { return kInfo[static_cast<int>(property)]; }

void PropertyBag::Write(std::string_view name, std::string_view value, std::optional<std::string_view> writeDefault) {
    if (writeDefault && value == *writeDefault) {
        values_.erase(std::string(name));
        return;
    }
    values_[std::string(name)] = std::string(value);
}

void PropertyBag::Write(std::string_view name, long value, std::optional<long> writeDefault) {
    if (writeDefault && value == *writeDefault) {
        values_.erase(std::string(name));
        return;
    }
    values_[std::string(name)] = std::to_string(value);
}

void PropertyBag::WriteBool(std::string_view name, bool value, bool writeDefault) {
    Write(name, value ? -1L : 0L, writeDefault ? -1L : 0L);
}

void PropertyBag::WriteColour(std::string_view name, Colour value, Colour writeDefault) {
    if (value == writeDefault) {
        values_.erase(std::string(name));
        return;
    }
    values_[std::string(name)] = std::to_string(value);
}

std::string PropertyBag::Read(std::string_view name, std::string_view readDefault) const {
    auto it = values_.find(name);
    return it == values_.end() ? std::string(readDefault) : it->second;
}

long PropertyBag::Read(std::string_view name, long readDefault) const {
    auto it = values_.find(name);
    if (it == values_.end()) return readDefault;
    return ParseLong(it->second).value_or(readDefault);
}

bool PropertyBag::ReadBool(std::string_view name, bool readDefault) const {
    auto it = values_.find(name);
    if (it == values_.end()) return readDefault;
    auto number = ParseLong(it->second);
    if (number) return *number != 0;
    if (it->second == "True") return true;
    if (it->second == "False") return false;
    return readDefault;
}

Colour PropertyBag::ReadColour(std::string_view name, Colour readDefault) const {
    auto it = values_.find(name);
    if (it == values_.end()) return readDefault;
    std::uint32_t value = 0;
    const std::string& text = it->second;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return readDefault;
    return value;
}

std::string PropertyBag::Save() const {
    std::string out;
    for (const auto& [name, value] : values_) {
        out += name;
        out += " = \"";
        for (char c : value) {
            if (c == '"') out += '"';
            if (c == '\n') {
                out += "\"\"n";  // a line break inside a text: "" followed by n
                continue;
            }
            out += c;
        }
        out += "\"\n";
    }
    return out;
}

PropertyBag PropertyBag::Load(std::string_view text) {
    PropertyBag bag;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        std::string_view name = Trim(line.substr(0, eq));
        std::string_view raw = Trim(line.substr(eq + 1));
        if (name.empty() || raw.size() < 2 || raw.front() != '"' || raw.back() != '"') continue;
        raw = raw.substr(1, raw.size() - 2);
        std::string value;
        bool ok = true;
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] != '"') {
                value += raw[i];
                continue;
            }
            if (i + 1 < raw.size() && raw[i + 1] == '"') {
                if (i + 2 < raw.size() && raw[i + 2] == 'n') {
                    value += '\n';
                    i += 2;
                } else {
                    value += '"';
                    ++i;
                }
                continue;
            }
            ok = false;  // a lone quote: the line is damaged
            break;
        }
        if (ok) bag.values_[std::string(name)] = value;
    }
    return bag;
}

void WriteButtonProperties(const IsButtonProperties& p, PropertyBag& bag, std::string_view containerToolTip) {
    using P = ButtonProperty;
    const IsButtonProperties d;  // the read and write defaults that match the fresh values
    bag.Write(Stored(P::kStyle), p.style, 3L);
    bag.Write(Stored(P::kCaption), p.caption, std::string_view(""));
    bag.Write(Stored(P::kIcon), p.icon, std::string_view(""));
    bag.Write(Stored(P::kIconAlign), p.iconAlign, 0L);
    bag.Write(Stored(P::kIconSize), p.iconSize, 16L);
    bag.Write(Stored(P::kCaptionAlign), p.captionAlign, 0L);
    bag.Write(Stored(P::kNonThemeStyle), p.nonThemeStyle, 5L);
    bag.WriteBool(Stored(P::kEnabled), p.enabled, true);
    bag.WriteBool(Stored(P::kShowFocus), p.showFocus, false);
    bag.WriteBool(Stored(P::kUseCustomColors), p.useCustomColors, false);
    bag.WriteColour(Stored(P::kBackColor), p.backColor, d.backColor);
    bag.WriteColour(Stored(P::kHighlightColor), p.highlightColor, d.highlightColor);
    bag.WriteColour(Stored(P::kFontColor), p.fontColor, d.fontColor);
    bag.WriteColour(Stored(P::kFontHighlightColor), p.fontHighlightColor, d.fontHighlightColor);
    bag.Write(Stored(P::kToolTip), p.toolTip, containerToolTip);
    bag.Write(Stored(P::kToolTipTitle), p.toolTipTitle, std::nullopt);
    bag.Write(Stored(P::kToolTipIcon), p.toolTipIcon, std::nullopt);
    bag.Write(Stored(P::kToolTipType), p.toolTipType, std::nullopt);
    bag.WriteColour(Stored(P::kToolTipBackColor), p.toolTipBackColor, d.toolTipBackColor);
    bag.WriteColour(Stored(P::kToolTipForeColor), p.toolTipForeColor, d.toolTipForeColor);
    bag.Write(Stored(P::kFont), p.font, std::nullopt);
    bag.Write(Stored(P::kButtonType), p.buttonType, 0L);
    bag.WriteBool(Stored(P::kValue), p.value, false);
    bag.WriteColour(Stored(P::kBackDrop), p.backDrop, 0xFFFFFF);
}

IsButtonProperties ReadButtonProperties(const PropertyBag& bag, std::string_view containerToolTip,
                                        std::string_view currentFont) {
    using P = ButtonProperty;
    const IsButtonProperties d;
    IsButtonProperties p;
    p.style = static_cast<int>(bag.Read(Stored(P::kStyle), 3L));
    p.caption = bag.Read(Stored(P::kCaption), std::string_view(kDefaultButtonCaption));
    p.icon = bag.Read(Stored(P::kIcon), std::string_view(""));
    p.iconAlign = static_cast<int>(bag.Read(Stored(P::kIconAlign), 1L));
    p.iconSize = static_cast<int>(static_cast<std::int16_t>(bag.Read(Stored(P::kIconSize), 16L)));
    p.captionAlign = static_cast<int>(bag.Read(Stored(P::kCaptionAlign), 0L));
    p.nonThemeStyle = static_cast<int>(bag.Read(Stored(P::kNonThemeStyle), 5L));
    p.enabled = bag.ReadBool(Stored(P::kEnabled), true);
    p.showFocus = bag.ReadBool(Stored(P::kShowFocus), false);
    p.useCustomColors = bag.ReadBool(Stored(P::kUseCustomColors), false);
    p.backColor = bag.ReadColour(Stored(P::kBackColor), d.backColor);
    p.highlightColor = bag.ReadColour(Stored(P::kHighlightColor), d.highlightColor);
    p.fontColor = bag.ReadColour(Stored(P::kFontColor), d.fontColor);
    p.fontHighlightColor = bag.ReadColour(Stored(P::kFontHighlightColor), d.fontHighlightColor);
    p.toolTip = bag.Read(Stored(P::kToolTip), containerToolTip);
    p.toolTipTitle = bag.Read(Stored(P::kToolTipTitle), std::string_view(""));
    p.toolTipIcon = static_cast<int>(bag.Read(Stored(P::kToolTipIcon), 0L));
    p.toolTipType = static_cast<int>(bag.Read(Stored(P::kToolTipType), 1L));
    p.toolTipBackColor = bag.ReadColour(Stored(P::kToolTipBackColor), d.toolTipBackColor);
    p.toolTipForeColor = bag.ReadColour(Stored(P::kToolTipForeColor), d.toolTipForeColor);
    p.font = bag.Read(Stored(P::kFont), currentFont);
    p.buttonType = static_cast<int>(bag.Read(Stored(P::kButtonType), 0L));
    p.value = bag.ReadBool(Stored(P::kValue), false);
    p.backDrop = bag.ReadColour(Stored(P::kBackDrop), 0xFFFFFF);
    return p;
}

PropertyBag ProgramButtonDesign(std::string_view caption) {
    IsButtonProperties p;
    p.caption = std::string(caption);
    p.style = kProgramButtonStyle;
    p.showFocus = true;
    p.iconAlign = 1;
    p.nonThemeStyle = 0;
    PropertyBag bag;
    WriteButtonProperties(p, bag);
    return bag;
}

}  // namespace tf
