// A held hotkey fires again at every auto-repeat of its key. Registered with MOD_NOREPEAT it does
// not, but systems before Windows 7 and Wine ignore that flag: this tells the repeats from new
// presses where the system does not.
#pragma once

#include <vector>

namespace tf {

class RepeatGuard {
public:
    // A press of the key; false when it was not seen up since its last press that counted, which
    // makes this one an auto-repeat.
    bool Counts(int key);
    // The key was seen up: its next press counts.
    void SeenUp(int key);
    // The keys whose release is awaited, to be looked at until they are up.
    const std::vector<int>& Held() const { return held_; }

private:
    std::vector<int> held_;
};

}  // namespace tf
