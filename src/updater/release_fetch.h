// When the updater fetches its release description, and what "Update" does while it has none.
#pragma once

namespace tf {

enum class FetchStep { kNothing, kFetch, kUpdate };

// The description is fetched when the window opens. A press of "Update" without one fetches it
// again, as the user asked for the update and a server that was down may be back, and the update
// goes on once it arrives; a press while a fetch runs waits for that one instead of starting another.
class ReleaseFetch {
public:
    // The window opened: fetch, unless a fetch runs.
    FetchStep Open();
    FetchStep UpdatePressed();
    // The fetch ended; kUpdate when a press was waiting for this description.
    FetchStep Fetched(bool ok);

private:
    bool held_ = false;
    bool running_ = false;
    bool waiting_ = false;
};

}  // namespace tf
