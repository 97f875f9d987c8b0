#include "autofill/page_reader.h"

#include "autofill/address_reader.h"

#include <utility>

namespace tf {

bool PageReader::DueToAsk() const {
    return misses_ < kEagerAsks || (misses_ - kEagerAsks) % kSlowAskEvery == kSlowAskEvery - 1;
}

std::optional<std::string> PageReader::Read(BrowserWindows& windows, PageFamily family) {
    walking_ = false;
    pending_ = false;
    const bool askNow = std::exchange(askNow_, false);
    const std::uintptr_t window = windows.FrontPageWindow(family);
    if (window != window_ || family != family_) {
        // Another window in front (or none): what was kept belongs to the old one.
        family_ = family;
        window_ = window;
        open_ = false;
        misses_ = 0;
    }
    if (!window) {
        state_ = ReadState::kNoWindow;
        return std::nullopt;
    }

    if (open_) {
        PageAnswer kept = windows.ReadOpenPage();
        if (kept.kind == PageAnswer::kAddress && !kept.address.empty()) {
            state_ = ReadState::kAddress;
            return std::move(kept.address);
        }
        // A window that stopped answering is left alone until it answers again.
        if (kept.kind == PageAnswer::kNoAnswer) {
            pending_ = true;
            state_ = ReadState::kNotAnswering;
            return std::nullopt;
        }
        // The page was replaced (another tab, another document): look for the new one at once.
        open_ = false;
        misses_ = 0;
    }

    if (!askNow && !DueToAsk()) {
        // Not asked this tick: nothing is learnt, so what the last ask found stands.
        ++misses_;
        pending_ = true;
        return std::nullopt;
    }
    PageAnswer found = windows.OpenPage(window);
    if (found.kind == PageAnswer::kAddress && !found.address.empty()) {
        open_ = true;
        misses_ = 0;
        state_ = ReadState::kAddress;
        return std::move(found.address);
    }
    // A walk under way is progress, not a miss: it must not push the window into the slow rhythm.
    walking_ = found.kind == PageAnswer::kWalking;
    pending_ = walking_ || found.kind == PageAnswer::kNoAnswer;
    if (!walking_) ++misses_;
    if (found.kind == PageAnswer::kNoAnswer) {
        state_ = ReadState::kNotAnswering;
    } else if (walking_ || misses_ < kEagerAsks) {
        // A new window builds its tree on the first request.
        state_ = ReadState::kLoading;
    } else {
        state_ = ReadState::kAccessibilityOff;
    }
    return std::nullopt;
}

}  // namespace tf
