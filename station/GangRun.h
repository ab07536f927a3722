#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "image/ProgramImage.h"
#include "ops/OpsClock.h"
#include "pod/StopRequest.h"
#include "station/PodRun.h"
#include "station/PodStation.h"
#include "status/StatusSink.h"

namespace nembra::station {

// How one pod of a run ended.
struct PodResult {
    std::string serial;
    RunOutcome outcome;
    PodRunFacts facts;
    bool unfinished = false;  // stopped before it completed
};

// The status of pod `pod` (its index in the run), made on that pod's thread
// and called only from it; null: the pod reports nowhere.
using StatusFactory = std::function<std::unique_ptr<StatusSink>(size_t pod, OpsClock& clock)>;

// Called on pod `pod`'s thread the moment its operation has ended, with how
// it ended, before the other pods of the run are done. It may add to the
// result (a record that was not kept fails the board); the run returns it so.
using PodDone = std::function<void(size_t pod, PodResult& result)>;

// Runs the request on every pod at the same time, each on its own thread,
// backend and link, pod `i` reading `images[i]` (null: it loads the job's
// file itself). Nothing else is shared. A pod that fails or is pulled out
// ends its own thread only; `stop` ends them all at their next step. Each
// pod writes its own trace and target memory file, named by PodFilePath.
std::vector<PodResult> RunPodsAtOnce(const PodRequest& request, PodStation& station,
                                     const std::vector<std::string>& serials,
                                     const std::vector<const ProgramImage*>& images, const StopRequest& stop,
                                     const StatusFactory& status, const PodDone& done = nullptr);

// "Stopped: the boards on SIM00002, SIM00003 were left unfinished", or empty.
std::string UnfinishedLine(const std::vector<PodResult>& pods);

}  // namespace nembra::station
