// The two-backend driver and the loader that chooses backends, on simulated
// FTDI device lists standing in for libftd2xx and libftdi1.
#include <gtest/gtest.h>

#include "pod/DriverDecorator.h"
#include "pod/DriverLoader.h"
#include "pod/FallbackDriver.h"
#include "pod/LibFtdiDriver.h"
#include "pod/PodListing.h"
#include "tests/pod/LinkFixture.h"

namespace nembra::testing {
namespace {

// A simulated device list under a backend's name.
class Named : public DriverDecorator {
public:
    Named(std::unique_ptr<FtdiDriver> inner, std::string name)
        : DriverDecorator(std::move(inner)), name_(std::move(name)) {}
    std::string BackendName() const override { return name_; }

private:
    std::string name_;
};

// One backend: a device list with the pod (answering on its own peer) at index 0.
struct Backend {
    Backend(VirtualClock& clock, std::string name) : device(clock), loader(device), name_(std::move(name)) {
        device.AddDevice(kPodDescription, &pod, "FT0001");
    }
    std::unique_ptr<FtdiDriver> Driver() { return std::make_unique<Named>(loader.Load(), name_); }

    ScriptedPeer pod;
    SimDevice device;
    SimDriverLoader loader;

private:
    std::string name_;
};

class FallbackTest : public ::testing::Test {
protected:
    FallbackTest() : d2xx(clock, "libftd2xx"), libftdi(clock, "libftdi1") {}

    // A link over both backends, libftd2xx first.
    class BothLoader : public DriverLoader {
    public:
        explicit BothLoader(FallbackTest& t) : t_(t) {}
        std::unique_ptr<FtdiDriver> Load() override {
            return std::make_unique<FallbackDriver>(t_.d2xx.Driver(), t_.libftdi.Driver());
        }

    private:
        FallbackTest& t_;
    };

    OpenResult Open() {
        link.SetObserver(&observer);
        EXPECT_TRUE(link.LoadDriverLibrary());
        EXPECT_TRUE(link.FindPod());
        return link.OpenPod();
    }

