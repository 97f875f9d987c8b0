#include "hotkeys/key_repeat.h"

#include <algorithm>

namespace tf {

bool RepeatGuard::Counts(int key) {
    if (std::find(held_.begin(), held_.end(), key) != held_.end()) return false;
    held_.push_back(key);
    return true;
}

void RepeatGuard::SeenUp(int key) { std::erase(held_, key); }

}  // namespace tf
