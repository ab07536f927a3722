#pragma once
#include <memory>

#include "pod/FtdiDriver.h"

namespace nembra {

// FTDI's own D2XX library, loaded at run time; null when the library or one
// of the fifteen calls is missing.
std::unique_ptr<FtdiDriver> LoadD2xxDriver(const char* file = "libftd2xx.so");

}  // namespace nembra
