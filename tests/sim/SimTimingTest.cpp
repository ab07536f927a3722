#include <cstdlib>
#include <functional>

#include "image/ProgramImage.h"
#include "pod/TargetSequences.h"
#include "sim/SimFlashTiming.h"
#include "tests/sim/SimFixture.h"
#include "tests/support/LinkTally.h"
#include "tests/support/RecordingStatus.h"

namespace nembra::testing {
namespace {

class SimTimedTest : public SimPodTest {
protected:
    void SetUp() override { Start(SimPodOptions{}); }

    uint32_t Elapsed(const std::function<void()>& action) {
        const uint32_t start = rig->clock.NowMs();
        action();
        return rig->clock.NowMs() - start;
    }
};

// A run on the simulated pod should take what a real pod with its
// parameters would take: every byte both ways at 921600 baud and ten bits,
// the pod's own work, and one USB turnaround per reply; no more.
class SimRunTimeTest : public SimTimedTest {
protected:
    void SetUp() override {
        SimTimedTest::SetUp();
        l().SetObserver(&tally);
    }
    void TearDown() override { l().SetObserver(nullptr); }

    double ExpectedMs(double podWorkMs) const {
        constexpr double kByteMs = 10.0 * 1000.0 / 921600.0;
        const size_t wireBytes = rig->device.written().size() + tally.read;
        return static_cast<double>(wireBytes) * kByteMs + podWorkMs +
               static_cast<double>(tally.replies) * timing.usbTurnaroundMs;
    }
    void ExpectWithinOnePercent(uint32_t modeledMs, double expectedMs) const {
        EXPECT_NEAR(modeledMs, expectedMs, expectedMs / 100.0)
            << tally.replies << " replies, " << rig->device.written().size() << " bytes written";
    }

