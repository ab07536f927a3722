#pragma once
#include "NembraVersion.h"

namespace nembra {

// The program and its version, as --version and the board records give it.
inline constexpr const char* kStationTool = "nembra-station " NEMBRA_VERSION;

// nembra-station: reads its options, makes the station (USB or simulated
// pods), asks for the job file when none is given and runs the operator's
// window until it is closed. Returns the exit status.
int RunStationApp(int argc, char** argv);

}  // namespace nembra
