#pragma once
#include <ostream>

#include "cli/CliMain.h"
#include "cli/CliOptions.h"
#include "station/PodStation.h"

namespace nembra::cli {

// write, reset, info, pod-write and pod-verify on the pods --pod selects: one pod as the window would run
// it, or several at once, each on its own link and thread with the image
// loaded once, one progress line each on a terminal, then one final line
// per pod and a summary. Ctrl-C stops every run at its next step. With
// --log one record per pod is appended.
ExitStatus RunPodCommand(const CliOptions& options, station::PodStation& station, std::ostream& out, std::ostream& err,
                         const CliEnvironment& environment);

}  // namespace nembra::cli
