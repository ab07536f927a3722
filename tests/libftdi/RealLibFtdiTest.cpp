// The real libftdi1.so.2 through the project's libftdi1 backend, on a
// modelled FT232R pod that stands in for libusb-1.0.so.0 beneath it.
#include <gtest/gtest.h>

#include <tuple>

#include "ops/Operations.h"
#include "pod/DriverLoader.h"
#include "pod/PodLink.h"
#include "tests/libftdi/ModelPodFixture.h"
#include "tests/ops/FlashCheck.h"
#include "tests/support/CoffBuilder.h"
#include "tests/usbmodel/ModelDriverLoader.h"
#include "tests/usbmodel/UsbModelControl.h"

namespace nembra::testing {
namespace {

constexpr int kF2812 = 4;

using usbmodel::ModelDriverLoader;

class RealLibFtdiTest : public ModelPodFixture {
protected:
    void SetUp() override {
        ModelPodFixture::SetUp();
        if (IsSkipped()) return;
        StartSession(std::make_unique<ModelDriverLoader>(model->Clock()));
        session->link.LoadDriverLibrary();
        ASSERT_NE(session->link.driverLibrary(), nullptr);
        EXPECT_EQ(session->link.driverLibrary()->BackendName(), "libftdi1");
    }

    void UseF2812Program() {
        CoffFilePlan coff;
        coff.targetId = 0x009D;
        for (const auto& [name, address, words] :
             {std::tuple{"ramfuncs", 0x008000u, 40}, {"text", 0x3F0000u, 600}, {"cinit", 0x3F6000u, 30}}) {
            CoffSectionPlan section;
            section.name = name;
            section.address = address;
            section.words = Pattern(static_cast<size_t>(words), static_cast<uint16_t>(address));
            coff.sections.push_back(section);
        }
        job.filePath = dir.Write("prog.out", BuildCoff(coff));
        job.device = kF2812;
    }
    bool LastStartsWith(const std::string& prefix) const { return status.lastText().rfind(prefix, 0) == 0; }
    void ExpectClosed() {
        EXPECT_FALSE(session->link.connected());
        EXPECT_EQ(model->OpenHandles(), 0);
    }
    // The link opened on the pod, for calls straight to its driver.
    void OpenLink() {
        ASSERT_TRUE(session->link.FindPod());
        ASSERT_EQ(session->link.OpenPod(), OpenResult::Opened);
    }
    FtdiDriver& Driver() { return *session->link.driverLibrary(); }
    FT_HANDLE Handle() { return session->link.deviceHandle(); }
    void WriteIdentify() {
        static constexpr char kIdentify[] = {0x02, 'I', 0x03};
        DWORD written = 0;
        ASSERT_EQ(Driver().FT_Write(Handle(), const_cast<char*>(kIdentify), 3, &written), FT_OK);
    }
    DWORD Waiting() {
        DWORD waiting = 99;
        EXPECT_EQ(Driver().FT_GetQueueStatus(Handle(), &waiting), FT_OK);
        return waiting;
    }
    void ExpectNoProtocolErrors() {
        for (const auto& error : model->Pod(pod).protocolErrors()) ADD_FAILURE() << "pod refused: " << error;
    }
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
    job.podFileName = "PROG";
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

TEST_F(RealLibFtdiTest, AnUnplugIsToldFromADriverError) {
    model->Conditions(pod).unplugAfterOutBytes = 3000;
    UseF2812Program();
    auto ctx = Ctx();
    const OperationOutcome outcome = RunTargetWrite(ctx);
    EXPECT_EQ(outcome.failure.step, Step::FlashWrite);
    EXPECT_EQ(outcome.failure.cause(), Cause::Unplugged);
    ExpectClosed();
}

// The chip's bulk IN is kept busy by transfers in flight, so counting what
// has arrived never waits for the latency timer, and an acknowledgement
// costs the pod's own time plus one latency period, nothing more.
TEST_F(RealLibFtdiTest, QueueStatusNeverWaitsOnTheBus) {
    model->Reset();
    SimPodOptions instant;
    instant.timing.zeroLatency = true;
    pod = model->AddChip(0x6001, kPodDescription, instant);
    OpenLink();
    uint32_t start = model->Clock().NowMs();
    EXPECT_EQ(Waiting(), 0u);
    EXPECT_EQ(model->Clock().NowMs(), start);
    EXPECT_GT(model->TransfersInFlight(), 0);

    WriteIdentify();
    EXPECT_EQ(Waiting(), 0u);  // due, but the chip holds it until its latency timer runs out
    model->Clock().SleepMs(kPodLatencyMs);
    EXPECT_EQ(Waiting(), 1u);
    uint8_t reply = 0;
    DWORD got = 0;
    ASSERT_EQ(Driver().FT_Read(Handle(), &reply, 1, &got), FT_OK);
    EXPECT_EQ(reply, '!');

    start = model->Clock().NowMs();
    for (int i = 0; i < 10; ++i) {
        ASSERT_TRUE(session->link.Exchange(std::string_view("\x02I\x03", 3), 1, kDriverTimeoutMs)) << i;
    }
    EXPECT_LE(model->Clock().NowMs() - start, 10u * kPodLatencyMs);
    EXPECT_TRUE(session->link.ClosePod());
}

// Wherever the pod's bytes are when the purge comes: counted already, fetched
// by a transfer while another call ran, or still in the chip.
TEST_F(RealLibFtdiTest, PurgeDropsWhatWasFetched) {
    OpenLink();
    WriteIdentify();
    model->Clock().SleepMs(10);
    ASSERT_EQ(Waiting(), 1u);
    ASSERT_EQ(Driver().FT_Purge(Handle(), FT_PURGE_RX), FT_OK);
    EXPECT_EQ(Waiting(), 0u);
    EXPECT_GT(model->TransfersInFlight(), 0);  // started again by the count

    WriteIdentify();
    model->Clock().SleepMs(10);
    UCHAR latency = 0;  // libusb handles the transfers' events during this request
    ASSERT_EQ(Driver().FT_GetLatencyTimer(Handle(), &latency), FT_OK);
    ASSERT_EQ(Driver().FT_Purge(Handle(), FT_PURGE_RX), FT_OK);
    EXPECT_EQ(Waiting(), 0u);

    WriteIdentify();
    model->Clock().SleepMs(10);
    ASSERT_EQ(Driver().FT_Purge(Handle(), FT_PURGE_RX | FT_PURGE_TX), FT_OK);
    model->Clock().SleepMs(10);
    EXPECT_EQ(Waiting(), 0u);

    ASSERT_TRUE(session->link.Exchange(std::string_view("\x02I\x03", 3), 1, kDriverTimeoutMs));
    EXPECT_TRUE(session->link.ClosePod());
    ExpectNoProtocolErrors();
}

// Pulled out while the transfers wait on the chip: the waiting read ends at
// once with the error, the next calls report it too, and close is clean.
TEST_F(RealLibFtdiTest, UnplugDuringTheBackgroundFetch) {
    OpenLink();
    EXPECT_EQ(Waiting(), 0u);
    const uint32_t start = model->Clock().NowMs();
    model->PullOutAt(pod, start + 30);
    uint8_t byte = 0;
    DWORD got = 9;
    EXPECT_EQ(Driver().FT_Read(Handle(), &byte, 1, &got), FT_IO_ERROR);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(model->Clock().NowMs() - start, 30u);
    DWORD waiting = 0;
    EXPECT_EQ(Driver().FT_GetQueueStatus(Handle(), &waiting), FT_IO_ERROR);
    EXPECT_EQ(Driver().FT_Read(Handle(), &byte, 1, &got), FT_IO_ERROR);
    EXPECT_EQ(model->Clock().NowMs() - start, 30u);  // a failed chip is not waited for
    EXPECT_EQ(model->TransfersInFlight(), 0);
    session->link.ClosePod();
    ExpectClosed();
}

// A reply on its way and transfers waiting for it: close cancels them and
// waits for nothing else.
TEST_F(RealLibFtdiTest, CloseWhileAReadIsPending) {
    OpenLink();
    WriteIdentify();
    EXPECT_EQ(Waiting(), 0u);
    ASSERT_GT(model->TransfersInFlight(), 0);
    const uint32_t start = model->Clock().NowMs();
    EXPECT_EQ(Driver().FT_Close(Handle()), FT_OK);
    EXPECT_EQ(model->Clock().NowMs(), start);
    EXPECT_EQ(model->TransfersInFlight(), 0);
    EXPECT_EQ(model->OpenHandles(), 0);
    for (const auto& misuse : model->TransferMisuses()) ADD_FAILURE() << misuse;

    // And a driver dropped with its port still open and reading.
    session.emplace(*loader, model->Clock());
    session->link.LoadDriverLibrary();
    OpenLink();
    WriteIdentify();
    EXPECT_EQ(Waiting(), 0u);
    session.reset();
    EXPECT_EQ(model->TransfersInFlight(), 0);
    EXPECT_EQ(model->OpenHandles(), 0);
}

}  // namespace
}  // namespace nembra::testing
