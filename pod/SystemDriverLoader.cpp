#include "pod/D2xxDriver.h"
#include "pod/DriverLoader.h"
#include "pod/LibFtdiDriver.h"

namespace nembra {

namespace {

// FTDI's own library when installed (it is what the pod was built for), else
// Debian's libftdi1; neither is linked, so a machine without them still runs.
class SystemDriverLoader : public DriverLoader {
public:
    std::unique_ptr<FtdiDriver> Load() override {
        if (auto d2xx = LoadD2xxDriver()) {
            return d2xx;
        }
        if (auto api = LoadLibFtdiApi()) {
            return std::make_unique<LibFtdiDriver>(std::move(*api), [] { return ListFtdiUsbProducts(); });
        }
        return nullptr;
    }
};

}  // namespace

std::unique_ptr<DriverLoader> MakeSystemDriverLoader() { return std::make_unique<SystemDriverLoader>(); }

}  // namespace nembra
