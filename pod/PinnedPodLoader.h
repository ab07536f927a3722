#pragma once
#include <memory>
#include <string>

#include "pod/DriverLoader.h"
#include "pod/StopRequest.h"

namespace nembra {

// Loads drivers that show the link one device only, the one with this serial
// number, and open it by its serial number; the link finds and opens it as it
// would the first pod by description. Once `stop` is requested every call
// but FT_Close fails as on a pod pulled out, so that the running sequence
// ends at its next step and the link closes. Null `stop`: never stopped.
// An empty serial number pins nothing: the link sees every device.
class PinnedPodLoader : public DriverLoader {
public:
    PinnedPodLoader(DriverLoader& inner, std::string serial, const StopRequest* stop)
        : inner_(inner), serial_(std::move(serial)), stop_(stop) {}
    std::unique_ptr<FtdiDriver> Load() override;
    std::string LoadFailure() const override { return inner_.LoadFailure(); }

private:
    DriverLoader& inner_;
    std::string serial_;
    const StopRequest* stop_;
};

}  // namespace nembra
