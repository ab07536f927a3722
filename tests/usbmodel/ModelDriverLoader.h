#pragma once
#include <memory>
#include <string>
#include <vector>

#include "pod/DriverLoader.h"
#include "pod/LibFtdiDriver.h"
#include "pod/LinkClock.h"

namespace nembra::usbmodel {

// The real libftdi1 backend with the bus's clock as its own and no sysfs to
// look at, as in a container.
inline std::unique_ptr<FtdiDriver> LoadModelLibFtdi(LinkClock& clock, std::string* whyNot = nullptr) {
    auto api = LoadLibFtdiApi(whyNot);
    if (!api) return nullptr;
    api->nowMs = [&clock] { return uint64_t{clock.NowMs()}; };
    return std::make_unique<LibFtdiDriver>(std::move(*api), [] { return std::vector<UsbProduct>{}; });
}

class ModelDriverLoader : public DriverLoader {
public:
    explicit ModelDriverLoader(LinkClock& clock) : clock_(clock) {}
    std::unique_ptr<FtdiDriver> Load() override { return LoadModelLibFtdi(clock_); }

private:
    LinkClock& clock_;
};

}  // namespace nembra::usbmodel
