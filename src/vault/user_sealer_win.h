// The remembered password of a protected vault, sealed by Windows with the user's own key: only
// this Windows user can open it again, and no question is shown on the way.
#pragma once

#include "vault/vault_lock.h"

namespace tf {

class WindowsUserSealer : public SecretSealer {
public:
    std::optional<std::string> Seal(const std::string& secret) override;
    std::optional<std::string> Open(const std::string& sealed) override;
};

}  // namespace tf
