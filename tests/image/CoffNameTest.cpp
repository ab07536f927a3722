// Section names come from the string table as its length field states it,
// read once, so no name is taken from beyond the table and none costs more
// than its own bytes.
#include <gtest/gtest.h>

#include "tests/image/ImageTestSupport.h"

namespace nembra::testing {
namespace {

TEST(CoffStringNames, ANameBeyondTheStatedTableIsNotCoff) {
    CoffFixture f;
    auto coff = FileWith({Section(".long_section_name", 0x8000, Pattern(2))});
    coff.stringTableLength = 4;  // the name's bytes follow, but outside the table
    EXPECT_EQ(f.Read(coff), CoffResult::NotCoff);
    EXPECT_EQ(f.image.sectionCount(), 0);
}

TEST(CoffStringNames, ANameEndingAtTheTableEndIsRead) {
    CoffFixture f;
    auto coff = FileWith({Section("a_name_to_the_end", 0x8000, Pattern(2))});
    ASSERT_EQ(f.Read(coff), CoffResult::Ok);
    EXPECT_EQ(f.Names(), std::vector<std::string>{"a_name_to_the_end"});
}

TEST(CoffStringNames, LongNamesAreKeptCut) {
    CoffFixture f;
    const std::string longName(1000, 'x');
    ASSERT_EQ(f.Read(FileWith({Section(longName, 0x8000, Pattern(2))})), CoffResult::Ok);
    EXPECT_EQ(f.Names(), std::vector<std::string>{std::string(256, 'x')});
}

TEST(CoffStringNames, ManySectionsShareOneLongName) {
    // Each section names the same megabyte-long string; the dropped and the
    // kept ones alike cost only the bytes of their cut name.
    CoffFixture f;
    std::vector<CoffSectionPlan> sections;
    sections.push_back(Section(std::string(1u << 20, 'y'), 0x8000, Pattern(1)));
    for (uint32_t i = 1; i < 4000; ++i) {
        auto s = Section("y", 0x8000 + i, Pattern(1));
        s.nameOffset = 4;
        s.withRawData = i % 2 == 0;
        sections.push_back(s);
    }
    ASSERT_EQ(f.Read(FileWith(std::move(sections))), CoffResult::Ok);
    ASSERT_EQ(f.image.sectionCount(), 2000);
    for (const auto& section : f.image.sections) EXPECT_EQ(section.name, std::string(256, 'y'));
}

TEST(CoffStringNames, DroppedNamesAreToldFromTheTable) {
    CoffFixture f;
    ASSERT_EQ(f.Read(FileWith({Section("_CsmPwlFile", 0x3F7FF8, Pattern(8)), Section("_ramfuncs", 0x8000, Pattern(2)),
                               Section(".debug_frame", 0x8010, Pattern(2))})),
              CoffResult::Ok);
    EXPECT_EQ(f.Names(), std::vector<std::string>{"ramfuncs"});
}

}  // namespace
}  // namespace nembra::testing
