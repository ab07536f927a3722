// Section names, skip rules, stored data and the refusals of damaged files.
#include <gtest/gtest.h>

#include "tests/image/ImageTestSupport.h"

namespace nembra::testing {
namespace {

using Names = std::vector<std::string>;

TEST(CoffNames, OneLeadingUnderscoreIsDropped) {
    CoffFixture f;
    ASSERT_EQ(f.Read(FileWith({Section("_text", 0x8000, Pattern(1)), Section("__init", 0x8100, Pattern(1)),
                               Section("_", 0x8200, Pattern(1)), Section("a_b", 0x8300, Pattern(1))})),
              CoffResult::Ok);
    EXPECT_EQ(f.Names(), (Names{"text", "_init", "", "a_b"}));
}

TEST(CoffNames, InlineAndStringTableNames) {
    CoffFixture f;
    auto viaTable = Section("short", 0x8100, Pattern(1));
    viaTable.nameInStringTable = true;
    ASSERT_EQ(f.Read(FileWith({Section("eight_ch", 0x8000, Pattern(1)), viaTable,
                               Section("a_rather_long_name", 0x8200, Pattern(1))})),
              CoffResult::Ok);
    EXPECT_EQ(f.Names(), (Names{"eight_ch", "short", "a_rather_long_name"}));
}

TEST(CoffNames, TheSameNamesInEveryLayout) {
    for (CoffFormat format : {CoffFormat::Coff0, CoffFormat::Coff1}) {
        CoffFixture f;
        ASSERT_EQ(f.Read(FileWith(
                      {Section("_c_int00", 0x8000, Pattern(2)), Section("_a_long_name", 0x9000, Pattern(3))}, format)),
                  CoffResult::Ok);
        EXPECT_EQ(f.Names(), (Names{"c_int00", "a_long_name"}));
    }
}

TEST(CoffNames, NameWithoutNulBeforeTheEndIsNotCoff) {
    CoffFixture f;
    auto coff = FileWith({Section("text", 0x8000, Pattern(1))});
    coff.sections[0].nameInStringTable = true;
    coff.stringTableLength = 8;  // the length field and "text", no NUL
    auto bytes = BuildCoff(coff);
    ASSERT_EQ(bytes.back(), 0);
    bytes.pop_back();
    EXPECT_EQ(f.ReadBytes(bytes), CoffResult::NotCoff);
    EXPECT_EQ(f.image.sectionCount(), 0);
}

TEST(CoffNames, NameOffsetBeyondTheFileIsNotCoff) {
    CoffFixture f;
    auto section = Section("text", 0x8000, Pattern(1));
    section.nameOffset = 0x10000;
    EXPECT_EQ(f.Read(FileWith({section})), CoffResult::NotCoff);
}

CoffSectionPlan Flagged(std::string name, uint32_t flags) {
    auto s = Section(std::move(name), 0x8000, Pattern(2));
    s.flags = flags;
    return s;
}

TEST(CoffSkipRules, FlagsSizeAndRawData) {
    CoffFixture f;
    auto empty = Section("empty", 0x8000, {});
    auto bss = Section(".bss", 0x8000, {});
    bss.sizeWords = 0x40;
    bss.withRawData = false;
    ASSERT_EQ(f.Read(FileWith({Flagged("kept20", 0x20), Flagged("dsect", 0x01), Flagged("noload", 0x02),
                               Flagged("copy", 0x10), empty, bss, Flagged("kept40", 0x40)})),
              CoffResult::Ok);
    EXPECT_EQ(f.Names(), (Names{"kept20", "kept40"}));
}

TEST(CoffSkipRules, StackIsDroppedForBothFamilies) {
    for (auto [type, target] : {std::pair<DeviceType, uint16_t>{0, 0x0092}, {4, 0x009D}}) {
        CoffFixture f;
        ASSERT_EQ(f.Read(FileWith({Section(".stack", 0x400, Pattern(2)), Section("_.stack", 0x500, Pattern(2)),
                                   Section(".Stack", 0x600, Pattern(2))},
                                  CoffFormat::Coff2, target),
                         type),
                  CoffResult::Ok);
        EXPECT_EQ(f.Names(), (Names{".Stack"}));
    }
}

std::vector<CoffSectionPlan> FamilyRuleSections() {
    auto paged = Section("paged", 0x300, Pattern(2));
    paged.page = 1;
    return {Section("_CsmPwlFile", 0x3F7FF8, Pattern(8)),
            Section(".debug_frame", 0, Pattern(2)),
            Section(".debug_abbrev", 0, Pattern(2)),
            Section(".debug_info", 0, Pattern(2)),
            Section(".debug_line", 0, Pattern(2)),
            Section(".debug_str", 0, Pattern(2)),
            paged};
}

TEST(CoffSkipRules, F281xDropsPasswordAndDebugSectionsButNotPages) {
    for (CoffFormat format : {CoffFormat::Coff0, CoffFormat::Coff1, CoffFormat::Coff2}) {
        CoffFixture f;
        ASSERT_EQ(f.Read(FileWith(FamilyRuleSections(), format, 0x009D), 3), CoffResult::Ok);
        EXPECT_EQ(f.Names(), (Names{".debug_str", "paged"}));
    }
}

TEST(CoffSkipRules, Lf240xADropsOtherPagesButKeepsTheNames) {
    for (CoffFormat format : {CoffFormat::Coff0, CoffFormat::Coff1, CoffFormat::Coff2}) {
        CoffFixture f;
        ASSERT_EQ(f.Read(FileWith(FamilyRuleSections(), format, 0x0092), 1), CoffResult::Ok);
        EXPECT_EQ(f.Names(),
                  (Names{"CsmPwlFile", ".debug_frame", ".debug_abbrev", ".debug_info", ".debug_line", ".debug_str"}));
        for (const auto& s : f.image.sections) {
            EXPECT_FALSE(s.inFlash);
            EXPECT_EQ(s.sectorMask, 0);
        }
    }
}

TEST(CoffData, SectionsLieBackToBackInFileOrder) {
    CoffFixture f;
    ASSERT_EQ(f.Read(FileWith({Section("a", 0x9000, Pattern(0x10, 1)), Section("b", 0x8000, Pattern(0x3, 2)),
                               Section("c", 0x3F0000, Pattern(0x100, 3))})),
              CoffResult::Ok);
    const auto& s = f.image.sections;
    ASSERT_EQ(s.size(), 3u);
    EXPECT_EQ(s[0].dataOffset, 0x0u);
    EXPECT_EQ(s[1].dataOffset, 0x20u);
    EXPECT_EQ(s[2].dataOffset, 0x26u);
    EXPECT_EQ(s[2].storeOffset, 0x26u);
    EXPECT_EQ(f.image.totalBytes, 0x226u);
    EXPECT_EQ(s[1].address, 0x8000u);
    EXPECT_EQ(s[2].wordCount, 0x100u);
    EXPECT_EQ(f.Words(s[0]), Pattern(0x10, 1));
    EXPECT_EQ(f.Words(s[1]), Pattern(0x3, 2));
    EXPECT_EQ(f.Words(s[2]), Pattern(0x100, 3));
    // Bytes are stored as the file holds them, low byte first, and the rest
    // of the store reads as erased flash.
    EXPECT_EQ(f.image.store()[0], 0x01);
    EXPECT_EQ(f.image.store()[1], 0x10);
    EXPECT_EQ(f.image.store()[0x226], 0xFF);
}

TEST(CoffData, ReadingAgainReplacesThePreviousImage) {
    CoffFixture f;
    ASSERT_EQ(f.Read(FileWith({Section("a", 0x8000, Pattern(0x40)), Section("b", 0x9000, Pattern(0x40))})),
              CoffResult::Ok);
    ASSERT_EQ(f.Read(FileWith({Section("c", 0xA000, Pattern(2, 7))})), CoffResult::Ok);
    EXPECT_EQ(f.Names(), (Names{"c"}));
    EXPECT_EQ(f.image.totalBytes, 4u);
    EXPECT_EQ(f.image.store()[4], 0xFF);
}

TEST(CoffDamage, RawDataRunningPastTheEndIsRefused) {
    CoffFixture f;
    auto coff = FileWith({Section("a", 0x8000, Pattern(4)), Section("b", 0x9000, Pattern(4))});
    auto bytes = BuildCoff(coff);
    // Point section b's data at the file's last two bytes: one word of four.
    const size_t header = 22 + 48;
    const auto offset = static_cast<uint32_t>(bytes.size() - 2);
    for (int i = 0; i < 4; ++i) bytes[header + 20 + i] = static_cast<uint8_t>(offset >> (8 * i));
    EXPECT_EQ(f.ReadBytes(bytes), CoffResult::NotCoff);
}

TEST(CoffDamage, CutOffSectionHeaderIsNotCoff) {
    CoffFixture f;
    auto coff = FileWith({Section("a", 0x8000, Pattern(2))});
    coff.sectionCount = 200;  // far more headers than the file holds
    EXPECT_EQ(f.Read(coff), CoffResult::NotCoff);
}

TEST(CoffDamage, KeptSectionsBeyondTheStoreAreTooLarge) {
    CoffFixture f;
    auto huge = Section("huge", 0x8000, {});
    huge.sizeWords = 0x400001;  // one word more than the store holds
    huge.rawDataOffset = 100;
    EXPECT_EQ(f.Read(FileWith({huge})), CoffResult::TooLarge);

    // Two sections that fit alone but not together.
    auto half = Section("half", 0x8000, Pattern(0x200000));
    auto more = Section("more", 0x8000, {});
    more.sizeWords = 0x200001;
    more.rawDataOffset = 100;
    EXPECT_EQ(f.Read(FileWith({half, more})), CoffResult::TooLarge);
}

TEST(CoffDamage, ExactlyFullStoreIsAccepted) {
    CoffFixture f;
    ASSERT_EQ(f.Read(FileWith({Section("full", 0x8000, Pattern(0x400000))})), CoffResult::Ok);
    EXPECT_EQ(f.image.totalBytes, kImageStoreBytes);
    EXPECT_EQ(f.image.DataWord(f.image.sections[0], 0x3FFFFF), Pattern(0x400000)[0x3FFFFF]);
    // A read beyond the store gives erased flash rather than stray memory.
    EXPECT_EQ(f.image.DataWord(f.image.sections[0], 0x400000), 0xFFFF);
}

}  // namespace
}  // namespace nembra::testing
