#pragma once
#include <ostream>

#include "station/RunOutcome.h"

namespace nembra::cli {

using CommandOutcome = station::RunOutcome;

// Where a command draws its progress.
struct ConsoleEnvironment {
    std::ostream& progressOut;
    bool interactive;
    int columns;
};

}  // namespace nembra::cli
