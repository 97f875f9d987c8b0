#include "base/windows_api_win.h"

#include <bcrypt.h>

#include <climits>

#include "base/system_random.h"

namespace tf {

bool SystemRandomBytes(void* data, std::size_t size) {
    auto* out = static_cast<unsigned char*>(data);
    while (size > 0) {
        const ULONG piece = size > ULONG_MAX ? ULONG_MAX : static_cast<ULONG>(size);
        // The system's preferred generator needs no algorithm handle. MinGW's headers leave out
        // STATUS_SUCCESS (0).
        if (BCryptGenRandom(nullptr, out, piece, BCRYPT_USE_SYSTEM_PREFERRED_RNG) != 0) return false;
        out += piece;
        size -= piece;
    }
    return true;
}

}  // namespace tf
