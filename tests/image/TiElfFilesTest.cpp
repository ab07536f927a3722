// Real executables from TI's C28x tools in their ELF format, checked against
// the output-section table of the linker's own map file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>

#include "image/ElfReader.h"

namespace nembra {
namespace {

std::filesystem::path TiDir() { return std::filesystem::path(NEMBRA_TESTDATA_DIR) / "ti-elf"; }

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// One output section of the map's allocation table.
struct MapSection {
    std::string name;
    uint32_t loadAddress = 0;
    uint32_t words = 0;
    bool initialised = true;
};

// The map lists each output section as "name page origin length attributes",
// with a long name alone on its line and the rest on the next after a '*'.
std::vector<MapSection> ReadMap(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::string line, pending;
    bool inTable = false;
    std::vector<MapSection> sections;
    const std::regex row(R"(^(\S+)\s+\d+\s+([0-9a-f]{8})\s+([0-9a-f]{8})\s*(.*)$)");
    const std::regex nameAlone(R"(^(\S+)\s*$)");
    std::smatch m;
    while (std::getline(in, line)) {
        if (line.find("SECTION ALLOCATION MAP") != std::string::npos) inTable = true;
        if (line.find("LINKER GENERATED") != std::string::npos) break;
        if (!inTable || line.empty() || line[0] == ' ') continue;
        if (std::regex_match(line, m, row)) {
            const std::string name = m[1] == "*" ? pending : std::string(m[1]);
            const std::string attributes = m[4];
            const bool initialised =
                attributes.find("UNINITIALIZED") == std::string::npos && attributes.find("DSECT") == std::string::npos;
            sections.push_back({name, static_cast<uint32_t>(std::stoul(m[2], nullptr, 16)),
                                static_cast<uint32_t>(std::stoul(m[3], nullptr, 16)), initialised});
        } else if (std::regex_match(line, m, nameAlone)) {
            pending = m[1];
        }
    }
    return sections;
}

const ElfSection* Find(const ElfRead& read, const std::string& name) {
    for (const auto& section : read.sections)
        if (section.name == name) return &section;
    return nullptr;
}

class TiElfFiles : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        if (!std::filesystem::is_directory(TiDir()))
            GTEST_SKIP() << "TI ELF test data not found at " << TiDir() << " (set NEMBRA_TESTDATA_DIR)";
        bytes = ReadBytes(TiDir() / (std::string(GetParam()) + ".out"));
        map = ReadMap(TiDir() / (std::string(GetParam()) + ".map"));
        read = ReadElf(bytes);
        ASSERT_FALSE(read.error.has_value()) << ElfErrorMessage(*read.error);
        ASSERT_GT(map.size(), 5u) << "no section table read from the map";
    }
    std::vector<uint8_t> bytes;
    std::vector<MapSection> map;
    ElfRead read;
};

TEST_P(TiElfFiles, EveryInitialisedMapSectionIsReadAtItsLoadAddress) {
    size_t initialised = 0;
    for (const MapSection& expected : map) {
        if (!expected.initialised || expected.words == 0) continue;
        ++initialised;
        const ElfSection* section = Find(read, expected.name);
        ASSERT_NE(section, nullptr) << expected.name;
        EXPECT_EQ(section->loadAddress, expected.loadAddress) << expected.name;
        EXPECT_EQ(section->words.size(), expected.words) << expected.name;
    }
    // Nothing beyond what the map lists: no debug section, no other run.
    EXPECT_EQ(read.sections.size(), initialised);
}

TEST_P(TiElfFiles, UninitialisedSectionsGiveNoWords) {
    size_t uninitialised = 0;
    for (const MapSection& expected : map) {
        if (expected.initialised) continue;
        ++uninitialised;
        EXPECT_EQ(Find(read, expected.name), nullptr) << expected.name;
    }
    EXPECT_GT(uninitialised, 0u);
    EXPECT_EQ(Find(read, ".stack"), nullptr);
    for (const auto& section : read.sections) EXPECT_NE(section.name.rfind(".debug", 0), 0u) << section.name;
}

