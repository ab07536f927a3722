// ELF executables through Load: the same rules as every other format, the
// ELF reader's refusals with their own messages, and TI's own ELF programs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "image/ElfReader.h"
#include "image/ImageWords.h"
#include "image/LoadCoffFile.h"
#include "tests/image/LoadTestSupport.h"
#include "tests/support/CoffBuilder.h"
#include "tests/support/ElfBuilder.h"
#include "tests/support/RecordingStatus.h"

namespace nembra::testing {
namespace {

using elf_field::kPFilesz;
using elf_field::kPMemsz;

// Segment 0 made to claim more bytes than the file holds.
std::vector<uint8_t> CutSegment(std::vector<uint8_t> bytes) {
    PutLe32(bytes, ElfProgramHeaderAt(bytes, 0) + kPFilesz, 0x100000);
    PutLe32(bytes, ElfProgramHeaderAt(bytes, 0) + kPMemsz, 0x100000);
    return bytes;
}

class ElfLoad : public ::testing::Test {
protected:
    bool Load(const std::vector<uint8_t>& bytes, const std::string& name = "prog.out") {
        LoadContext ctx{image, deviceType, selected, recent, status};
        return LoadCoffFile(ctx, dir.Write(name, bytes), true).loaded;
    }
    // A good program loaded first, so a refused file must clear it.
    void LoadSomething() {
        const int chosen = selected;
        selected = 4;
        ASSERT_TRUE(Load(BuildElf(F281xElfProgram()))) << status.lastText();
        selected = chosen;
    }
    void ExpectRefused(const std::string& message) { ExpectLoadRefused(status, image, message); }

