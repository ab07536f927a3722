#include <filesystem>
#include <fstream>

#include "image/FlashSectors.h"
#include "image/LoadCoffFile.h"
#include "pod/TargetSequences.h"
#include "sim/SimChip.h"
#include "sim/SimFlashTiming.h"
#include "tests/sim/SimFixture.h"
#include "tests/support/CoffBuilder.h"
#include "tests/support/LinkTally.h"
#include "tests/support/RecordingStatus.h"

namespace nembra::testing {
namespace {

constexpr DeviceType kF2812 = 4;
// TI's F281x data sheet, flash parameters at 150 MHz (typical): erase of
// an 8K-word and a 16K-word sector, programming of one 16-bit word.
constexpr double kErase8kMs = 10000.0;
constexpr double kErase16kMs = 11000.0;
constexpr double kWordProgramMs = 0.050;
constexpr double kByteMs = 10.0 * 1000.0 / 921600.0;

// A Target Write as the tool does it, on the virtual clock with a typical
// F2812 behind the pod: it must take the data sheet's time.
class SimPaceTest : public SimPodTest {
protected:
    void SetUp() override {
        Start(SimPodOptions{});
        l().SetObserver(&tally);
    }
    void TearDown() override {
        if (link) l().SetObserver(nullptr);
    }

    void Load(const std::string& path) {
        DeviceType type = kF2812;
        LoadContext load{image, type, kF2812, recent, status};
        ASSERT_TRUE(LoadCoffFile(load, path, false)) << status.lastText();
    }

    // Intelligent erase: the sectors the program touches.
    uint32_t TargetWriteMs() {
        SequenceContext ctx{l(), image, kF2812, keys, status};
        const uint32_t start = rig->clock.NowMs();
        EXPECT_EQ(ProgramF281x(ctx, image.flashSummary.hasFlashSection, false, false), TargetWriteResult::Success);
        ExpectNoProtocolErrors();
        return rig->clock.NowMs() - start;
    }

    // The data sheet's erase of A, C and D, its programming time for every
    // flash word, and every byte both ways at 921600 baud.
    double DataSheetMs() const {
        const double words = static_cast<double>(image.flashSummary.flashBytes) / 2.0;
        const double wireBytes = static_cast<double>(tally.written + tally.read);
        return kErase8kMs + 2 * kErase16kMs + words * kWordProgramMs + wireBytes * kByteMs;
    }

    void ExpectDataSheetTime(uint32_t modelledMs) {
        EXPECT_EQ(image.flashSummary.flashSectorMask & kAnySectorMask, 0x000Du);  // A, C and D
        const double expected = DataSheetMs();
        EXPECT_NEAR(modelledMs, expected, expected / 10.0);
        RecordProperty("simulated_ms", static_cast<int>(modelledMs));
        RecordProperty("data_sheet_ms", static_cast<int>(expected));
    }

    LinkTally tally;
    ProgramImage image;
    RecentFiles recent;
    RecordingStatus status;
    CsmKeyTable keys = kNoPassword;
    TempFolder folder;
};

TEST_F(SimPaceTest, Tb3cmTakesTheDataSheetTime) {
    const std::filesystem::path path = std::filesystem::path(NEMBRA_TESTDATA_DIR) / "ti-coff" / "TB3CM_DSP_Code.out";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "TI test data not found: " << path.string();
    Load(path.string());
    ExpectDataSheetTime(TargetWriteMs());
}

// The same shape without the shared folder: code in sector A, tables in C
// and D, a few thousand words in all.
TEST_F(SimPaceTest, ProgramInSectorsACAndDTakesTheDataSheetTime) {
    CoffFilePlan coff;
    coff.targetId = 0x009D;
    auto section = [](const char* name, uint32_t address, size_t words, uint16_t seed) {
        CoffSectionPlan plan;
        plan.name = name;
        plan.address = address;
        plan.words = Pattern(words, seed);
        return plan;
    };
    coff.sections = {section(".text", 0x3F6000, 6000, 1), section(".econst", 0x3F0000, 9000, 2),
                     section("tables", 0x3EC000, 3000, 3)};
    const std::vector<uint8_t> bytes = BuildCoff(coff);
    const std::string path = folder.File("acd.out");
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    Load(path);
    ExpectDataSheetTime(TargetWriteMs());
}

TEST(SimFlashTimingTest, EachSectorErasesInItsSizesTime) {
    const SimTiming typical;
    EXPECT_EQ(EraseWorkMs(typical, 0x0001), 10000u);  // A: 8K words
    EXPECT_EQ(EraseWorkMs(typical, 0x0004), 11000u);  // C: 16K words
    EXPECT_EQ(EraseWorkMs(typical, 0x000D), 32000u);  // A, C, D
    // F2810: A, B (8K) and C, D, E (16K).
    EXPECT_EQ(EraseWorkMs(typical, 0x001F), 53000u);
    // F2811/F2812: four 8K-word sectors (A, B, I, J) and six 16K-word ones.
    EXPECT_EQ(EraseWorkMs(typical, 0x03FF), 106000u);
    EXPECT_EQ(ProgramWorkUs(typical, 40), 2000u);
}

// A slow chip erases every sector within the host's 20 s; a failing one
// passes it even on the smaller sectors.
TEST(SimFlashTimingTest, ChipSpreadAroundTheTimeOut) {
    const SimTiming slow = TimingOfChip(SimChip::Slow);
    EXPECT_GT(slow.erase16kSectorMs, 15000u);
    EXPECT_LT(slow.erase16kSectorMs, 20000u);
    const SimTiming failing = TimingOfChip(SimChip::Failing);
    EXPECT_GT(failing.erase8kSectorMs, 20400u);
    EXPECT_EQ(TimingOfChip(SimChip::Typical).erase8kSectorMs, SimTiming{}.erase8kSectorMs);
    EXPECT_EQ(failing.wordProgramUs, SimTiming{}.wordProgramUs);

    SimChip chip = SimChip::Typical;
    for (const std::string& name : SimChipNames()) {
        ASSERT_TRUE(ParseSimChip(name, chip)) << name;
        EXPECT_EQ(SimChipName(chip), name);
    }
    EXPECT_FALSE(ParseSimChip("Slow", chip));
}

class SimChipTest : public SimPodTest {
protected:
    bool EraseSectorC(SimChip chip) {
        Start(SimPodOptions{TimingOfChip(chip), {}});
        ReadyF281x(5);
        return EraseSectors(l(), 0x0004, 20000);
    }
};

TEST_F(SimChipTest, SlowChipErasesInTimeFailingChipTimesOut) {
    EXPECT_TRUE(EraseSectorC(SimChip::Slow));
    EXPECT_FALSE(EraseSectorC(SimChip::Failing));
}

}  // namespace
}  // namespace nembra::testing
