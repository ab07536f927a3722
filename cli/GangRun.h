#pragma once
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/GangBoard.h"
#include "cli/GangOutput.h"
#include "cli/PodStation.h"
#include "image/ProgramImage.h"
#include "pod/StopRequest.h"

namespace nembra::cli {

// Runs the command on every pod at the same time, each on its own thread,
// backend and link, all reading the one `image` (null: each loads FILE).
// Nothing else is shared but the board, which draws one line per pod (null:
// nothing drawn). A pod that fails or is pulled out ends its own thread
// only; `stop` ends them all at their next step. Each pod writes its own
// --trace and --sim-target-hex file, named by PodFilePath.
std::vector<PodResult> RunPodsAtOnce(const CliOptions& options, PodStation& station,
                                     const std::vector<std::string>& serials, const ProgramImage* image,
                                     const StopRequest& stop, GangBoard* board);
// The same with each pod's own image (`images[i]` for `serials[i]`), as a
// job's serial numbers make them.
std::vector<PodResult> RunPodsAtOnce(const CliOptions& options, PodStation& station,
                                     const std::vector<std::string>& serials,
                                     const std::vector<const ProgramImage*>& images, const StopRequest& stop,
                                     GangBoard* board);

}  // namespace nembra::cli