    const SimTiming timing;
    LinkTally tally;
};

// A reply costs its wire time and turnaround, about 1.04 ms, not the host's
// next whole millisecond (2 ms) each time.
TEST_F(SimRunTimeTest, ShortRepliesAddUpToTheirTrueTime) {
    const uint32_t ms = Elapsed([&] {
        for (int i = 0; i < 1000; ++i) ASSERT_TRUE(IdentifyPod(l()));
    });
    EXPECT_EQ(tally.replies, 1000u);
    ExpectWithinOnePercent(ms, ExpectedMs(0));
}

// The whole 128 K-word flash of an F2812 written as Target Write does it.
TEST_F(SimRunTimeTest, FullF2812TargetWriteTakesWireWorkAndTurnarounds) {
    constexpr DeviceType kF2812 = 4;
    constexpr uint32_t kFlashStart = 0x3D8000;
    constexpr uint32_t kFlashWords = 0x20000;
    ProgramImage image;
    ClearImage(image, kF2812);
    ImageSection section;
    section.name = "text";
    section.address = kFlashStart;
    // The last eight words are the password: left erased, the flash stays open.
    section.wordCount = kFlashWords - 8;
    for (uint32_t i = 0; i < 2 * section.wordCount; ++i) image.store()[i] = static_cast<uint8_t>(i * 7 + 3);
    MarkFlashRegion(section, kF2812);
    image.sections.push_back(section);
    image.totalBytes = 2 * section.wordCount;
    ComputeFlashSummary(image, kF2812);
    image.imageLoaded = true;
    RecordingStatus status;
    CsmKeyTable keys = kNoPassword;
    SequenceContext ctx{l(), image, kF2812, keys, status};

    const uint32_t ms = Elapsed([&] { ASSERT_EQ(ProgramF281x(ctx, true, true, false), TargetWriteResult::Success); });
    ExpectNoProtocolErrors();
    EXPECT_EQ(pod().TargetFlashWord(kFlashStart + 1), image.DataWord(section, 1));

    const double workMs = timing.bootMs + timing.algorithmDownloadMs + timing.flashInitMs +
                          EraseWorkMs(timing, 0x03FF) + ProgramWorkUs(timing, section.wordCount) / 1000.0 +
                          timing.resetMs;
    ExpectWithinOnePercent(ms, ExpectedMs(workMs));
    RecordProperty("simulated_ms", static_cast<int>(ms));
}

TEST_F(SimTimedTest, AcknowledgementTakesATurnaround) {
    const uint32_t ms = Elapsed([&] { ASSERT_TRUE(IdentifyPod(l())); });
    EXPECT_GE(ms, 1u);
    EXPECT_LE(ms, 5u);
}

TEST_F(SimTimedTest, BootAndAlgorithmTakeTheirTime) {
    const SimTiming timing;
    EXPECT_GE(Elapsed([&] { ASSERT_TRUE(StartBootF281x(l(), 5)); }), timing.bootMs);
    EXPECT_GE(Elapsed([&] { ASSERT_TRUE(SendCsmKeys(l(), false, kNoPassword)); }), timing.algorithmDownloadMs);
    ASSERT_TRUE(InitFlash(l(), 5000));
    EXPECT_GE(Elapsed([&] { ASSERT_TRUE(EraseSectors(l(), 0x0003, 20000)); }), 2 * timing.erase8kSectorMs);
}

// About 100 KB into an F2812 as Target Write sends it: all ten sectors
// erased, then 40-word blocks. A real F2812 needs nearly two minutes for
// that, most of it erasing.
TEST_F(SimTimedTest, FullF2812WriteTakesMinutesNotSeconds) {
    const uint32_t ms = Elapsed([&] {
        ReadyF281x(5);
        for (int sector = 0; sector < 10; ++sector)
            ASSERT_TRUE(EraseSectors(l(), static_cast<uint16_t>(1u << sector), 20000));
        const std::vector<uint16_t> block(40, 0x1234);
        for (uint32_t address = 0x3E8000; address < 0x3E8000 + 50000; address += 40)
            ASSERT_TRUE(ProgramWords(address, block));
        ASSERT_TRUE(ResetTarget(l()));
    });
    ExpectNoProtocolErrors();
    EXPECT_GE(ms, 106000u);
    EXPECT_LE(ms, 120000u);
    RecordProperty("simulated_ms", static_cast<int>(ms));
}

TEST_F(SimPodTest, ZeroLatencyAnswersAtOnce) {
    const uint32_t start = rig->clock.NowMs();
    ReadyF281x(5);
    ASSERT_TRUE(EraseSectors(l(), 0x03FF, 20000));
    EXPECT_LE(rig->clock.NowMs() - start, 5u);
}

TEST(SimStatePathTest, StateFolderFromTheEnvironment) {
    const char* oldState = std::getenv("XDG_STATE_HOME");
    const char* oldHome = std::getenv("HOME");
    const std::string savedState = oldState ? oldState : "";
    const std::string savedHome = oldHome ? oldHome : "";

    setenv("XDG_STATE_HOME", "/tmp/state", 1);
    EXPECT_EQ(DefaultSimStatePath(), "/tmp/state/nembra/sim-pod.store");
    unsetenv("XDG_STATE_HOME");
    setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(DefaultSimStatePath(), "/home/someone/.local/state/nembra/sim-pod.store");
    unsetenv("HOME");
    EXPECT_EQ(DefaultSimStatePath(), "");

    if (oldState) setenv("XDG_STATE_HOME", savedState.c_str(), 1);
    if (oldHome) setenv("HOME", savedHome.c_str(), 1);
}

TEST(SimStatePathTest, SavingCreatesTheFolder) {
    TempFolder folder;
    const std::string path = folder.File("deep/er/sim-pod.store");
    {
        SimRig rig(FastOptions(path));
        PodLink link(rig.loader, rig.clock);
        ASSERT_TRUE(link.LoadDriverLibrary() && link.FindPod());
        ASSERT_EQ(link.OpenPod(), OpenResult::Opened);
        ASSERT_TRUE(BeginSerialFlashAccess(link));
        AbortSerialFlashAccess(link);
    }
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
}

}  // namespace
}  // namespace nembra::testing
