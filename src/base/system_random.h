// Random bytes for keys' salts and nonces come from the operating system through this port, so that
// the core's tests can pass a fake and the Windows build the system's generator.
#pragma once

#include <cstddef>
#include <functional>

namespace tf {

// Fills `size` bytes; false when the source failed (the bytes are then not to be used).
using RandomBytes = std::function<bool(void* data, std::size_t size)>;

// The platform's generator: getrandom on the host, BCryptGenRandom on Windows.
bool SystemRandomBytes(void* data, std::size_t size);

}  // namespace tf
