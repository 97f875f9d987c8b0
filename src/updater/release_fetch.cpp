#include "updater/release_fetch.h"

namespace tf {

FetchStep ReleaseFetch::Open() {
    if (running_) return FetchStep::kNothing;
    running_ = true;
    return FetchStep::kFetch;
}

FetchStep ReleaseFetch::UpdatePressed() {
    if (held_) return FetchStep::kUpdate;
    waiting_ = true;
    return Open();
}

FetchStep ReleaseFetch::Fetched(bool ok) {
    running_ = false;
    held_ = ok;
    const bool waiting = waiting_;
    waiting_ = false;
    return ok && waiting ? FetchStep::kUpdate : FetchStep::kNothing;
}

}  // namespace tf
