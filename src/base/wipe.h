// Overwriting memory that held a secret (a password copied for a moment) before it is freed or
// reused, so that it does not linger in freed heap blocks or in a reused string's spare room.
#pragma once

#include <cstddef>
#include <string>

namespace tf {

// Fills the bytes with zeros through a volatile pointer: the compiler may not drop the writes
// because the memory is about to be freed.
void WipeMemory(void* data, std::size_t size);

// Zeros the string's whole buffer, its spare capacity included, and leaves it empty (capacity kept).
void WipeString(std::string& text);

}  // namespace tf
