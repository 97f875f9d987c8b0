#include "base/wipe.h"

namespace tf {

void WipeMemory(void* data, std::size_t size) {
    volatile unsigned char* p = static_cast<volatile unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) p[i] = 0;
}

void WipeString(std::string& text) {
    // Growing to the capacity never reallocates, and makes the spare room (which may hold the end
    // of a longer text the string held before) part of the text that may be written.
    text.resize(text.capacity());
    WipeMemory(text.data(), text.size());
    text.clear();
}

}  // namespace tf
