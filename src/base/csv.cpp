#include "base/csv.h"

#include <cstdint>

#include "base/utf8.h"

namespace tf::csv {

namespace {

// A byte no UTF-8 text holds: what a UTF-16 unit that is no character becomes, so that the reader
// refuses it at its row like any other bad text.
constexpr char kNoCharacter = '\xFF';

std::string FromUtf16(std::string_view bytes, bool bigEnd) {
    auto unit = [&](std::size_t i) -> char32_t {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return bigEnd ? (char32_t{a} << 8 | b) : (char32_t{b} << 8 | a);
    };
    std::string out;
    out.reserve(bytes.size() / 2 * 3);  // at most three bytes of UTF-8 per unit
    std::size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        char32_t c = unit(i);
        if (c >= 0xD800 && c <= 0xDBFF && i + 3 < bytes.size()) {
            const char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        if (c >= 0xD800 && c <= 0xDFFF) {
            out.push_back(kNoCharacter);
        } else {
            AppendUtf8(out, c);
        }
    }
    if (i < bytes.size()) out.push_back(kNoCharacter);  // half a unit at the end
    return out;
}

bool IsUtf8(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size();) {
        if (static_cast<unsigned char>(text[pos]) < 0x80) {
            ++pos;
            continue;
        }
        const std::size_t start = pos;
        // A malformed byte gives U+FFFD and moves one byte; a real U+FFFD moves three.
        if (NextCodePoint(text, pos) == kReplacementChar && pos == start + 1) return false;
    }
    return true;
}

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    std::optional<std::vector<Row>> ReadAll(Error& error) {
        std::vector<Row> rows;
        std::size_t number = 0;
        while (pos_ < text_.size()) {
            if (++number > kMaxRows) return Fail(ErrorKind::kTooManyRows, number, error);
            Row row;
            row.number = number;
            bool quotedAny = false;
            for (;;) {
                std::string field;
                bool quoted = false;
                if (const ErrorKind kind = ReadField(field, quoted); kind != ErrorKind::kNone) {
                    return Fail(kind, number, error);
                }
                if (!IsUtf8(field)) return Fail(ErrorKind::kBadText, number, error);
                if (row.fields.size() == kMaxFieldsPerRow || fields_ == kMaxFields) {
                    return Fail(ErrorKind::kTooManyFields, number, error);
                }
                quotedAny = quotedAny || quoted;
                row.fields.push_back(std::move(field));
                ++fields_;
                if (pos_ < text_.size() && text_[pos_] == ',') {
                    ++pos_;
                    continue;
                }
                // The row ends: CR LF, LF, a lone CR or the end of the text.
                if (pos_ < text_.size() && text_[pos_] == '\r') ++pos_;
                if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
                break;
            }
            // An empty line; a row of one empty quoted field is not one.
            if (row.fields.size() == 1 && row.fields[0].empty() && !quotedAny) continue;
            rows.push_back(std::move(row));
        }
        return rows;
    }

private:
    std::nullopt_t Fail(ErrorKind kind, std::size_t row, Error& error) {
        error = {kind, row};
        return std::nullopt;
    }

    // One field from pos_, which is left on what follows it (a comma, a line break or the end).
    ErrorKind ReadField(std::string& field, bool& quoted) {
        if (pos_ < text_.size() && text_[pos_] == '"') {
            quoted = true;
            ++pos_;
            for (;;) {
                const std::size_t quote = text_.find('"', pos_);
                if (quote == std::string_view::npos) return ErrorKind::kUnclosedQuote;
                if (field.size() + (quote - pos_) > kMaxFieldBytes) return ErrorKind::kFieldTooLarge;
                field.append(text_.substr(pos_, quote - pos_));
                pos_ = quote + 1;
                if (pos_ < text_.size() && text_[pos_] == '"') {  // a quote written twice
                    field.push_back('"');
                    ++pos_;
                    continue;
                }
                break;
            }
            if (pos_ < text_.size() && text_[pos_] != ',' && text_[pos_] != '\r' && text_[pos_] != '\n') {
                return ErrorKind::kStrayQuote;
            }
            return field.size() > kMaxFieldBytes ? ErrorKind::kFieldTooLarge : ErrorKind::kNone;
        }
        std::size_t end = text_.find_first_of(",\r\n\"", pos_);
        if (end == std::string_view::npos) end = text_.size();
        if (end < text_.size() && text_[end] == '"') return ErrorKind::kStrayQuote;
        if (end - pos_ > kMaxFieldBytes) return ErrorKind::kFieldTooLarge;
        field.assign(text_.substr(pos_, end - pos_));
        pos_ = end;
        return ErrorKind::kNone;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    std::size_t fields_ = 0;
};

}  // namespace

std::optional<std::vector<Row>> Read(std::string_view bytes, Error& error) {
    error = {};
    if (bytes.size() > kMaxFileBytes) {
        error = {ErrorKind::kFileTooLarge, 0};
        return std::nullopt;
    }
    std::string converted;
    std::string_view text = bytes;
    if (text.starts_with(kUtf8Mark)) {
        text.remove_prefix(3);
    } else if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF")) {
        converted = FromUtf16(text.substr(2), text[0] == '\xFE');
        text = converted;
    }
    return Reader(text).ReadAll(error);
}

std::string RowText(std::size_t row, std::string_view text) {
    return "第 " + std::to_string(row) + " 行：" + std::string(text);
}

std::string ErrorMessage(const Error& error) {
    const char* text = "";
    switch (error.kind) {
        case ErrorKind::kNone:
            return {};
        case ErrorKind::kFileTooLarge:
            text = kMsgFileTooLarge;
            break;
        case ErrorKind::kBadText:
            text = kMsgBadText;
            break;
        case ErrorKind::kFieldTooLarge:
            text = kMsgFieldTooLarge;
            break;
        case ErrorKind::kTooManyRows:
            text = kMsgTooManyRows;
            break;
        case ErrorKind::kTooManyFields:
            text = kMsgTooManyFields;
            break;
        case ErrorKind::kUnclosedQuote:
            text = kMsgUnclosedQuote;
            break;
        case ErrorKind::kStrayQuote:
            text = kMsgStrayQuote;
            break;
    }
    return error.row == 0 ? std::string(text) : RowText(error.row, text);
}

void AppendRow(std::string& out, const std::vector<std::string_view>& fields) {
    // A row of one empty field written bare would be an empty line, which a reader skips.
    if (fields.size() == 1 && fields[0].empty()) {
        out.append("\"\"\r\n");
        return;
    }
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::string_view field = fields[i];
        if (i > 0) out.push_back(',');
        const bool quote = field.find_first_of(",\"\r\n") != std::string_view::npos ||
                           (!field.empty() && (field.front() == ' ' || field.front() == '\t' || field.back() == ' ' ||
                                               field.back() == '\t'));
        if (!quote) {
            out.append(field);
            continue;
        }
        out.push_back('"');
        for (const char c : field) {
            if (c == '"') out.push_back('"');
            out.push_back(c);
        }
        out.push_back('"');
    }
    out.append("\r\n");
}

}  // namespace tf::csv