TEST_P(TiElfFiles, WordsAreTheFilesBytesLowByteFirst) {
    for (const auto& section : read.sections) {
        ASSERT_LE(section.fileOffset + 2 * section.words.size(), bytes.size()) << section.name;
        for (size_t i = 0; i < section.words.size(); ++i) {
            const size_t at = section.fileOffset + 2 * i;
            ASSERT_EQ(section.words[i], bytes[at] | (bytes[at + 1] << 8)) << section.name << " word " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Programs, TiElfFiles,
                         ::testing::Values("F28388D_TIMETASK_CPU1", "cla_ex4_pwm_control", "F280025_Empty"));

class TiElfFile : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::is_directory(TiDir()))
            GTEST_SKIP() << "TI ELF test data not found at " << TiDir() << " (set NEMBRA_TESTDATA_DIR)";
    }
    static ElfRead Read(const char* name) { return ReadElf(ReadBytes(TiDir() / name)); }
};

// Words checked against a dump of the file: codestart is a long branch, and
// the copied code's first words.
TEST_F(TiElfFile, TimetaskRamFunctionAndClaCodeAtTheirLoadAddresses) {
    const ElfRead read = Read("F28388D_TIMETASK_CPU1.out");
    ASSERT_FALSE(read.error.has_value());
    const ElfSection* codestart = Find(read, "codestart");
    ASSERT_NE(codestart, nullptr);
    EXPECT_EQ(codestart->words, (std::vector<uint16_t>{0x0048, 0x4CA2}));
    const ElfSection* ramfunc = Find(read, ".TI.ramfunc");
    ASSERT_NE(ramfunc, nullptr);
    EXPECT_EQ(ramfunc->loadAddress, 0x086000u);
    EXPECT_EQ(ramfunc->runAddress, 0x008000u);
    EXPECT_EQ(ramfunc->words.at(0), 0x761B);
    EXPECT_EQ(ramfunc->words.at(1), 0xFFF0);
    const ElfSection* cla = Find(read, "Cla1Prog");
    ASSERT_NE(cla, nullptr);
    EXPECT_EQ(cla->loadAddress, 0x0A0000u);
    EXPECT_EQ(cla->runAddress, 0x009800u);
    EXPECT_EQ(cla->words.at(1), 0x7841);
    const ElfSection* fapi = Find(read, ".fapi_ram");
    ASSERT_NE(fapi, nullptr);
    EXPECT_EQ(fapi->loadAddress, 0x0BA000u);
    EXPECT_EQ(fapi->runAddress, 0x01B000u);
}

TEST_F(TiElfFile, ClaExampleProgramAndRamCode) {
    const ElfRead read = Read("cla_ex4_pwm_control.out");
    ASSERT_FALSE(read.error.has_value());
    const ElfSection* cla = Find(read, "Cla1Prog");
    ASSERT_NE(cla, nullptr);
    EXPECT_EQ(cla->loadAddress, 0x088000u);
    EXPECT_EQ(cla->runAddress, 0x00A800u);
    EXPECT_EQ(cla->words.at(0), 0x8900);
    const ElfSection* ramfunc = Find(read, ".TI.ramfunc");
    ASSERT_NE(ramfunc, nullptr);
    EXPECT_EQ(ramfunc->runAddress, 0x00C000u);
    EXPECT_EQ(ramfunc->words.at(0), 0xFE04);
}

TEST_F(TiElfFile, RamProgramLoadsWhereItRuns) {
    const ElfRead read = Read("F280025_Empty.out");
    ASSERT_FALSE(read.error.has_value());
    for (const auto& section : read.sections) EXPECT_EQ(section.loadAddress, section.runAddress) << section.name;
    const ElfSection* text = Find(read, ".text");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->words.at(0), 0xFE02);
    EXPECT_EQ(text->words.at(1), 0xFF20);
}

}  // namespace
}  // namespace nembra
