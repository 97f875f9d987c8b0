// One web-site login: ten text fields in a fixed order, which is also the order of the vault
// file's fields and of the record grid's columns.
#pragma once

#include <array>
#include <string>

namespace tf {

enum RecordField : int {
    kLineNum = 0,
    kSiteName,
    kLoginUrl,
    kAccount,
    kPassword,
    kMailbox,
    kQuestion,
    kAnswer,
    kRemark,
    kCoding,
    kRecordFieldCount
};

struct LoginRecord {
    std::array<std::string, kRecordFieldCount> fields;

    std::string& operator[](int field) { return fields[static_cast<std::size_t>(field)]; }
    const std::string& operator[](int field) const { return fields[static_cast<std::size_t>(field)]; }
    bool operator==(const LoginRecord&) const = default;
};

}  // namespace tf
