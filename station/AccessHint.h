#pragma once
#include <string>

#include "pod/DriverLoader.h"
#include "pod/FtdiDriver.h"

namespace nembra::station {

// Advice for a pod that is present but cannot be opened for lack of
// permission or because a kernel driver holds it; empty for any other cause.
std::string AccessHint(OpenFailureCause cause);

// Why no driver library loaded (the loader's words), naming --driver when
// the library was chosen by hand; empty when the loader cannot tell.
std::string DriverLoadHint(const std::string& loadFailure, DriverChoice choice);

}  // namespace nembra::station
