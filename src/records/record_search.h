// The two searches over the record grid: the user's quick search, which hides the rows that do not
// contain the text, and the address lookup that fills the credential slots for the page in front.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "records/record_grid.h"

namespace tf {

// The search box's initial text; searching for it shows every row.
inline constexpr char kSearchPlaceholder[] = "You can press the front three fuzzy query";

// Shows the rows whose site name, address, account or search key match "*" + text + "*" with the
// pattern rules of Like; hides the others. Rows are never removed, so hidden ones are still saved.
void FilterGrid(RecordGrid& grid, std::string_view text);

// Text1/Text2: account and password of the first match with a password; Text3/Text4: the last
// further match; Text10: the address of the last match.
// The slots are copies of passwords made again on every watch tick: whatever they held is wiped
// when they are given new contents or dropped, so that no freed block keeps a password.
struct CredentialSlots {
    std::string Text1, Text2, Text3, Text4, Text10;

    CredentialSlots() = default;
    CredentialSlots(std::string text1, std::string text2, std::string text3 = {}, std::string text4 = {},
                    std::string text10 = {});
    CredentialSlots(const CredentialSlots&) = default;
    CredentialSlots(CredentialSlots&&) noexcept = default;
    CredentialSlots& operator=(const CredentialSlots& other);
    CredentialSlots& operator=(CredentialSlots&& other) noexcept;
    ~CredentialSlots();

    // Zeros all five texts and leaves them empty.
    void Wipe();
    bool operator==(const CredentialSlots&) const = default;
};

// Looks the page address up among the records' login addresses. The address is compared
// literally (spaces trimmed at both ends): page addresses are full of "#", "?" and "[", which
// must not act as wildcards.
CredentialSlots FindAccounts(const RecordGrid& grid, std::string_view address);
// The same for a page address known in more than one form: a record matches when its address
// equals any of them. Each record is looked at once, so one matching two forms counts once.
CredentialSlots FindAccounts(const RecordGrid& grid, std::initializer_list<std::string_view> addresses);
CredentialSlots FindAccounts(const RecordGrid& grid, const std::vector<std::string_view>& addresses);

}  // namespace tf
