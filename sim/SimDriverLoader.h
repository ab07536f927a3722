#pragma once
#include <memory>

#include "pod/DriverLoader.h"
#include "sim/SimDevice.h"

namespace nembra {

// Hands the link a driver that forwards every call to one shared SimDevice,
// so tests keep their hands on the device after the link has loaded it.
class SimDriverLoader : public DriverLoader {
public:
    explicit SimDriverLoader(SimDevice& device) : device_(device) {}
    // False: behaves as a machine without any driver library.
    void SetAvailable(bool available) { available_ = available; }
    std::unique_ptr<FtdiDriver> Load() override;

private:
    SimDevice& device_;
    bool available_ = true;
};

}  // namespace nembra
