#include <memory>

#include "app/ProgrammerApp.h"
#include "ops/OpsClock.h"
#include "pod/DriverLoader.h"
#include "pod/LinkClock.h"

namespace {

// The pod on USB through the system's FTDI driver library.
class UsbBackend : public nembra::BackendOwner {
public:
    nembra::ProgrammerBackend backend() override { return {*loader_, linkClock_, opsClock_}; }

private:
    std::unique_ptr<nembra::DriverLoader> loader_ = nembra::MakeSystemDriverLoader();
    nembra::SystemLinkClock linkClock_;
    nembra::SystemOpsClock opsClock_;
};

}  // namespace

int main(int argc, char** argv) {
    return nembra::CProgrammerApp::Run(argc, argv, [] { return std::make_unique<UsbBackend>(); });
}