    TempDir dir;
    ProgramImage image;
    DeviceType deviceType = 0;
    RecentFiles recent;
    RecordingStatus status;
    int selected = 4;
};

TEST_F(ElfLoad, F281xProgramLoadsAtItsLoadAddressesWithoutPasswordOrDebugWords) {
    ASSERT_TRUE(Load(BuildElf(F281xElfProgram()), "Board.out")) << status.lastText();
    EXPECT_EQ(status.lastText(), "Reading COFF file is successful");
    EXPECT_TRUE(image.imageLoaded);
    EXPECT_EQ(image.podFileName, "Board");
    ASSERT_EQ(recent.paths().size(), 1u);

    ASSERT_EQ(image.sections.size(), 4u);
    const struct {
        const char* name;
        uint32_t address;
        std::vector<uint16_t> words;
        uint16_t sectorMask;
    } expected[] = {
        {".text", 0x3F6000, Pattern(0x40, 1), 0x0001},
        {".econst", 0x3F6040, Pattern(0x11, 2), 0x0001},
        {".cinit", 0x3F4000, Pattern(0x08, 3), 0x0002},
        {"ramfuncs", 0x3F0000, Pattern(0x20, 4), 0x0004},  // its load address, not L0 where it runs
    };
    uint32_t offset = 0;
    for (size_t i = 0; i < image.sections.size(); ++i) {
        const ImageSection& s = image.sections[i];
        EXPECT_EQ(s.name, expected[i].name);
        EXPECT_EQ(s.address, expected[i].address) << s.name;
        EXPECT_TRUE(s.inFlash) << s.name;
        EXPECT_EQ(s.sectorMask, expected[i].sectorMask) << s.name;
        EXPECT_EQ(s.dataOffset, offset) << s.name;
        std::vector<uint16_t> words;
        for (uint32_t w = 0; w < s.wordCount; ++w) words.push_back(image.DataWord(s, w));
        EXPECT_EQ(words, expected[i].words) << s.name;
        offset += 2 * s.wordCount;
    }
    EXPECT_EQ(image.totalBytes, offset);
    EXPECT_EQ(image.flashSummary.flashSectorMask, 0x0007);
    EXPECT_EQ(image.flashSummary.flashSectionCount, 4);
}

TEST_F(ElfLoad, Lf240xADeviceRefusesEveryC2000Executable) {
    const std::string message =
        "The specified file is an ELF file; LF240xA programs must be COFF (ELF is for the F281x family)";
    for (int device : {0, 1}) {
        LoadSomething();
        selected = device;
        EXPECT_FALSE(Load(BuildElf(F281xElfProgram())));
        ExpectRefused(message);
        EXPECT_EQ(deviceType, device);
    }
    // The family is named by the ELF header, so it is told before a fault
    // further on in the file.
    EXPECT_FALSE(Load(CutSegment(BuildElf(F281xElfProgram()))));
    ExpectRefused(message);
    // A file that is no C2000 executable says what it is instead.
    ElfFilePlan wide = F281xElfProgram();
    wide.elfClass = 2;
    EXPECT_FALSE(Load(BuildElf(wide)));
    ExpectRefused("The specified ELF file is 64-bit; only 32-bit ELF files can be loaded");
}

TEST_F(ElfLoad, ReaderRefusalsKeepTheirMessages) {
    ElfFilePlan relocatable = F281xElfProgram();
    relocatable.type = 1;
    ElfFilePlan otherMachine = F281xElfProgram();
    otherMachine.machine = 40;
    ElfFilePlan bigEndian = F281xElfProgram();
    bigEndian.dataEncoding = 2;
    const auto good = BuildElf(F281xElfProgram());
    const auto truncated = CutSegment(good);
    const uint32_t header = ElfProgramHeaderAt(good, 0);
    char cutMessage[96];
    std::snprintf(cutMessage, sizeof cutMessage, "The specified ELF file is truncated in its program data (byte 0x%X)",
                  header);

    const std::pair<std::vector<uint8_t>, std::string> cases[] = {
        {BuildElf(relocatable),
         "The specified ELF file is a relocatable object, not a linked program; load the linker's output"},
        {BuildElf(otherMachine), "The specified ELF file is not for a TI C2000 device"},
        {BuildElf(bigEndian), "The specified ELF file is big-endian; only little-endian ELF files can be loaded"},
        {truncated, cutMessage},
        {std::vector<uint8_t>(good.begin(), good.begin() + 30),
         "The specified ELF file is truncated in its headers (byte 0x0)"},
    };
    for (const auto& [bytes, message] : cases) {
        LoadSomething();
        EXPECT_FALSE(Load(bytes)) << message;
        ExpectRefused(message);
    }
}

TEST_F(ElfLoad, SectionsPassTheSameImageRulesAsCoff) {
    ElfFilePlan outside = F281xElfProgram();
    outside.segments.push_back(LoadSegment(0x3FF000));
    outside.sections.push_back(CodeSection("vectors", outside.segments.size() - 1, Pattern(4, 9)));
    LoadSomething();
    EXPECT_FALSE(Load(BuildElf(outside)));
    ExpectRefused("The specified file has a section outside F2812 memory: vectors (0x3FF000-0x3FF003) at 0x3FF000");
}

// What Load keeps of an ELF file is what the reader found, less what the
// rules leave out.
void ExpectImageHoldsReader(const ProgramImage& image, const std::vector<uint8_t>& bytes) {
    const ElfRead read = ReadElf(bytes);
    ASSERT_FALSE(read.error.has_value());
    ASSERT_EQ(image.sections.size(), read.sections.size());
    for (size_t i = 0; i < read.sections.size(); ++i) {
        const ElfSection& found = read.sections[i];
        const ImageSection& kept = image.sections[i];
        EXPECT_EQ(kept.name, found.name);
        EXPECT_EQ(kept.address, found.loadAddress) << found.name;
        ASSERT_EQ(kept.wordCount, found.words.size()) << found.name;
        for (uint32_t w = 0; w < kept.wordCount; ++w)
            ASSERT_EQ(image.DataWord(kept, w), found.words[w]) << found.name << " word " << w;
    }
}

std::filesystem::path TiElfDir() { return std::filesystem::path(NEMBRA_TESTDATA_DIR) / "ti-elf"; }

std::vector<uint8_t> FileBytesOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class TiElfLoad : public ElfLoad {
protected:
    void SetUp() override {
        if (!std::filesystem::is_directory(TiElfDir()))
            GTEST_SKIP() << "TI ELF test data not found at " << TiElfDir() << " (set NEMBRA_TESTDATA_DIR)";
    }
    bool LoadTi(const char* name) {
        LoadContext ctx{image, deviceType, selected, recent, status};
        return LoadCoffFile(ctx, (TiElfDir() / name).string(), false).loaded;
    }
};

// TI's F2838x programs load at 0x080000 and up, which on an F2812 is external
// memory (XINTF zones 2 and 6), so the F281x rules take them whole.
TEST_F(TiElfLoad, F2838xProgramsLoadForAnF2812WithEveryWordTheReaderFinds) {
    for (const char* name : {"F28388D_TIMETASK_CPU1.out", "cla_ex4_pwm_control.out"}) {
        ASSERT_TRUE(LoadTi(name)) << name << ": " << status.lastText();
        ExpectImageHoldsReader(image, FileBytesOf(TiElfDir() / name));
        EXPECT_FALSE(image.flashSummary.hasFlashSection) << name;
    }
}

TEST_F(TiElfLoad, F280025RamProgramIsRefusedByTheMemoryRule) {
    EXPECT_FALSE(LoadTi("F280025_Empty.out"));
    // Its code lies in L0/L1 SARAM of its own device and runs on past 0x009FFF.
    EXPECT_EQ(status.lastText(),
              "The specified file has a section outside F2812 memory: .text (0x00A003-0x00ADF6) at 0x00A003");
    EXPECT_TRUE(image.sections.empty());
}

}  // namespace
}  // namespace nembra::testing
