#pragma once
#include <ostream>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/CommandOutcome.h"
#include "cli/PodCommandRunner.h"

namespace nembra::cli {

// How one pod of a run ended.
struct PodResult {
    std::string serial;
    CommandOutcome outcome;
    PodRunFacts facts;
    bool unfinished = false;  // stopped by Ctrl-C before it completed
};

// Several pods: one final line per pod prefixed with its serial number
// (stdout when it is information, stderr when it is an error), then
// "N pods: S succeeded, F failed, slowest X.XX sec"; with --json one object
// with a "pods" array of the single-pod objects and a "summary".
void PrintGangOutcome(const CliOptions& options, const std::vector<PodResult>& pods, std::ostream& out,
                      std::ostream& err);

// "Stopped: the boards on SIM00002, SIM00003 were left unfinished", or empty.
std::string UnfinishedLine(const std::vector<PodResult>& pods);

}  // namespace nembra::cli
