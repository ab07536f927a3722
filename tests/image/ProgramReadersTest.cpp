// The readers on their own: bytes in, what they find out to a sink, a fault
// with its place; and the rules that take their sections, the same for
// every format.
#include <gtest/gtest.h>

#include <sstream>

#include "image/CoffReader.h"
#include "image/IntelHex.h"
#include "image/ProgramFormat.h"
#include "image/ProgramLoad.h"
#include "tests/image/ImageTestSupport.h"
#include "tests/support/ElfBuilder.h"

namespace nembra::testing {
namespace {

// Keeps what a reader hands over, in order.
struct Found {
    std::string name;
    uint32_t address = 0;
    uint32_t wordCount = 0;
    std::vector<uint8_t> bytes;
    uint16_t page = 0;
    bool readable = true;
};

class CollectingSink final : public SectionSink {
public:
    LoadFault Family(DeviceFamily f) override {
        family = f;
        return {};
    }
    LoadFault Begin() override {
        begun = true;
        return {};
    }
    LoadFault Section(const FoundSection& s) override {
        sections.push_back(
            {std::string(s.name), s.address, s.wordCount, {s.bytes.begin(), s.bytes.end()}, s.page, s.unreadable.ok()});
        return {};
    }
    std::optional<DeviceFamily> family;
    bool begun = false;
    std::vector<Found> sections;
};

TEST(CoffBytes, TheReaderFindsSectionsAndFamilyFromBytesAlone) {
    auto paged = Section("_paged", 0x300, Pattern(2, 4));
    paged.page = 1;
    const auto bytes = BuildCoff(
        FileWith({Section("_text", 0x8000, {0x1234}), paged, Section("empty", 0x9000, {})}, CoffFormat::Coff1, 0x0092));
    CollectingSink sink;
    ASSERT_TRUE(ReadCoffProgram(bytes, sink).ok());
    EXPECT_EQ(sink.family, DeviceFamily::Lf240xA);
    EXPECT_TRUE(sink.begun);
    ASSERT_EQ(sink.sections.size(), 2u);  // the empty section holds nothing to load
    EXPECT_EQ(sink.sections[0].name, "text");
    EXPECT_EQ(sink.sections[0].bytes, (std::vector<uint8_t>{0x34, 0x12}));
    EXPECT_EQ(sink.sections[1].name, "paged");
    EXPECT_EQ(sink.sections[1].page, 1);
}

TEST(CoffBytes, FaultsSayWhereTheyShow) {
    CollectingSink sink;
    auto coff = FileWith({Section("a", 0x8000, Pattern(2))});
    coff.sectionCount = 3;  // two headers more than the file holds
    auto fault = ReadCoffProgram(BuildCoff(coff), sink);
    EXPECT_EQ(fault.result, CoffResult::NotCoff);
    EXPECT_EQ(fault.offset, 22u + 48);  // the second header

    coff = FileWith({}, CoffFormat::Coff2, 0x0093);
    fault = ReadCoffProgram(BuildCoff(coff), sink);
    EXPECT_EQ(fault.result, CoffResult::DeviceMismatch);
    EXPECT_EQ(fault.offset, 20u);  // the target id
}

TEST(CoffBytes, DataMissingFromTheFileCountsOnlyForAKeptSection) {
    // The debug section's data runs past the end of the file: the F281x
    // family leaves the section out and loads the rest; the LF240xA family
    // keeps it and refuses the file.
    for (auto [type, target, expected] :
         {std::tuple<DeviceType, uint16_t, CoffResult>{4, 0x009D, CoffResult::Ok}, {1, 0x0092, CoffResult::NotCoff}}) {
        auto debug = Section(".debug_info", 0x100, {});
        debug.sizeWords = 0x1000;
        debug.rawDataOffset = 30;
        CoffFixture f;
        EXPECT_EQ(f.Read(FileWith({Section("text", 0x200, Pattern(4)), debug}, CoffFormat::Coff2, target), type),
                  expected);
    }
}

TEST(HexBytes, RunsEndAtThePasswordEdgesAndHighWordsNameTheF281x) {
    WordMap words;
    for (uint32_t a = 0x3F7FF0; a < 0x3F8010; ++a) words[a] = static_cast<uint16_t>(a);
    std::ostringstream text;
    WriteIntelHex(text, words);
    const std::string hex = text.str();
    CollectingSink sink;
    ASSERT_TRUE(ReadHexProgram({reinterpret_cast<const uint8_t*>(hex.data()), hex.size()}, sink).ok());
    EXPECT_EQ(sink.family, DeviceFamily::F281x);
    ASSERT_EQ(sink.sections.size(), 3u);
    EXPECT_EQ(sink.sections[0].name, "hex@3F7FF0");
    EXPECT_EQ(sink.sections[1].address, 0x3F7FF8u);
    EXPECT_EQ(sink.sections[1].wordCount, 8u);
    EXPECT_EQ(sink.sections[2].name, "hex@3F8000");
}

TEST(ProgramFormats, EachFormatHasItsReader) {
    EXPECT_EQ(FormatFor(ProgramFormat::Coff).read, &ReadCoffProgram);
    EXPECT_EQ(FormatFor(ProgramFormat::Elf).read, &ReadElfProgram);
    EXPECT_EQ(FormatFor(ProgramFormat::IntelHex).read, &ReadHexProgram);
    EXPECT_FALSE(FormatFor(ProgramFormat::IntelHex).namesSections);
    const auto elf = BuildElf(F281xElfProgram());
    EXPECT_EQ(ProgramFormatOf(std::span<const uint8_t>(elf)), ProgramFormat::Elf);
    EXPECT_EQ(ProgramFormatOf(std::string(" \r\n:00000001FF\n")), ProgramFormat::IntelHex);
    EXPECT_EQ(ProgramFormatOf(std::string("\xC2")), ProgramFormat::Coff);
}

TEST(ProgramLoadBytes, TheWholeLoadRunsOnBytesWithoutAFile) {
    ProgramImage image;
    const auto elf = BuildElf(F281xElfProgram());
    ASSERT_TRUE(LoadProgramBytes(elf, 4, image).ok());
    EXPECT_EQ(image.sections.size(), 4u);
    EXPECT_EQ(image.flashSummary.flashSectorMask, 0x0007);

    const auto overlapping = BuildCoff(FileWith({Section("a", 0x8000, Pattern(4)), Section("b", 0x8002, Pattern(4))}));
    const LoadFault fault = LoadProgramBytes(overlapping, 4, image);
    ASSERT_EQ(fault.result, CoffResult::RuleBroken);
    EXPECT_EQ(
        LoadFaultMessage(fault, image.sections, 4),
        "The specified file has overlapping sections: a (0x008000-0x008003) and b (0x008002-0x008005) at 0x008002");
}

// Emptying the image costs what the last program wrote, yet every byte of
// the store that no section holds still reads erased.
TEST(ImageStoreExtent, ALaterSmallerProgramLeavesNoOldWordsBehind) {
    ProgramImage image;
    const auto large = BuildCoff(FileWith({Section("big", 0x080000, Pattern(0x10000, 3))}));
    ASSERT_TRUE(LoadProgramBytes(large, 4, image).ok());
    const auto small = BuildCoff(FileWith({Section("small", 0x8000, Pattern(2, 5))}));
    ASSERT_TRUE(LoadProgramBytes(small, 4, image).ok());
    const ProgramImage& view = image;
    for (uint32_t b = 4; b < 0x20000; ++b) ASSERT_EQ(view.store()[b], 0xFF) << b;
}

}  // namespace
}  // namespace nembra::testing
