#pragma once
#include <string>

#include "pod/FtdiDriver.h"

namespace nembra::cli {

// Advice for a pod that is present but cannot be opened for lack of
// permission or because a kernel driver holds it; empty for any other cause.
std::string AccessHint(OpenFailureCause cause);

}  // namespace nembra::cli
