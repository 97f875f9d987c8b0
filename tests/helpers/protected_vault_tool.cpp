// Writes and reads protected vaults for the check against an independent implementation
// (tests/vault/protected_vault_cross_check.py):
//   protected_vault_tool write FILE PASSWORD MEMORY_KIB PASSES LANES   also writes FILE.plain
//   protected_vault_tool read FILE PASSWORD EXPECTED_PLAIN_FILE
// Exit codes: 0 done and equal, 1 usage or I/O, 2 wrong password, 3 other failure to open, 4 differs.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "vault/protected_vault.h"
#include "vault/vault_file.h"

namespace {

bool ReadFile(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    out.assign(std::istreambuf_iterator<char>(in), {});
    return static_cast<bool>(in) || in.eof();
}

bool WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "write" && argc == 7) {
        std::vector<tf::LoginRecord> records(3);
        const char* const sites[] = {"新浪微博", "mail, \"quoted\"", "😀 emoji"};
        for (std::size_t i = 0; i < records.size(); ++i) {
            records[i][tf::kLineNum] = std::to_string(i + 2);
            records[i][tf::kSiteName] = sites[i];
            records[i][tf::kPassword] = "pässwörd" + std::to_string(i);
        }
        const tf::KdfParams params{static_cast<std::uint32_t>(std::stoul(argv[4])),
                                   static_cast<std::uint32_t>(std::stoul(argv[5])),
                                   static_cast<std::uint32_t>(std::stoul(argv[6]))};
        const std::optional<tf::VaultKey> key = tf::DeriveNewVaultKey(argv[3], params, tf::SystemRandomBytes);
        if (!key) return 3;
        const std::string inner = tf::FormatVault(records);
        const std::optional<std::string> sealed = tf::SealVault(inner, *key, tf::SystemRandomBytes);
        return sealed && WriteFile(argv[2], *sealed) && WriteFile(std::string(argv[2]) + ".plain", inner) ? 0 : 1;
    }
    if (mode == "read" && argc == 5) {
        std::string bytes, expected;
        if (!ReadFile(argv[2], bytes) || !ReadFile(argv[4], expected)) return 1;
        const tf::OpenedVault opened = tf::OpenVault(bytes, argv[3]);
        if (opened.status == tf::OpenStatus::kWrongPassword) return 2;
        if (opened.status != tf::OpenStatus::kOpened) return 3;
        return opened.inner == expected ? 0 : 4;
    }
    std::fputs("usage: protected_vault_tool write FILE PASSWORD MEMORY_KIB PASSES LANES | read FILE PASSWORD PLAIN\n",
               stderr);
    return 1;
}
