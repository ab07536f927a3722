#pragma once
#include <string>

#include "files/BoundedLock.h"

namespace nembra::station {

// Every simulated pod's store is checked, and its folder made, before any
// pod runs: the store at `statePath`, or with `simPods` > 0 the store of
// each of those pods beside it. A file that holds something other than a
// pod's store (a mistyped --sim=firmware.out, say) would be replaced by the
// first POD Write; it is left as it is and refused. With `podWrite`, a store
// whose lock another process holds past the wait is refused as well. False
// with the reason; nothing is written.
bool PrepareSimStates(const std::string& statePath, int simPods, bool podWrite, const LockPatience& patience,
                      std::string& error);

}  // namespace nembra::station
