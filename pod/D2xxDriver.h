#pragma once
#include <memory>
#include <string>

#include "pod/FtdiDriver.h"

namespace nembra {

// FTDI's own D2XX library, loaded at run time; null when the library or one
// of the fifteen calls is missing (then `whyNot` says which).
std::unique_ptr<FtdiDriver> LoadD2xxDriver(const char* file = "libftd2xx.so", std::string* whyNot = nullptr);

}  // namespace nembra
