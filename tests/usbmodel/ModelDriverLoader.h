#pragma once
#include <memory>
#include <vector>

#include "pod/DriverLoader.h"
#include "pod/LibFtdiDriver.h"
#include "pod/LinkClock.h"

namespace nembra::usbmodel {

// The real libftdi1 backend with the bus's clock as its own and no sysfs to
// look at, as in a container.
class ModelDriverLoader : public DriverLoader {
public:
    explicit ModelDriverLoader(LinkClock& clock) : clock_(clock) {}
    std::unique_ptr<FtdiDriver> Load() override {
        auto api = LoadLibFtdiApi();
        if (!api) return nullptr;
        api->nowMs = [&clock = clock_] { return uint64_t{clock.NowMs()}; };
        return std::make_unique<LibFtdiDriver>(std::move(*api), [] { return std::vector<UsbProduct>{}; });
    }

private:
    LinkClock& clock_;
};

}  // namespace nembra::usbmodel
