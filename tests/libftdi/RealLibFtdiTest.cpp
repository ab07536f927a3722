// The real libftdi1.so.2 through the project's libftdi1 backend, on a
// modelled FT232R pod that stands in for libusb-1.0.so.0 beneath it.
#include <gtest/gtest.h>

#include <optional>
#include <tuple>

#include "ops/Operations.h"
#include "pod/DriverLoader.h"
#include "pod/PodLink.h"
#include "tests/ops/FlashCheck.h"
#include "tests/support/CoffBuilder.h"
#include "tests/support/FakePanel.h"
#include "tests/libftdi/ModelLibraries.h"
#include "tests/support/RecordingStatus.h"

namespace nembra::testing {
namespace {

constexpr int kF2812 = 4;

class ModelDriverLoader : public DriverLoader {
public:
    explicit ModelDriverLoader(LinkClock& clock) : clock_(clock) {}
    std::unique_ptr<FtdiDriver> Load() override { return LoadModelLibFtdi(clock_); }

private:
    LinkClock& clock_;
};

class RealLibFtdiTest : public ::testing::Test {
protected:
    void SetUp() override {
        model = libraries_.model();
        if (model == nullptr) GTEST_SKIP() << libraries_.skipReason();
        model->Reset();
        pod = model->AddChip(0x6001, kPodDescription);
        loader.emplace(model->Clock());
        opsClock.emplace(model->Clock());
        session.emplace(*loader, model->Clock());
        session->link.LoadDriverLibrary();
        ASSERT_NE(session->link.driverLibrary(), nullptr);
        EXPECT_EQ(session->link.driverLibrary()->BackendName(), "libftdi1");
    }
    void TearDown() override {
        session.reset();
        if (model != nullptr) {
            EXPECT_EQ(model->OpenHandles(), 0);
        }
    }

    OperationContext Ctx() { return OperationContext{*session, panel, status, *opsClock}; }

    void UseF2812Program() {
        CoffFilePlan coff;
        coff.targetId = 0x009D;
        for (const auto& [name, address, words] : {std::tuple{"ramfuncs", 0x008000u, 40}, {"text", 0x3F0000u, 600},
                                                    {"cinit", 0x3F6000u, 30}}) {
            CoffSectionPlan section;
            section.name = name;
            section.address = address;
            section.words = Pattern(static_cast<size_t>(words), static_cast<uint16_t>(address));
            coff.sections.push_back(section);
        }
        panel.filePath = dir.Write("prog.out", BuildCoff(coff));
        panel.selectedDevice = kF2812;
    }
    bool LastStartsWith(const std::string& prefix) const { return status.lastText().rfind(prefix, 0) == 0; }
    void ExpectClosed() {
        EXPECT_FALSE(session->link.connected());
        EXPECT_EQ(model->OpenHandles(), 0);
    }
    void ExpectNoProtocolErrors() {
        for (const auto& error : model->Pod(pod).protocolErrors()) ADD_FAILURE() << "pod refused: " << error;
    }

