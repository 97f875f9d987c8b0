#include "records/exit_flow.h"

namespace tf {

bool ExitFlow::Run(const Steps& steps) {
    if (ended_) return true;
    if (running_) return false;
    running_ = true;
    // Ending after a failed save would throw away what the vault file does not hold: the user may
    // free the disk or the folder first and exit again.
    if (steps.dataChanged() && !steps.save() && !steps.endWithoutSaving()) {
        running_ = false;
        return false;
    }
    ended_ = true;
    steps.end();
    return true;
}

bool SessionMayEnd(bool dataChanged, const std::function<bool()>& save) { return !dataChanged || save(); }

}  // namespace tf
