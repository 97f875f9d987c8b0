#include <sys/random.h>

#include <cerrno>

#include "base/system_random.h"

namespace tf {

bool SystemRandomBytes(void* data, std::size_t size) {
    auto* out = static_cast<unsigned char*>(data);
    while (size > 0) {
        // Blocks only until the kernel's pool was first seeded; large requests may come back short.
        const ssize_t n = ::getrandom(out, size, 0);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        out += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace tf
