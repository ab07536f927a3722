#include <cstdlib>
#include <functional>

#include "tests/sim/SimFixture.h"

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
    EXPECT_GE(Elapsed([&] { ASSERT_TRUE(EraseSectors(l(), 0x0003, 20000)); }), 2 * timing.sectorEraseMs);
}

// About 100 KB into an F2812 as Target Write sends it: all ten sectors
// erased, then 40-word blocks. A real pod needs some seconds for that.
TEST_F(SimTimedTest, FullF2812WriteTakesSecondsNotMilliseconds) {
    const uint32_t ms = Elapsed([&] {
        ReadyF281x(5);
        for (int sector = 0; sector < 10; ++sector) ASSERT_TRUE(EraseSectors(l(), static_cast<uint16_t>(1u << sector), 20000));
        const std::vector<uint16_t> block(40, 0x1234);
        for (uint32_t address = 0x3E8000; address < 0x3E8000 + 50000; address += 40)
            ASSERT_TRUE(ProgramWords(address, block));
        ASSERT_TRUE(ResetTarget(l()));
    });
    ExpectNoProtocolErrors();
    EXPECT_GE(ms, 3000u);
    EXPECT_LE(ms, 60000u);
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
