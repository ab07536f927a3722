#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/ops/FlashCheck.h"
#include "tests/ops/OpsFixture.h"

namespace nembra::testing {
namespace {

constexpr int kF2810 = 2;
constexpr int kF2812 = 4;
constexpr int kLf240x40 = 1;

class TargetWriteTest : public OpsFixture {
protected:
    void Write() {
        auto ctx = Ctx();
        RunTargetWrite(ctx);
    }

    void ExpectCompleted() {
        EXPECT_EQ(status.lastText().rfind("Flash Write Completed - ", 0), 0u) << status.lastText();
        EXPECT_NE(status.lastText().find(" sec"), std::string::npos);
        EXPECT_FALSE(status.lastIsError());
        ExpectCleanedUp();
        ExpectNoProtocolErrors();
    }

    std::string Written() const { return std::string(rig.device.written().begin(), rig.device.written().end()); }
};

TEST_F(TargetWriteTest, RealTiFilesLandInFlashExactly) {
    const std::filesystem::path folder = std::filesystem::path(NEMBRA_TESTDATA_DIR) / "ti-coff";
    if (!std::filesystem::exists(folder)) GTEST_SKIP() << "TI test data not found at " << folder;
    for (const char* name : {"TB3CM_DSP_Code.out", "Example_281xSci_FFDLB_int.out", "TB3CM_DSP_Code_lowflash.out"}) {
        SCOPED_TRACE(name);
        session.image.imageLoaded = false;
        job.filePath = (folder / name).string();
        job.device = kF2812;
        Write();
        ExpectCompleted();
        ASSERT_TRUE(session.image.imageLoaded);
        ExpectFlashHolds(rig.pod, FlashWords(session.image), session.image.flashSummary.flashSectorMask);
    }
}

TEST_F(TargetWriteTest, RealTiFileMatchesTheHexConverter) {
    const std::filesystem::path folder = std::filesystem::path(NEMBRA_TESTDATA_DIR) / "ti-coff";
    if (!std::filesystem::exists(folder)) GTEST_SKIP() << "TI test data not found at " << folder;
    std::ifstream in(folder / "TB3CM_DSP_Code.hex");
    std::stringstream text;
    text << in.rdbuf();
    WordMap hex;
    std::string error;
    ASSERT_TRUE(ReadIntelHex(text.str(), hex, error)) << error;
    job.filePath = (folder / "TB3CM_DSP_Code.out").string();
    job.device = kF2812;
    Write();
    ExpectCompleted();
    for (const auto& [address, value] : hex) {
        if (address < 0x3D8000 || address > 0x3F7FFF) continue;
        EXPECT_EQ(rig.pod.TargetFlashWord(address), value) << std::hex << address;
    }
}

TEST_F(TargetWriteTest, F2810EraseAllClearsEverySectorAndWritesTheImage) {
    UseCoff("f2810.out",
            Coff({Section("ramfuncs", 0x008000, 10, 1), Section("text", 0x3E8010, 100, 2),
                  Section("vectors", 0x3F7FF0, 6, 3)},
                 true),
            kF2810);
    job.eraseAll = true;
    Write();
    ExpectCompleted();
    EXPECT_EQ(session.image.flashSummary.flashSectorMask, 0x0011);
    ExpectFlashHolds(rig.pod, FlashWords(session.image), 0x001F);
}

TEST_F(TargetWriteTest, IntelligentEraseLeavesOtherSectorsAlone) {
    UseCoff("first.out", Coff({Section("text", 0x3F0000, 300, 7)}, true), kF2812);  // sector C
    job.eraseAll = true;
    Write();
    ExpectCompleted();
    const WordMap first = FlashWords(session.image);

    UseCoff("second.out", Coff({Section("text", 0x3F6000, 50, 9)}, true), kF2812);  // sector A
    job.eraseAll = false;
    auto ctx = Ctx();
    RunLoad(ctx);
    Write();
    ExpectCompleted();
    ExpectFlashHolds(rig.pod, FlashWords(session.image), 0x0001);
    ExpectFlashHolds(rig.pod, first, 0x0000);  // sector C was not erased again
}

TEST_F(TargetWriteTest, F281xRamOnlyImageIsDownloadedWithoutFlashCommands) {
    UseCoff("ram.out", Coff({Section("text", 0x008000, 250, 4), Section("data", 0x3F8000, 10, 5)}, true), kF2812);
    job.unlockCsm = true;  // the password is still checked; empty fields are accepted
    Write();
    ExpectCompleted();
    const std::string& log = rig.pod.commandLog();
    EXPECT_EQ(log.find('K'), std::string::npos) << log;
    EXPECT_EQ(log.find('O'), std::string::npos) << log;
    EXPECT_EQ(log.find('R'), std::string::npos) << log;
    const WordMap written = rig.pod.TargetWordsWritten();
    for (const ImageSection& section : session.image.sections)
        for (uint32_t i = 0; i < section.wordCount; ++i) {
            const auto it = written.find(section.address + i);
            ASSERT_NE(it, written.end()) << std::hex << section.address + i;
            EXPECT_EQ(it->second, session.image.DataWord(section, i));
        }
}

TEST_F(TargetWriteTest, Lf240xSectionsOf200And201Words) {
    UseCoff("lf.out", Coff({Section("text", 0x0000, 200, 1), Section("const", 0x4000, 201, 2)}, false), kLf240x40);
    job.eraseAll = true;  // the LF240xA family ignores both options
    job.unlockCsm = true;
    job.keys.fill(0);
    Write();
    ExpectCompleted();
    WordMap expected;
    for (const ImageSection& section : session.image.sections)
        for (uint32_t i = 0; i < section.wordCount; ++i)
            expected[section.address + i] = session.image.DataWord(section, i);
    EXPECT_EQ(rig.pod.TargetWordsWritten(), expected);
}

TEST_F(TargetWriteTest, CsmKeysAreSentWithTheAlgorithm) {
    UseCoff("csm.out", Coff({Section("text", 0x3F6000, 20, 1)}, true), kF2812);
    job.unlockCsm = true;
    job.keys = {0x1, 0x22, 0x333, 0x4444, 0xFFFF, 0xABCD, 0x5, 0xFFFF};
    Write();
    ExpectCompleted();
    EXPECT_NE(Written().find("\x02K10001002203334444FFFFABCD0005FFFF\x03"), std::string::npos);
    ExpectFlashHolds(rig.pod, FlashWords(session.image), 0x0001);
}

TEST_F(TargetWriteTest, AllZeroPasswordIsRefusedBeforeThePodIsContacted) {
    UseCoff("csm.out", Coff({Section("text", 0x3F6000, 20, 1)}, true), kF2812);
    job.unlockCsm = true;
    job.keys.fill(0);
    Write();
    EXPECT_EQ(status.lastText(), "CSM Password input is wrong");
    EXPECT_TRUE(status.lastIsError());
    EXPECT_TRUE(rig.device.written().empty());
    EXPECT_EQ(events.busyCalls, 0);
}

TEST_F(TargetWriteTest, EmptyPathWithoutImage) {
    Write();
    EXPECT_EQ(status.lastText(), "Please, specify COFF file to write target");
    EXPECT_EQ(status.lines.size(), 1u);
}

TEST_F(TargetWriteTest, LoadedImageIsUsedEvenWithAnEmptyPath) {
    UseCoff("a.out", Coff({Section("text", 0x3F6000, 20, 1)}, true), kF2812);
    auto ctx = Ctx();
    RunLoad(ctx);
    ASSERT_TRUE(session.image.imageLoaded);
    job.filePath = "  ";
    Write();
    ExpectCompleted();
    EXPECT_FALSE(status.Shown("Please, specify COFF file to write target"));
}

TEST_F(TargetWriteTest, ImageWithoutDataIsRefused) {
    CoffFilePlan coff = Coff({Section("text", 0x3F6000, 20, 1)}, true);
    coff.sections[0].withRawData = false;  // uninitialised: skipped by the reader
    UseCoff("empty.out", coff, kF2812);
    Write();
    EXPECT_EQ(status.lastText(), "The selected COFF file don't have valid section data");
    EXPECT_TRUE(rig.device.written().empty());
}

TEST_F(TargetWriteTest, ElapsedTimeCoversTheSequenceOnly) {
    UseCoff("a.out", Coff({Section("text", 0x3F6000, 20, 1)}, true), kF2812);
    clock.scripted = {{true, 0xFFFFFF00u}, {true, 0x000004DCu}};  // 1500 ms across the wrap
    Write();
    EXPECT_EQ(status.lastText(), "Flash Write Completed - 1.50 sec");
}

TEST_F(TargetWriteTest, FailedClockReadLeavesTheDashAndBlank) {
    UseCoff("a.out", Coff({Section("text", 0x3F6000, 20, 1)}, true), kF2812);
    clock.scripted = {{true, 100}, {false, 0}};
    Write();
    EXPECT_EQ(status.lastText(), "Flash Write Completed - ");
    ExpectCleanedUp();
}

TEST_F(TargetWriteTest, NoPodLeavesTheButtonsAlone) {
    rig.device.SetUnplugged(podIndex, true);
    UseCoff("a.out", Coff({Section("text", 0x3F6000, 20, 1)}, true), kF2812);
    Write();
    EXPECT_EQ(status.lastText(), "Fail to open communication port");
    EXPECT_EQ(events.busyCalls, 0);
    EXPECT_EQ(events.busyCalls, 0);
}

}  // namespace
}  // namespace nembra::testing
