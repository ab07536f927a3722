#pragma once
#include <memory>

#include "pod/FtdiDriver.h"

namespace nembra {

// Finds a usable driver library at run time. Null when none is usable.
class DriverLoader {
public:
    virtual ~DriverLoader() = default;
    virtual std::unique_ptr<FtdiDriver> Load() = 0;
};

// FTDI's libftd2xx.so first, then Debian's libftdi1.so.2.
std::unique_ptr<DriverLoader> MakeSystemDriverLoader();

}  // namespace nembra
