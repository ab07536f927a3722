// Loading TI's Intel HEX (16-bit ROM width) and refusing what is not a program.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "image/ImageWords.h"
#include "image/IntelHex.h"
#include "image/LoadCoffFile.h"
#include "tests/image/ImageTestSupport.h"
#include "tests/image/LoadTestSupport.h"
#include "tests/support/RecordingStatus.h"

namespace nembra::testing {
namespace {

std::string HexOf(const WordMap& words) {
    std::ostringstream out;
    WriteIntelHex(out, words);
    return out.str();
}

WordMap Words(uint32_t address, size_t count, uint16_t seed = 0) {
    WordMap words;
    const std::vector<uint16_t> pattern = Pattern(count, seed);
    for (size_t i = 0; i < count; ++i) words[address + static_cast<uint32_t>(i)] = pattern[i];
    return words;
}

WordMap Joined(std::initializer_list<WordMap> parts) {
    WordMap all;
    for (const WordMap& part : parts) all.insert(part.begin(), part.end());
    return all;
}

struct HexLoad : ::testing::Test {
    TempDir dir;
    ProgramImage image;
    DeviceType deviceType = 0;
    RecentFiles recent;
    RecordingStatus status;
    int selected = 4;

    bool Load(const std::string& name, const std::string& text) {
        LoadContext ctx{image, deviceType, selected, recent, status};
        return LoadCoffFile(ctx, dir.Write(name, std::vector<uint8_t>(text.begin(), text.end())), false).loaded;
    }
    // A good program loaded first, so a refused file must clear it.
    void LoadSomething() { ASSERT_TRUE(Load("first.hex", HexOf(Words(0x3F6000, 8)))) << status.lastText(); }
    void ExpectRefused(const std::string& message) { ExpectLoadRefused(status, image, message); }
};

TEST_F(HexLoad, EachRunOfWordsIsOneSectionInAddressOrder) {
    const WordMap ram = Words(0x008000, 5, 1);
    const WordMap sectorA = Words(0x3F6000, 40, 2);
    const WordMap acrossCD = Words(0x3EFFF0, 0x20, 3);  // D into C, over a 64 Ki-word page
    // Records written out of address order, as a converter may.
    const std::string text = HexOf(sectorA).substr(0, HexOf(sectorA).size() - 12) + HexOf(Joined({ram, acrossCD}));
    ASSERT_TRUE(Load("Prog.hex", text)) << status.lastText();
    EXPECT_EQ(status.lastText(), "Reading COFF file is successful");
    EXPECT_FALSE(status.lastIsError());
    EXPECT_TRUE(image.imageLoaded);
    EXPECT_EQ(image.podFileName, "Prog");
    EXPECT_EQ(deviceType, 4);

    ASSERT_EQ(image.sections.size(), 3u);
    EXPECT_EQ(image.sections[0].address, 0x008000u);
    EXPECT_EQ(image.sections[1].address, 0x3EFFF0u);
    EXPECT_EQ(image.sections[1].wordCount, 0x20u);
    EXPECT_EQ(image.sections[2].address, 0x3F6000u);
    EXPECT_FALSE(image.sections[0].inFlash);
    EXPECT_TRUE(image.sections[1].inFlash);
    EXPECT_EQ(image.sections[1].sectorMask, 0x000C);  // C and D
    EXPECT_EQ(image.sections[2].sectorMask, 0x0001);  // A
    EXPECT_EQ(ImageWords(image), Joined({ram, sectorA, acrossCD}));

    const FlashSummary& sum = image.flashSummary;
    EXPECT_TRUE(sum.hasFlashSection);
    EXPECT_EQ(sum.flashSectorMask, 0x000D);
    EXPECT_EQ(sum.flashSectionCount, 2);
    EXPECT_EQ(sum.flashBytes, 2u * (0x20 + 40));
    EXPECT_EQ(sum.nonFlashSectionCount, 1);
    EXPECT_EQ(sum.nonFlashBytes, 10u);
    EXPECT_EQ(image.sections[2].dataOffset, 2u * 0x20);  // offsets among the flash sections only
}

TEST_F(HexLoad, ContentDecidesTheFormatNotTheName) {
    ASSERT_TRUE(Load("looks-like.out", HexOf(Words(0x3F6000, 4)))) << status.lastText();
    EXPECT_EQ(ImageWords(image), Words(0x3F6000, 4));
    EXPECT_EQ(image.podFileName, "looks-li");

    const std::vector<uint8_t> coff = BuildCoff(FileWith({Section("text", 0x3F4000, Pattern(6))}));
    LoadContext ctx{image, deviceType, selected, recent, status};
    ASSERT_TRUE(LoadCoffFile(ctx, dir.Write("really-coff.hex", coff), false)) << status.lastText();
    ASSERT_EQ(image.sections.size(), 1u);
    EXPECT_EQ(image.sections[0].name, "text");
    EXPECT_EQ(image.podFileName, "really-c");
}

TEST_F(HexLoad, PodFileNameDropsHexAsItDropsOut) {
    EXPECT_EQ(PodFileNameFrom("BOARD.hex"), "BOARD");
    EXPECT_EQ(PodFileNameFrom("board1.HEX"), "board1");
    EXPECT_EQ(PodFileNameFrom("firmware9.Hex"), "firmware");
    EXPECT_EQ(PodFileNameFrom(".hex"), ".hex");
    EXPECT_EQ(PodFileNameFrom("a.hexx"), "a.hexx");
}

TEST_F(HexLoad, MalformedFilesAreRefusedWithTheirOwnMessage) {
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {":02000004003FBB\n:04000000761F0266FE\n:00000001FF\n", "The specified HEX file has a checksum error (line 2)"},
        {":05000000761F0266FF\n:00000001FF\n", "The specified HEX file has a malformed record (line 1)"},
        {":04000000761F0266FF\n", "The specified HEX file is truncated"},
        {":04000000761F0266FF\n:040004", "The specified HEX file has a malformed record (line 2)"},
        {":04000000761G0266FF\n:00000001FF\n", "The specified HEX file has a malformed record (line 1)"},
        {":03000000761F0266\n:00000001FF\n", "The specified HEX file has a malformed record (line 1)"},
        {":04000003761F0266FC\n:00000001FF\n", "The specified HEX file has an unsupported record type (line 1)"},
        {":020000021000EC\n:00000001FF\n", "The specified HEX file has an unsupported record type (line 1)"},
        {":00000001FF\n:02000000761F69\n", "The specified HEX file has a malformed record (line 2)"},
        {":02000004003FBB\n:040010001111222286\n:02001100333387\n:00000001FF\n",
         "The specified HEX file gives a word address twice (0x3F0011)"},
        {": garbage\n", "The specified HEX file has a malformed record (line 1)"},
    };
    for (const auto& c : cases) {
        LoadSomething();
        EXPECT_FALSE(Load("bad.hex", c.text)) << c.text;
        ExpectRefused(c.message);
    }
}

TEST_F(HexLoad, ElfFilesGoToTheElfReader) {
    LoadSomething();
    const std::string elf = std::string(
                                "\x7F"
                                "ELF\x01\x01\x01",
                                7) +
                            std::string(60, '\0');
    EXPECT_FALSE(Load("prog.out", elf));
    ExpectRefused("The specified ELF file is not an executable program");
}

TEST_F(HexLoad, PasswordWordsNeverEnterAnF281xImage) {
    const WordMap aroundPassword = Words(0x3F7FF0, 16, 7);  // 0x3F7FF0..0x3F7FFF
    ASSERT_TRUE(Load("csm.hex", HexOf(aroundPassword))) << status.lastText();
    EXPECT_EQ(ImageWords(image), Words(0x3F7FF0, 8, 7));
    ASSERT_EQ(image.sections.size(), 1u);
    EXPECT_EQ(image.sections[0].wordCount, 8u);
}

TEST_F(HexLoad, Lf240xaProgramsLieBelow64KiWords) {
    selected = 1;
    ASSERT_TRUE(Load("lf.hex", HexOf(Joined({Words(0x0000, 0x44), Words(0xFF00, 0x100)})))) << status.lastText();
    EXPECT_EQ(deviceType, 1);
    ASSERT_EQ(image.sections.size(), 2u);
    EXPECT_FALSE(image.sections[1].inFlash);

    EXPECT_FALSE(Load("f281x.hex", HexOf(Words(0x3F6000, 4))));
    ExpectRefused("The specified file is not match with MCU");
}

TEST_F(HexLoad, EmptyProgramLoadsWithNoSections) {
    ASSERT_TRUE(Load("empty.hex", ":00000001FF\n")) << status.lastText();
    EXPECT_TRUE(image.sections.empty());
    EXPECT_FALSE(image.flashSummary.hasFlashSection);
}

// One record of 16 zero words at a word address within the current page.
std::string ZeroRecord(uint16_t address) {
    char head[10];
    std::snprintf(head, sizeof head, ":20%04X00", address);
    const unsigned sum = 0x20 + (address >> 8) + (address & 0xFF);
    char tail[4];
    std::snprintf(tail, sizeof tail, "%02X\n", (0x100 - (sum & 0xFF)) & 0xFF);
    return head + std::string(64, '0') + tail;
}

TEST_F(HexLoad, MoreWordsThanTheImageHoldsAreRefused) {
    // The image store holds 4 Mi words; one record more than that.
    std::string text;
    const uint32_t records = kImageStoreBytes / 2 / 16 + 1;
    for (uint32_t r = 0; r < records; ++r) {
        const uint32_t address = r * 16;
        if (address % 0x10000 == 0) {
            char upper[20];
            const unsigned page = address >> 16;
            std::snprintf(upper, sizeof upper, ":02000004%04X%02X\n", page,
                          (0x100 - ((6 + (page >> 8) + (page & 0xFF)) & 0xFF)) & 0xFF);
            text += upper;
        }
        text += ZeroRecord(static_cast<uint16_t>(address & 0xFFFF));
    }
    text += ":00000001FF\n";
    EXPECT_FALSE(Load("huge.hex", text));
    ExpectRefused("The specified file is too large for image memory");
}

// One word at each even address: as many separate runs as words.
std::string ScatteredWords(uint32_t count) {
    WordMap words;
    for (uint32_t i = 0; i < count; ++i) words[0x100000 + 2 * i] = static_cast<uint16_t>(i);
    return HexOf(words);
}

TEST_F(HexLoad, SectionCountsFitTheirSixteenBits) {
    ASSERT_TRUE(Load("most.hex", ScatteredWords(0xFFFF))) << status.lastText();
    EXPECT_EQ(image.sectionCount(), 0xFFFF);
    EXPECT_EQ(image.flashSummary.nonFlashSectionCount, 0xFFFF);
    EXPECT_FALSE(Load("too-many.hex", ScatteredWords(0x10000)));
    ExpectRefused("The specified HEX file has more than 65535 separate blocks of words");
}

// TI's own hex output gives the same image as the .out it was made from.
class TiHexFiles : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        folder_ = std::filesystem::path(NEMBRA_TESTDATA_DIR) / "ti-coff";
        if (!std::filesystem::is_directory(folder_))
            GTEST_SKIP() << "TI test data not found at " << folder_ << " (set NEMBRA_TESTDATA_DIR)";
    }
    bool Load(const std::string& extension, ProgramImage& image) {
        DeviceType type = 0;
        LoadContext ctx{image, type, 4, recent, status};
        return LoadCoffFile(ctx, (folder_ / (std::string(GetParam()) + extension)).string(), false).loaded;
    }
    std::filesystem::path folder_;
    RecentFiles recent;
    RecordingStatus status;
};

TEST_P(TiHexFiles, SameWordsAtTheSameAddressesAsTheOutFile) {
    ProgramImage fromOut;
    ProgramImage fromHex;
    ASSERT_TRUE(Load(".out", fromOut)) << status.lastText();
    ASSERT_TRUE(Load(".hex", fromHex)) << status.lastText();
    EXPECT_EQ(ImageWords(fromHex), ImageWords(fromOut));
    EXPECT_EQ(fromHex.flashSummary.flashSectorMask, fromOut.flashSummary.flashSectorMask);
    EXPECT_EQ(fromHex.flashSummary.flashBytes, fromOut.flashSummary.flashBytes);
    EXPECT_EQ(fromHex.flashSummary.nonFlashBytes, fromOut.flashSummary.nonFlashBytes);
    EXPECT_EQ(fromHex.totalBytes, fromOut.totalBytes);
}

INSTANTIATE_TEST_SUITE_P(Programs, TiHexFiles, ::testing::Values("TB3CM_DSP_Code", "Example_281xSci_FFDLB_int"));

}  // namespace
}  // namespace nembra::testing
