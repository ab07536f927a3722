// nembra-cli on TI's own ELF programs: export writes exactly the words the
// ELF reader finds, section by section, and inspect lists the sections by
// their ELF names.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "CliFiles.h"
#include "CliProcess.h"
#include "image/ElfReader.h"
#include "image/IntelHex.h"

namespace nembra::testing {
namespace {

std::filesystem::path TiElfDir() { return std::filesystem::path(NEMBRA_TESTDATA_DIR) / "ti-elf"; }

class ElfExport : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        if (!std::filesystem::is_directory(TiElfDir()))
            GTEST_SKIP() << "TI ELF test data not found at " << TiElfDir() << " (set NEMBRA_TESTDATA_DIR)";
        path = (TiElfDir() / GetParam()).string();
        std::ifstream in(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
        read = ReadElf(bytes);
        ASSERT_FALSE(read.error.has_value()) << ElfErrorMessage(*read.error);
    }
    CliRun Run(const std::vector<std::string>& args) { return RunTool(args, files.dir.path()); }

    CliFiles files;
    std::string path;
    std::vector<uint8_t> bytes;
    ElfRead read;
};

TEST_P(ElfExport, ExportWritesExactlyTheReadersWords) {
    const std::string hex = files.Path("elf.hex");
    const CliRun run = Run({"--device", "f2812", "export", path, "-o", hex});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    WordMap exported;
    std::string error;
    ASSERT_TRUE(ReadIntelHex(ReadText(hex), exported, error)) << error;

    size_t words = 0;
    for (const ElfSection& section : read.sections) {
        for (size_t i = 0; i < section.words.size(); ++i) {
            const auto it = exported.find(section.loadAddress + static_cast<uint32_t>(i));
            ASSERT_NE(it, exported.end()) << section.name << " word " << i;
            ASSERT_EQ(it->second, section.words[i]) << section.name << " word " << i;
        }
        words += section.words.size();
    }
    EXPECT_EQ(exported.size(), words);
    EXPECT_EQ(run.out, "Intel HEX written to " + hex + " (" + std::to_string(words) + " words)\n");
}

TEST_P(ElfExport, InspectListsTheSectionsByTheirElfNames) {
    const CliRun run = Run({"--device", "f2812", "inspect", path});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    for (const ElfSection& section : read.sections)
        EXPECT_NE(run.out.find(section.name), std::string::npos) << section.name;
    EXPECT_NE(run.out.find(".TI.ramfunc"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Programs, ElfExport,
                         ::testing::Values("F28388D_TIMETASK_CPU1.out", "cla_ex4_pwm_control.out"));

TEST(ElfExportRefusal, F280025RamProgramIsRefusedForAnF2812) {
    if (!std::filesystem::is_directory(TiElfDir())) GTEST_SKIP() << "TI ELF test data not found at " << TiElfDir();
    CliFiles files;
    const std::string hex = files.Path("ram.hex");
    const CliRun run = RunTool({"--device", "f2812", "export", (TiElfDir() / "F280025_Empty.out").string(), "-o", hex},
                               files.dir.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err,
              "The specified file has a section outside F2812 memory: .text (0x00A003-0x00ADF6) at 0x00A003\n");
    EXPECT_FALSE(std::filesystem::exists(hex));
}

}  // namespace
}  // namespace nembra::testing
