#pragma once
#include <ostream>

#include "cli/CliMain.h"
#include "cli/CliOptions.h"
#include "station/PodStation.h"

namespace nembra::cli {

// `list`: every attached device with its index, serial number, description,
// backend, USB location and whether this user can open it (with the udev
// hint when not), as a table or, with --json, one object {"ok", "pods": [...]}.
ExitStatus RunListCommand(const CliOptions& options, station::PodStation& station, std::ostream& out,
                          std::ostream& err);

}  // namespace nembra::cli