    ModelLibraries libraries_;
    usbmodel::UsbModelControl* model = nullptr;
    int pod = 0;
    std::optional<ModelDriverLoader> loader;
    std::optional<LinkOpsClock> opsClock;
    std::optional<Session> session;
    FakePanel panel;
    RecordingStatus status;
    TempDir dir;
};

TEST_F(RealLibFtdiTest, TargetWriteLeavesTheImageInFlash) {
    UseF2812Program();
    auto ctx = Ctx();
    RunTargetWrite(ctx);
    EXPECT_TRUE(LastStartsWith("Flash Write Completed - ")) << status.lastText();
    EXPECT_FALSE(status.lastIsError());
    ExpectFlashHolds(model->Pod(pod), FlashWords(session->image), session->image.flashSummary.flashSectorMask);
    EXPECT_NEAR(model->BaudRate(pod), kPodBaudRate, kPodBaudRate * 0.03);
    ExpectNoProtocolErrors();
    ExpectClosed();
}

TEST_F(RealLibFtdiTest, PodWriteThenVerifyThenInfo) {
    UseF2812Program();
    panel.podFileName = "PROG";
    auto ctx = Ctx();
    RunPodWrite(ctx);
    EXPECT_TRUE(LastStartsWith("EEPROM Write Completed - ")) << status.lastText();
    RunPodVerify(ctx);
    EXPECT_TRUE(LastStartsWith("EEPROM Verify Completed - ")) << status.lastText();
    RunPodInfo(ctx);
    EXPECT_TRUE(LastStartsWith("POD Ver: ")) << status.lastText();
    EXPECT_EQ(status.lastText().find("No POD File Data"), std::string::npos) << status.lastText();
    EXPECT_FALSE(status.lastIsError());
    ExpectNoProtocolErrors();
    ExpectClosed();
}

TEST_F(RealLibFtdiTest, SilentPodFailsToInitialize) {
    model->Conditions(pod).podSilent = true;
    const uint32_t start = model->Clock().NowMs();
    auto ctx = Ctx();
    RunPodInfo(ctx);
    EXPECT_EQ(status.lastText(), "Fail to initialize KVL47Q POD");
    const uint32_t waited = model->Clock().NowMs() - start;
    EXPECT_GE(waited, kDriverTimeoutMs);
    EXPECT_LE(waited, 3 * kDriverTimeoutMs);
    ExpectClosed();
}

TEST_F(RealLibFtdiTest, OnlyTheExactDescriptionIsThePod) {
    model->Reset();
    model->AddChip(0x6001, "KVL47Q POD ");
    auto ctx = Ctx();
    RunPodInfo(ctx);
    EXPECT_EQ(status.lastText(), "No Connection to KVL47Q POD");
}

TEST_F(RealLibFtdiTest, PodWithItsOwnProductIdIsFound) {
    model->Reset();
    pod = model->AddChip(0x6001, "USB Serial");
    pod = model->AddChip(0xE0D0, kPodDescription);
    auto ctx = Ctx();
    RunPodInfo(ctx);
    EXPECT_TRUE(LastStartsWith("POD Ver: ")) << status.lastText();
    ExpectClosed();
}

TEST_F(RealLibFtdiTest, KernelDriverIsDetachedAndTheWriteSucceeds) {
    model->Conditions(pod).kernelDriverBound = true;
    UseF2812Program();
    auto ctx = Ctx();
    RunTargetWrite(ctx);
    EXPECT_TRUE(LastStartsWith("Flash Write Completed - ")) << status.lastText();
    // libftdi does not give the interface back to ftdi_sio.
    EXPECT_FALSE(model->Conditions(pod).kernelDriverBound);
}

TEST_F(RealLibFtdiTest, RefusedOpensSayWhy) {
    model->Conditions(pod).interfaceBusy = true;
    auto ctx = Ctx();
    RunPodInfo(ctx);
    EXPECT_EQ(status.lastText(), "Fail to open communication port");
    EXPECT_EQ(session->link.lastOpenFailure(), OpenFailureCause::HeldByAnotherProgram);

    model->Conditions(pod).interfaceBusy = false;
    model->Conditions(pod).openRefused = true;
    RunPodInfo(ctx);
    EXPECT_EQ(status.lastText(), "Fail to open communication port");
    EXPECT_EQ(session->link.lastOpenFailure(), OpenFailureCause::PermissionDenied);
    ExpectClosed();
}

TEST_F(RealLibFtdiTest, UnplugDuringTheFlashWriteClosesTheLink) {
    model->Conditions(pod).unplugAfterOutBytes = 3000;
    UseF2812Program();
    auto ctx = Ctx();
    RunTargetWrite(ctx);
    EXPECT_EQ(status.lastText(), "Fail to write flash memory");
    EXPECT_TRUE(status.lastIsError());
    ExpectClosed();
}

}  // namespace
}  // namespace nembra::testing
