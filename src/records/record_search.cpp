#include "records/record_search.h"

#include "base/like.h"
#include "base/text.h"

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

CredentialSlots FindAccounts(const RecordGrid& grid, std::string_view address) {
    CredentialSlots slots;
    const std::string_view wanted = TrimSpaces(address);
    if (wanted.empty()) return slots;
    // From the spare row on, as the lookup always has; it is blank and so never matches.
    for (int r = 1; r < grid.Rows(); ++r) {
        const std::string& url = grid.Cell(r, kLoginUrl);
        if (TrimSpaces(url) != wanted) continue;
        // A first match without a password gives way to the next one.
        if (TrimSpaces(slots.Text2).empty()) {
            slots.Text1 = grid.Cell(r, kAccount);
            slots.Text2 = grid.Cell(r, kPassword);
        } else {
            slots.Text3 = grid.Cell(r, kAccount);
            slots.Text4 = grid.Cell(r, kPassword);
        }
        slots.Text10 = url;
    }
    return slots;
}

}  // namespace tf