    VirtualClock clock{1000};
    Backend d2xx;
    Backend libftdi;
    BothLoader loader{*this};
    PodLink link{loader, clock};
    RecordingObserver observer;
};

TEST_F(FallbackTest, KernelDriverOnLibFtd2xxOpensThroughLibFtdi1AndStaysThere) {
    d2xx.device.SetOpenRefused(0, OpenFailureCause::HeldByKernelDriver);
    ASSERT_EQ(Open(), OpenResult::Opened);
    EXPECT_EQ(link.lastOpenFailure(), OpenFailureCause::None);
    EXPECT_EQ(d2xx.device.CallCount(SimDevice::Call::OpenEx), 1);
    // The set-up, the identify frame and its reply all went through libftdi1.
    EXPECT_EQ(libftdi.device.baudRate(), kPodBaudRate);
    EXPECT_EQ(libftdi.pod.frames.size(), 1u);
    EXPECT_TRUE(d2xx.pod.frames.empty());
    EXPECT_EQ(d2xx.device.CallCount(SimDevice::Call::ResetDevice), 0);
    EXPECT_TRUE(link.Exchange(std::string_view("\x02I\x03", 3), 1, kDriverTimeoutMs));
    EXPECT_EQ(libftdi.pod.frames.size(), 2u);
    EXPECT_EQ(link.driverLibrary()->BackendName(), "libftdi1");
    EXPECT_TRUE(link.ClosePod());
    EXPECT_FALSE(libftdi.device.open());
    EXPECT_EQ(d2xx.device.CallCount(SimDevice::Call::Close), 0);
    // The trace names both at load and the one that opened at the open.
    EXPECT_EQ(observer.lines[0], "#driver libftd2xx+libftdi1");
    EXPECT_EQ(observer.lines[1], "#driver libftdi1");
    EXPECT_EQ(observer.lines[2], "#open \"KVL47Q POD\"");
}

TEST_F(FallbackTest, LibFtd2xxThatOpensIsUsedAlone) {
    ASSERT_EQ(Open(), OpenResult::Opened);
    EXPECT_EQ(libftdi.device.CallCount(SimDevice::Call::OpenEx), 0);
    EXPECT_EQ(libftdi.device.CallCount(SimDevice::Call::Write), 0);
    EXPECT_EQ(d2xx.pod.frames.size(), 1u);
    EXPECT_EQ(link.driverLibrary()->BackendName(), "libftd2xx");
    EXPECT_TRUE(link.ClosePod());
    EXPECT_FALSE(d2xx.device.open());
}

TEST_F(FallbackTest, WhenBothFailTheMoreTellingCauseIsReported) {
    struct Case {
        OpenFailureCause d2xx, libftdi, reported;
    };
    const Case cases[] = {
        {OpenFailureCause::HeldByKernelDriver, OpenFailureCause::PermissionDenied, OpenFailureCause::PermissionDenied},
        {OpenFailureCause::Other, OpenFailureCause::HeldByAnotherProgram, OpenFailureCause::HeldByAnotherProgram},
        {OpenFailureCause::HeldByKernelDriver, OpenFailureCause::Other, OpenFailureCause::HeldByKernelDriver},
    };
    for (const Case& c : cases) {
        d2xx.device.SetOpenRefused(0, c.d2xx);
        libftdi.device.SetOpenRefused(0, c.libftdi);
        link.UnloadDriverLibrary();
        EXPECT_EQ(Open(), OpenResult::PortFailed);
        EXPECT_EQ(link.lastOpenFailure(), c.reported) << static_cast<int>(c.d2xx) << "/" << static_cast<int>(c.libftdi);
        EXPECT_EQ(link.driverLibrary()->BackendName(), "libftd2xx+libftdi1");
    }
}

TEST_F(FallbackTest, CausesLibFtdi1CannotOvercomeAreNotRetried) {
    for (OpenFailureCause cause : {OpenFailureCause::PermissionDenied, OpenFailureCause::HeldByAnotherProgram}) {
        d2xx.device.SetOpenRefused(0, cause);
        link.UnloadDriverLibrary();
        EXPECT_EQ(Open(), OpenResult::PortFailed);
        EXPECT_EQ(link.lastOpenFailure(), cause);
        EXPECT_EQ(libftdi.device.CallCount(SimDevice::Call::OpenEx), 0);
    }
}

TEST_F(FallbackTest, TheListingAddsWhatOnlyLibFtdi1Sees) {
    // A pod with a product id of its own: libftd2xx does not list it.
    libftdi.device.AddDevice(kPodDescription, nullptr, "OWNPID01");
    d2xx.device.AddDevice("USB Serial", nullptr, "FT0002");
    auto driver = loader.Load();
    const std::vector<AttachedDevice> listed = ListAttachedDevices(*driver);
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_EQ(listed[0].serial, "FT0001");
    EXPECT_EQ(listed[1].serial, "FT0002");
    EXPECT_EQ(listed[2].serial, "OWNPID01");
    EXPECT_EQ(listed[2].location, 2u);  // libftdi1's own index 1, plus one
    // Opened by its serial number: libftd2xx does not know it, libftdi1 opens it.
    char serial[64] = "OWNPID01";
    FT_HANDLE handle = nullptr;
    ASSERT_EQ(driver->FT_OpenEx(serial, FT_OPEN_BY_SERIAL_NUMBER, &handle), FT_OK);
    EXPECT_EQ(driver->BackendName(), "libftdi1");
    EXPECT_TRUE(libftdi.device.open());
    EXPECT_EQ(driver->FT_SetBaudRate(handle, kPodBaudRate), FT_OK);
    EXPECT_EQ(libftdi.device.baudRate(), kPodBaudRate);
    EXPECT_EQ(driver->FT_Close(handle), FT_OK);
    EXPECT_EQ(driver->FT_Close(handle), FT_INVALID_HANDLE);
    EXPECT_FALSE(libftdi.device.open());
}

// --- the loader that chooses the backends

struct LoadLog {
    int d2xx = 0;
    int libftdi = 0;
};

BackendLoads FakeLoads(LoadLog& log, Backend* d2xx, Backend* libftdi, const std::string& libftdiRefusal) {
    BackendLoads loads;
    loads.libftd2xx = [&log, d2xx](std::string& whyNot) -> std::unique_ptr<FtdiDriver> {
        ++log.d2xx;
        if (d2xx != nullptr) return d2xx->Driver();
        whyNot = "libftd2xx.so is not installed";
        return nullptr;
    };
    loads.libftdi1 = [&log, libftdi, libftdiRefusal](std::string& whyNot) -> std::unique_ptr<FtdiDriver> {
        ++log.libftdi;
        if (libftdi != nullptr) return libftdi->Driver();
        whyNot = libftdiRefusal;
        return nullptr;
    };
    return loads;
}

TEST_F(FallbackTest, AutoUsesWhatLoads) {
    LoadLog log;
    auto both = MakeDriverLoader(DriverChoice::Auto, FakeLoads(log, &d2xx, &libftdi, ""))->Load();
    ASSERT_NE(both, nullptr);
    EXPECT_EQ(both->BackendName(), "libftd2xx+libftdi1");

    auto onlyLibFtdi = MakeDriverLoader(DriverChoice::Auto, FakeLoads(log, nullptr, &libftdi, ""));
    ASSERT_NE(onlyLibFtdi->Load(), nullptr);
    EXPECT_EQ(onlyLibFtdi->LoadFailure(), "");  // a missing libftd2xx is no failure

    auto onlyD2xx =
        MakeDriverLoader(DriverChoice::Auto, FakeLoads(log, &d2xx, nullptr, "libftdi1.so.2 is not installed"));
    auto driver = onlyD2xx->Load();
    ASSERT_NE(driver, nullptr);
    EXPECT_EQ(driver->BackendName(), "libftd2xx");
}

TEST_F(FallbackTest, ABackendChosenByHandIsTheOnlyOneLoaded) {
    LoadLog log;
    auto d2xxOnly = MakeDriverLoader(DriverChoice::LibFtd2xx, FakeLoads(log, nullptr, &libftdi, ""));
    EXPECT_EQ(d2xxOnly->Load(), nullptr);
    EXPECT_EQ(d2xxOnly->LoadFailure(), "libftd2xx.so is not installed");
    EXPECT_EQ(log.libftdi, 0);

    auto libftdiOnly = MakeDriverLoader(DriverChoice::LibFtdi1, FakeLoads(log, &d2xx, &libftdi, ""));
    auto driver = libftdiOnly->Load();
    ASSERT_NE(driver, nullptr);
    EXPECT_EQ(driver->BackendName(), "libftdi1");
    EXPECT_EQ(log.d2xx, 1);
}

// An unknown libftdi1 release is refused at load; the refusal is what the
// link reports, not only "no library".
TEST_F(FallbackTest, ARefusedLibFtdi1SaysWhyThroughTheLink) {
    LoadLog log;
    const std::string refusal = LibFtdiVersionRefusal(2, 0);
    auto refusing = MakeDriverLoader(DriverChoice::Auto, FakeLoads(log, nullptr, nullptr, refusal));
    PodLink refused(*refusing, clock);
    EXPECT_FALSE(refused.LoadDriverLibrary());
    EXPECT_EQ(refused.loadFailure(), "libftd2xx.so is not installed; " + refusal);
}

}  // namespace
}  // namespace nembra::testing
