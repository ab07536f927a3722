// Backend choice with the real libftdi1 on the modelled FT232R: a stand-in
// for libftd2xx that fails as FTDI's library does while ftdi_sio holds the pod.
#include <gtest/gtest.h>

#include "ops/Operations.h"
#include "pod/DriverLoader.h"
#include "pod/SysfsOpenCause.h"
#include "sim/SimDevice.h"
#include "sim/SimDriverLoader.h"
#include "tests/libftdi/ModelPodFixture.h"
#include "tests/ops/FlashCheck.h"
#include "tests/support/CoffBuilder.h"

namespace nembra::testing {
namespace {

constexpr const char* kModelSerial = "KV100000";  // the model's first chip

class FallbackOnModelTest : public ModelPodFixture {
protected:
    void SetUp() override {
        ModelPodFixture::SetUp();
        if (IsSkipped()) return;
        model->Conditions(pod).kernelDriverBound = true;
        // libftd2xx lists the pod while ftdi_sio holds it, and cannot open it.
        d2xxBus.AddDevice(kPodDescription, nullptr, kModelSerial);
        d2xxBus.SetOpenRefused(0, OpenFailureCause::Other);
    }

    // The kernel's view of the modelled chip, as sysfs would show it.
    std::vector<UsbProduct> Sysfs() const {
        UsbProduct p;
        p.product = kPodDescription;
        p.serial = kModelSerial;
        p.productId = 0x6001;
        p.accessible = true;
        p.kernelDriverBound = model->Conditions(pod).kernelDriverBound;
        return {p};
    }
    BackendLoads Loads() {
        BackendLoads loads;
        loads.libftd2xx = [this](std::string&) {
            return WithSysfsOpenCause(d2xxLoader.Load(), [this] { return Sysfs(); });
        };
        loads.libftdi1 = [this](std::string& whyNot) { return LoadModelLibFtdi(model->Clock(), &whyNot); };
        return loads;
    }
    OperationContext Start(DriverChoice choice) {
        StartSession(MakeDriverLoader(choice, Loads()));
        EXPECT_TRUE(session->link.LoadDriverLibrary());
        return Ctx();
    }
    void UseF2812Program() {
        CoffFilePlan coff;
        coff.targetId = 0x009D;
        CoffSectionPlan text;
        text.name = "text";
        text.address = 0x3F0000;
        text.words = Pattern(300, 0x1234);
        coff.sections.push_back(text);
        job.filePath = dir.Write("prog.out", BuildCoff(coff));
        job.device = 4;
    }

    VirtualClock d2xxClock{0};
    SimDevice d2xxBus{d2xxClock};
    SimDriverLoader d2xxLoader{d2xxBus};
};

TEST_F(FallbackOnModelTest, AutoWritesThroughLibFtdi1WhenFtdiSioHoldsThePod) {
    UseF2812Program();
    auto ctx = Start(DriverChoice::Auto);
    RunTargetWrite(ctx);
    EXPECT_EQ(status.lastText().rfind("Flash Write Completed - ", 0), 0u) << status.lastText();
    ExpectFlashHolds(model->Pod(pod), FlashWords(session->image), session->image.flashSummary.flashSectorMask);
    EXPECT_EQ(d2xxBus.CallCount(SimDevice::Call::OpenEx), 1);
    EXPECT_EQ(d2xxBus.CallCount(SimDevice::Call::Write), 0);
    EXPECT_EQ(session->link.driverLibrary()->BackendName(), "libftdi1");
    EXPECT_FALSE(model->Conditions(pod).kernelDriverBound);  // detached, and not given back
    EXPECT_FALSE(session->link.connected());
}

TEST_F(FallbackOnModelTest, LibFtd2xxByHandNamesTheKernelDriver) {
    auto ctx = Start(DriverChoice::LibFtd2xx);
    RunPodInfo(ctx);
    EXPECT_EQ(status.lastText(), "Fail to open communication port");
    EXPECT_EQ(session->link.lastOpenFailure(), OpenFailureCause::HeldByKernelDriver);
    EXPECT_TRUE(model->Conditions(pod).kernelDriverBound);
}

}  // namespace
}  // namespace nembra::testing
