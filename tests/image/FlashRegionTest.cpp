// F281x flash sectors, section marking, the flash summary and clearing.
#include <gtest/gtest.h>

#include "tests/image/ImageTestSupport.h"

namespace nembra::testing {
namespace {

ImageSection Marked(uint32_t address, uint32_t words, DeviceType type) {
    ImageSection s;
    s.address = address;
    s.wordCount = words;
    MarkFlashRegion(s, type);
    return s;
}

TEST(FlashSectors, BoundsOfEverySector) {
    const uint32_t firsts[] = {0x3F6000, 0x3F4000, 0x3F0000, 0x3EC000, 0x3E8000,
                               0x3E4000, 0x3E0000, 0x3DC000, 0x3DA000, 0x3D8000};
    const uint32_t lasts[] = {0x3F7FFF, 0x3F5FFF, 0x3F3FFF, 0x3EFFFF, 0x3EBFFF,
                              0x3E7FFF, 0x3E3FFF, 0x3DFFFF, 0x3DBFFF, 0x3D9FFF};
    for (int i = 0; i < 10; ++i) {
        for (uint32_t address : {firsts[i], lasts[i]}) {
            SectorHit hit{};
            ASSERT_TRUE(FindFlashSector(address, hit)) << std::hex << address;
            EXPECT_EQ(hit.index, i);
            EXPECT_EQ(hit.maskBit, 1u << i);
        }
        EXPECT_EQ(SectorLetter(i), 'A' + i);
    }
    SectorHit hit{};
    EXPECT_FALSE(FindFlashSector(0x3D7FFF, hit));
    EXPECT_FALSE(FindFlashSector(0x3F8000, hit));
    EXPECT_FALSE(FindFlashSector(0, hit));
}

TEST(FlashMarking, RegionDependsOnTheDevice) {
    const auto f2810 = Marked(0x3D8000, 0x100, 2);
    EXPECT_FALSE(f2810.inFlash);
    EXPECT_EQ(f2810.sectorMask, 0);
    for (DeviceType type : {3, 4}) {
        const auto s = Marked(0x3D8000, 0x100, type);
        EXPECT_TRUE(s.inFlash);
        EXPECT_EQ(s.sectorMask, 0x0200);
    }
    EXPECT_TRUE(Marked(0x3E8000, 1, 2).inFlash);
    EXPECT_FALSE(Marked(0x3E7FFF, 1, 2).inFlash);
    EXPECT_FALSE(Marked(0x3F8000, 1, 4).inFlash);
    EXPECT_FALSE(Marked(0x8000, 1, 4).inFlash);
}

TEST(FlashMarking, SpanningSectionsCoverEverySectorBetween) {
    EXPECT_EQ(Marked(0x3F0000, 0x8000, 4).sectorMask, 0x0007);
    EXPECT_EQ(Marked(0x3F6000, 0x2000, 4).sectorMask, 0x0001);
    EXPECT_EQ(Marked(0x3D9FFF, 2, 4).sectorMask, 0x0300);
    EXPECT_EQ(Marked(0x3D8000, 0x20000, 4).sectorMask, 0x03FF);
}

TEST(FlashMarking, SectionRunningOffTheTopKeepsItsSectors) {
    // Last word beyond 0x3F7FFF: every sector from the first word's up.
    const auto s = Marked(0x3F3000, 0x6000, 4);
    EXPECT_TRUE(s.inFlash);
    EXPECT_EQ(s.sectorMask, 0x0007);
    EXPECT_EQ(Marked(0x3F7FFF, 2, 4).sectorMask, 0x0001);
}

TEST(FlashMarking, Lf240xANeverMarks) {
    for (DeviceType type : {0, 1}) {
        const auto s = Marked(0x3F0000, 0x10, type);
        EXPECT_FALSE(s.inFlash);
        EXPECT_EQ(s.sectorMask, 0);
    }
}

TEST(FlashSummary, FlashAndOtherSectionsAreCountedApart) {
    CoffFixture f;
    ASSERT_EQ(f.Read(FileWith({Section("ram", 0x8000, Pattern(0x40)), Section("f1", 0x3F0000, Pattern(0x100)),
                               Section("ram2", 0x9000, Pattern(0x10)), Section("f2", 0x3D8000, Pattern(0x80))})),
              CoffResult::Ok);
    ComputeFlashSummary(f.image, 4);
    const auto& sum = f.image.flashSummary;
    EXPECT_TRUE(sum.hasFlashSection);
    EXPECT_EQ(sum.flashSectionCount, 2);
    EXPECT_EQ(sum.flashSectionEnd, 4);
    EXPECT_EQ(sum.flashBytes, 0x300u);
    EXPECT_EQ(sum.flashSectorMask, 0x0204);
    EXPECT_EQ(sum.nonFlashSectionCount, 2);
    EXPECT_EQ(sum.nonFlashBytes, 0xA0u);
    const auto& s = f.image.sections;
    EXPECT_EQ(s[1].dataOffset, 0u);
    EXPECT_EQ(s[3].dataOffset, 0x200u);
    // Only the stream offset moves; the words are still found in the store.
    EXPECT_EQ(s[0].dataOffset, 0u);
    EXPECT_EQ(s[2].dataOffset, 0x280u);
    EXPECT_EQ(s[3].storeOffset, 0x2A0u);
    EXPECT_EQ(f.Words(s[3]), Pattern(0x80));
    EXPECT_EQ(sum.flashBytes + sum.nonFlashBytes, f.image.totalBytes);
}

TEST(FlashSummary, Lf240xALeavesTheSummaryAsItWas) {
    CoffFixture f;
    f.image.flashSummary.flashSectorMask = 0x55;
    ASSERT_EQ(f.Read(FileWith({Section("text", 0x3F0000, Pattern(4))}, CoffFormat::Coff2, 0x0092), 0), CoffResult::Ok);
    ComputeFlashSummary(f.image, 0);
    EXPECT_EQ(f.image.flashSummary.flashSectorMask, 0x55);
    EXPECT_EQ(f.image.flashSummary.nonFlashSectionCount, 0);
}

TEST(ClearImageTest, EmptiesEverythingButTheNameAndFlag) {
    ProgramImage image;
    image.sections.push_back(ImageSection{});
    image.totalBytes = 10;
    image.podFileName = "PROG";
    image.imageLoaded = true;
    image.flashSummary.flashBytes = 8;
    image.store()[5] = 0;
    ClearImage(image, 1);
    EXPECT_EQ(image.sectionCount(), 0);
    EXPECT_EQ(image.totalBytes, 0u);
    EXPECT_EQ(image.store()[5], 0xFF);
    EXPECT_EQ(image.flashSummary.flashBytes, 8u);  // LF240xA: not the family's summary
    ClearImage(image, 2);
    EXPECT_EQ(image.flashSummary.flashBytes, 0u);
    EXPECT_EQ(image.podFileName, "PROG");
    EXPECT_TRUE(image.imageLoaded);
}

// A stand-in image holds no 8 MiB until something uses it, and reads as
// erased flash before and after.
TEST(ClearImageTest, AStoreMadeOnFirstUseReadsErasedBeforeAndAfter) {
    ProgramImage image(ImageStore::MadeOnFirstUse);
    const ProgramImage& unused = image;
    EXPECT_EQ(unused.store(), nullptr);
    ImageSection section;
    section.wordCount = 4;
    EXPECT_EQ(image.DataWord(section, 1), 0xFFFF);
    ASSERT_NE(image.store(), nullptr);
    EXPECT_EQ(image.store()[kImageStoreBytes - 1], 0xFF);
    image.store()[2] = 0x34;
    image.store()[3] = 0x12;
    EXPECT_EQ(image.DataWord(section, 1), 0x1234);
    ClearImage(image, 4);
    EXPECT_EQ(image.DataWord(section, 1), 0xFFFF);
}

}  // namespace
}  // namespace nembra::testing
