// Real files from TI's code-generation tools, checked against TI's own hex
// converter output for the same program.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "image/CoffReader.h"
#include "image/ImageRules.h"
#include "image/ImageWords.h"
#include "image/IntelHex.h"

namespace nembra {
namespace {

std::filesystem::path TiDir() { return std::filesystem::path(NEMBRA_TESTDATA_DIR) / "ti-coff"; }

bool ReadText(const std::filesystem::path& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return true;
}

class TiCoffFiles : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        if (!std::filesystem::is_directory(TiDir()))
            GTEST_SKIP() << "TI test data not found at " << TiDir() << " (set NEMBRA_TESTDATA_DIR)";
    }
    std::string Path(const char* extension) const { return (TiDir() / (std::string(GetParam()) + extension)).string(); }
};

TEST_P(TiCoffFiles, EveryKeptWordMatchesTheHexFile) {
    ProgramImage image;
    ASSERT_EQ(ReadCoffFile(Path(".out"), 4, image), CoffResult::Ok);
    std::string text, error;
    ASSERT_TRUE(ReadText(Path(".hex"), text));
    WordMap hex;
    ASSERT_TRUE(ReadIntelHex(text, hex, error)) << error;

    const WordMap loaded = ImageWords(image);
    EXPECT_EQ(loaded.size(), hex.size());
    size_t mismatches = 0;
    for (const auto& [address, word] : loaded) {
        const auto found = hex.find(address);
        if (found == hex.end() || found->second != word) ++mismatches;
    }
    EXPECT_EQ(mismatches, 0u);
    EXPECT_EQ(loaded, hex);
}

TEST_P(TiCoffFiles, WritingTheImageReproducesTheHexWords) {
    ProgramImage image;
    ASSERT_EQ(ReadCoffFile(Path(".out"), 4, image), CoffResult::Ok);
    std::ostringstream out;
    WriteIntelHex(out, ImageWords(image));
    std::string text, error;
    ASSERT_TRUE(ReadText(Path(".hex"), text));
    WordMap ours, theirs;
    ASSERT_TRUE(ReadIntelHex(out.str(), ours, error)) << error;
    ASSERT_TRUE(ReadIntelHex(text, theirs, error)) << error;
    EXPECT_EQ(ours, theirs);
}

TEST_P(TiCoffFiles, DebugAndPasswordSectionsAreDroppedForF281x) {
    ProgramImage image;
    ASSERT_EQ(ReadCoffFile(Path(".out"), 4, image), CoffResult::Ok);
    ComputeFlashSummary(image, 4);
    for (const auto& section : image.sections) {
        EXPECT_TRUE(section.name.rfind(".debug_", 0) != 0 || section.name == ".debug_str") << section.name;
        EXPECT_NE(section.name, "CsmPwlFile");
        EXPECT_NE(section.name, ".stack");
    }
    // Linked into sectors A, C and D.
    EXPECT_EQ(image.flashSummary.flashSectorMask, 0x000D);
    EXPECT_EQ(image.flashSummary.flashBytes + image.flashSummary.nonFlashBytes, image.totalBytes);
    EXPECT_EQ(ReadCoffFile(Path(".out"), 1, image), CoffResult::DeviceMismatch);
}

TEST_P(TiCoffFiles, WritingWithSectionStartsReproducesTheHexText) {
    ProgramImage image;
    ASSERT_EQ(ReadCoffFile(Path(".out"), 4, image), CoffResult::Ok);
    std::ostringstream out;
    WriteIntelHex(out, ImageWords(image), SectionStarts(image));
    std::string text;
    ASSERT_TRUE(ReadText(Path(".hex"), text));
    EXPECT_EQ(out.str(), text);
}

TEST_P(TiCoffFiles, EveryF281xDeviceTakesTheProgram) {
    for (DeviceType type : {DeviceType{2}, DeviceType{3}, DeviceType{4}}) {
        ProgramImage image;
        ASSERT_EQ(ReadCoffFile(Path(".out"), type, image), CoffResult::Ok);
        const RuleBreak broken = CheckImageRules(image.sections, type);
        EXPECT_EQ(broken.rule, ImageRule::None)
            << "device " << int{type} << ": " << RuleBreakMessage(broken, image.sections, type);
    }
}

INSTANTIATE_TEST_SUITE_P(Programs, TiCoffFiles, ::testing::Values("TB3CM_DSP_Code", "Example_281xSci_FFDLB_int"));

TEST(TiCoffLowFlash, SectorsHIJAndA) {
    const auto path = TiDir() / "TB3CM_DSP_Code_lowflash.out";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "TI test data not found at " << path;
    ProgramImage image;
    ASSERT_EQ(ReadCoffFile(path.string(), 4, image), CoffResult::Ok);
    ComputeFlashSummary(image, 4);
    EXPECT_EQ(image.flashSummary.flashSectorMask, 0x0381);
    // The F2810's smaller flash leaves the low sectors out of the flash set.
    ASSERT_EQ(ReadCoffFile(path.string(), 2, image), CoffResult::Ok);
    ComputeFlashSummary(image, 2);
    EXPECT_EQ(image.flashSummary.flashSectorMask, 0x0001);
    EXPECT_GT(image.flashSummary.nonFlashSectionCount, 0);
}

TEST(TiCoffLowFlash, TheF2810HasNoMemoryForTheLowSectors) {
    const auto path = TiDir() / "TB3CM_DSP_Code_lowflash.out";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "TI test data not found at " << path;
    ProgramImage image;
    ASSERT_EQ(ReadCoffFile(path.string(), 4, image), CoffResult::Ok);
    EXPECT_EQ(CheckImageRules(image.sections, 4).rule, ImageRule::None);
    // Below 0x3E8000 the F2810 has reserved space, not RAM to download to.
    ASSERT_EQ(ReadCoffFile(path.string(), 2, image), CoffResult::Ok);
    const RuleBreak broken = CheckImageRules(image.sections, 2);
    EXPECT_EQ(broken.rule, ImageRule::OutsideMemory);
    EXPECT_NE(RuleBreakMessage(broken, image.sections, 2).find("outside F2810 memory"), std::string::npos);
}

}  // namespace
}  // namespace nembra
