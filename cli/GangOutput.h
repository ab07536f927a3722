#pragma once
#include <ostream>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/CommandOutcome.h"
#include "station/GangRun.h"

namespace nembra::cli {

// Several pods: one final line per pod prefixed with its serial number
// (stdout when it is information, stderr when it is an error), then
// "N pods: S succeeded, F failed, slowest X.XX sec"; with --json one object
// with a "pods" array of the single-pod objects and a "summary".
void PrintGangOutcome(const CliOptions& options, const std::vector<station::PodResult>& pods, std::ostream& out,
                      std::ostream& err);

}  // namespace nembra::cli
