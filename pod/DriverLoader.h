#pragma once
#include <functional>
#include <memory>
#include <string>

#include "pod/FtdiDriver.h"

namespace nembra {

// Finds a usable driver library at run time. Null when none is usable.
class DriverLoader {
public:
    virtual ~DriverLoader() = default;
    virtual std::unique_ptr<FtdiDriver> Load() = 0;
    // Why the last Load gave no driver, for the user ("libftdi1 2.0 is not
    // supported: ..."); empty when it gave one or there is nothing to add.
    virtual std::string LoadFailure() const { return {}; }
};

// Which backend library to use: auto prefers libftd2xx and falls back to
// libftdi1 for each open it cannot make.
enum class DriverChoice { Auto, LibFtd2xx, LibFtdi1 };

// Loads one backend library; null, with `whyNot` set, when it is not usable.
using BackendLoad = std::function<std::unique_ptr<FtdiDriver>(std::string& whyNot)>;

struct BackendLoads {
    BackendLoad libftd2xx;
    BackendLoad libftdi1;
};

// The libraries of this machine: FTDI's libftd2xx.so and Debian's libftdi1.so.2.
BackendLoads SystemBackendLoads();

// The chosen backend; with auto, both when both load (see FallbackDriver),
// else whichever loads.
std::unique_ptr<DriverLoader> MakeDriverLoader(DriverChoice choice, BackendLoads loads);

std::unique_ptr<DriverLoader> MakeSystemDriverLoader(DriverChoice choice = DriverChoice::Auto);

}  // namespace nembra
