#include "sim/SimDriverLoader.h"

#include "pod/DriverDecorator.h"

namespace nembra {

std::unique_ptr<FtdiDriver> SimDriverLoader::Load() {
    if (!available_) {
        return nullptr;
    }
    // A driver that forwards every call, so that the link may own and drop
    // its driver while the tests keep the device itself.
    return std::make_unique<DriverDecorator>(device_);
}

}  // namespace nembra
