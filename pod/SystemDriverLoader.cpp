#include "pod/D2xxDriver.h"
#include "pod/DriverLoader.h"
#include "pod/FallbackDriver.h"
#include "pod/LibFtdiDriver.h"
#include "pod/SysfsOpenCause.h"

namespace nembra {

namespace {

class ChoosingDriverLoader : public DriverLoader {
public:
    ChoosingDriverLoader(DriverChoice choice, BackendLoads loads) : choice_(choice), loads_(std::move(loads)) {}

    std::unique_ptr<FtdiDriver> Load() override {
        failure_.clear();
        std::unique_ptr<FtdiDriver> d2xx = choice_ != DriverChoice::LibFtdi1 ? LoadOne(loads_.libftd2xx) : nullptr;
        std::unique_ptr<FtdiDriver> libftdi = choice_ != DriverChoice::LibFtd2xx ? LoadOne(loads_.libftdi1) : nullptr;
        if (d2xx != nullptr && libftdi != nullptr) {
            return std::make_unique<FallbackDriver>(std::move(d2xx), std::move(libftdi));
        }
        if (d2xx != nullptr || libftdi != nullptr) {
            failure_.clear();  // the one that did not load is not missed
            return d2xx != nullptr ? std::move(d2xx) : std::move(libftdi);
        }
        return nullptr;
    }
    std::string LoadFailure() const override { return failure_; }

private:
    std::unique_ptr<FtdiDriver> LoadOne(const BackendLoad& load) {
        std::string whyNot;
        std::unique_ptr<FtdiDriver> driver = load ? load(whyNot) : nullptr;
        if (driver == nullptr && !whyNot.empty()) {
            failure_ += (failure_.empty() ? "" : "; ") + whyNot;
        }
        return driver;
    }

    DriverChoice choice_;
    BackendLoads loads_;
    std::string failure_;
};

}  // namespace

// FTDI's own library is what the pod was built for; Debian's libftdi1 is
// the one a Debian machine has. Neither is linked, so a machine without
// them still runs.
BackendLoads SystemBackendLoads() {
    BackendLoads loads;
    loads.libftd2xx = [](std::string& whyNot) {
        return WithSysfsOpenCause(LoadD2xxDriver("libftd2xx.so", &whyNot), [] { return ListFtdiUsbProducts(); });
    };
    loads.libftdi1 = [](std::string& whyNot) -> std::unique_ptr<FtdiDriver> {
        auto api = LoadLibFtdiApi(&whyNot);
        if (!api) return nullptr;
        return std::make_unique<LibFtdiDriver>(std::move(*api), [] { return ListFtdiUsbProducts(); });
    };
    return loads;
}

std::unique_ptr<DriverLoader> MakeDriverLoader(DriverChoice choice, BackendLoads loads) {
    return std::make_unique<ChoosingDriverLoader>(choice, std::move(loads));
}

std::unique_ptr<DriverLoader> MakeSystemDriverLoader(DriverChoice choice) {
    return MakeDriverLoader(choice, SystemBackendLoads());
}

}  // namespace nembra
