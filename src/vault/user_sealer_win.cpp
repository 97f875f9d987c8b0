#include "vault/user_sealer_win.h"

#include "base/windows_api_win.h"
#include "base/wipe.h"

#include <dpapi.h>

namespace tf {
namespace {

// Mixed into the sealing, so that another program of the user asking Windows to open just any
// blob of ours does not get the password without knowing this too.
constexpr char kEntropy[] = "Tamborvin Form: the vault's remembered master password";
// A sealed password is a few hundred bytes: more is not one of ours.
constexpr std::size_t kMaxSealed = 64 * 1024;

DATA_BLOB Blob(const std::string& bytes) {
    return DATA_BLOB{static_cast<DWORD>(bytes.size()), reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data()))};
}

}  // namespace

std::optional<std::string> WindowsUserSealer::Seal(const std::string& secret) {
    if (secret.size() > kMaxSealed) return std::nullopt;
    DATA_BLOB in = Blob(secret);
    DATA_BLOB entropy{sizeof kEntropy - 1, reinterpret_cast<BYTE*>(const_cast<char*>(kEntropy))};
    DATA_BLOB out{};
    if (!CryptProtectData(&in, L"", &entropy, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out)) return std::nullopt;
    std::string sealed(reinterpret_cast<const char*>(out.pbData), out.cbData);
    LocalFree(out.pbData);
    return sealed;
}

std::optional<std::string> WindowsUserSealer::Open(const std::string& sealed) {
    if (sealed.empty() || sealed.size() > kMaxSealed) return std::nullopt;
    DATA_BLOB in = Blob(sealed);
    DATA_BLOB entropy{sizeof kEntropy - 1, reinterpret_cast<BYTE*>(const_cast<char*>(kEntropy))};
    DATA_BLOB out{};
    if (!CryptUnprotectData(&in, nullptr, &entropy, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out))
        return std::nullopt;
    std::string secret(reinterpret_cast<const char*>(out.pbData), out.cbData);
    WipeMemory(out.pbData, out.cbData);
    LocalFree(out.pbData);
    return secret;
}

}  // namespace tf
