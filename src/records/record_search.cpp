#include "records/record_search.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "base/like.h"
#include "base/text.h"
#include "base/wipe.h"

namespace tf {

void FilterGrid(RecordGrid& grid, std::string_view text) {
    if (text == kSearchPlaceholder) {
        for (int r = kFirstRecordRow; r < grid.Rows(); ++r) grid.SetRowHidden(r, false);
        return;
    }
    std::string pattern;
    pattern.reserve(text.size() + 2);
    pattern.append("*").append(text).append("*");
    const LikePattern like(pattern);
    for (int r = kFirstRecordRow; r < grid.Rows(); ++r) {
        bool shown = false;
        for (int col : {kSiteName, kLoginUrl, kAccount, kCoding}) {
            if (like.Matches(grid.Cell(r, col))) {
                shown = true;
                break;
            }
        }
        grid.SetRowHidden(r, !shown);
    }
}

CredentialSlots::CredentialSlots(std::string text1, std::string text2, std::string text3, std::string text4,
                                 std::string text10)
    : Text1(std::move(text1)),
      Text2(std::move(text2)),
      Text3(std::move(text3)),
      Text4(std::move(text4)),
      Text10(std::move(text10)) {}

CredentialSlots& CredentialSlots::operator=(const CredentialSlots& other) {
    if (this == &other) return *this;
    // Assigning a longer text would free the old buffer unwiped.
    Wipe();
    Text1 = other.Text1;
    Text2 = other.Text2;
    Text3 = other.Text3;
    Text4 = other.Text4;
    Text10 = other.Text10;
    return *this;
}

CredentialSlots& CredentialSlots::operator=(CredentialSlots&& other) noexcept {
    if (this == &other) return *this;
    Wipe();
    Text1 = std::move(other.Text1);
    Text2 = std::move(other.Text2);
    Text3 = std::move(other.Text3);
    Text4 = std::move(other.Text4);
    Text10 = std::move(other.Text10);
    return *this;
}

CredentialSlots::~CredentialSlots() { Wipe(); }

void CredentialSlots::Wipe() {
    for (std::string* text : {&Text1, &Text2, &Text3, &Text4, &Text10}) WipeString(*text);
}

CredentialSlots FindAccounts(const RecordGrid& grid, std::string_view address) { return FindAccounts(grid, {address}); }

CredentialSlots FindAccounts(const RecordGrid& grid, std::initializer_list<std::string_view> addresses) {
    return FindAccounts(grid, std::vector<std::string_view>(addresses));
}

CredentialSlots FindAccounts(const RecordGrid& grid, const std::vector<std::string_view>& addresses) {
    CredentialSlots slots;
    std::vector<std::string_view> wanted;
    for (std::string_view address : addresses) {
        if (std::string_view t = TrimSpaces(address); !t.empty()) wanted.push_back(t);
    }
    if (wanted.empty()) return slots;
    // From the spare row on, as the lookup always has; it is blank and so never matches.
    for (int r = 1; r < grid.Rows(); ++r) {
        const std::string& url = grid.Cell(r, kLoginUrl);
        if (std::find(wanted.begin(), wanted.end(), TrimSpaces(url)) == wanted.end()) continue;
        // A first match without a password gives way to the next one.
        if (TrimSpaces(slots.Text2).empty()) {
            slots.Text1 = grid.Cell(r, kAccount);
            slots.Text2 = grid.Cell(r, kPassword);
        } else {
            // A later match replaces the earlier one's texts.
            WipeString(slots.Text3);
            WipeString(slots.Text4);
            slots.Text3 = grid.Cell(r, kAccount);
            slots.Text4 = grid.Cell(r, kPassword);
        }
        slots.Text10 = url;
    }
    return slots;
}

}  // namespace tf
