#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "image/LoadCoffFile.h"
#include "station/SerialImage.h"
#include "tests/ops/FlashCheck.h"
#include "tests/ops/OpsFixture.h"

namespace nembra::station {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr DeviceType kF2810 = 2;
constexpr DeviceType kF2812 = 4;
constexpr DeviceType kLf240x = 1;

// An image of sections given by address and words, as a loader leaves it.
void AddSection(ProgramImage& image, DeviceType device, const std::string& name, uint32_t address,
                const std::vector<uint16_t>& words) {
    ImageSection section;
    section.name = name;
    section.address = address;
    section.wordCount = static_cast<uint32_t>(words.size());
    section.storeOffset = section.dataOffset = image.totalBytes;
    MarkFlashRegion(section, device);
    for (size_t i = 0; i < words.size(); ++i) {
        image.store()[image.totalBytes + 2 * i] = static_cast<uint8_t>(words[i] & 0xFF);
        image.store()[image.totalBytes + 2 * i + 1] = static_cast<uint8_t>(words[i] >> 8);
    }
    image.totalBytes += static_cast<uint32_t>(2 * words.size());
    image.sections.push_back(section);
    image.flashSummary = FlashSummary{};
    ComputeFlashSummary(image, device);
    image.imageLoaded = true;
}

SerialPlan At(uint32_t address, uint32_t words = 2) {
    SerialPlan plan;
    plan.address = address;
    plan.words = words;
    plan.first = 1;
    plan.last = 9999;
    return plan;
}

class SerialPlacementTest : public ::testing::Test {
protected:
    SerialPlacementTest() {
        AddSection(image, kF2812, "text", 0x3E8000, std::vector<uint16_t>(64, 0x1234));
        std::vector<uint16_t> reserved(16, 0x5555);
        for (size_t i = 4; i < 8; ++i) reserved[i] = 0xFFFF;  // 0x3E8044..0x3E8047
        AddSection(image, kF2812, "econst", 0x3E8040, reserved);
    }
    ProgramImage image;
};

TEST_F(SerialPlacementTest, WordsOutsideEverySectionGetASectionAndTheirSector) {
    const SerialPlacement placement = PlaceSerial(At(0x3F7F00), image, kF2812);
    EXPECT_THAT(placement.problems, IsEmpty());
    EXPECT_EQ(placement.form, SerialForm::OwnSection);
    EXPECT_EQ(placement.sectorMask, 0x0001);       // sector A
    EXPECT_EQ(placement.addedSectorMask, 0x0001);  // the program itself only touches E
    EXPECT_EQ(SectorLetters(placement.addedSectorMask), "A");
}

TEST_F(SerialPlacementTest, PlaceholderWordsRideInTheProgramsSection) {
    const SerialPlacement placement = PlaceSerial(At(0x3E8044, 4), image, kF2812);
    EXPECT_THAT(placement.problems, IsEmpty());
    EXPECT_EQ(placement.form, SerialForm::Placeholder);
    EXPECT_EQ(placement.addedSectorMask, 0);
}

TEST_F(SerialPlacementTest, EachBadPlaceIsRefusedWithItsOwnReason) {
    EXPECT_THAT(PlaceSerial(At(0x3E8043), image, kF2812).problems,
                ElementsAre(HasSubstr("on program words of section \"econst\" that are not 0xFFFF (at 0x3E8043)")));
    EXPECT_THAT(PlaceSerial(At(0x3E8047, 2), image, kF2812).problems,
                ElementsAre(HasSubstr("on program words of section \"econst\" that are not 0xFFFF (at 0x3E8048)")));
    EXPECT_THAT(PlaceSerial(At(0x3E804F, 2), image, kF2812).problems,
                ElementsAre(HasSubstr("partly inside the program"), HasSubstr("not 0xFFFF")));
    EXPECT_THAT(PlaceSerial(At(0x3F7FF6, 4), image, kF2812).problems,
                ElementsAre(HasSubstr("lie on the CSM password words 0x3F7FF8 to 0x3F7FFF")));
    EXPECT_THAT(PlaceSerial(At(0x008000), image, kF2812).problems,
                ElementsAre(HasSubstr("lie outside the F2812's flash (0x3D8000 to 0x3F7FFF)")));
    // The F2810 has the five upper sectors only.
    EXPECT_THAT(PlaceSerial(At(0x3E0000), image, kF2810).problems,
                ElementsAre(HasSubstr("outside the F2810's flash (0x3E8000 to 0x3F7FFF)")));
}

TEST_F(SerialPlacementTest, WordsAcrossASectorEdgeNameBothSectors) {
    const SerialPlacement placement = PlaceSerial(At(0x3F5FFF, 2), image, kF2812);
    EXPECT_THAT(placement.problems, IsEmpty());
    EXPECT_EQ(placement.sectorMask, 0x0003);
    EXPECT_EQ(SectorLetters(placement.sectorMask), "A and B");
}

TEST(SerialPlacementLf240xTest, OnlyAPlaceholderIsAllowed) {
    ProgramImage image;
    std::vector<uint16_t> words(32, 0x7777);
    words[8] = words[9] = 0xFFFF;
    AddSection(image, kLf240x, "text", 0x0040, words);
    EXPECT_THAT(PlaceSerial(At(0x0048), image, kLf240x).problems, IsEmpty());
    EXPECT_THAT(PlaceSerial(At(0x1000), image, kLf240x).problems,
                ElementsAre(HasSubstr("on the LF240xA they must lie on program words that are all 0xFFFF")));
}

TEST_F(SerialPlacementTest, AnOwnSectionJoinsTheFlashSummaryAndTheEraseMask) {
    const SerialPlan plan = At(0x3F7F00);
    const SerialPlacement placement = PlaceSerial(plan, image, kF2812);
    const uint32_t bytesBefore = image.flashSummary.flashBytes;
    std::string error;
    ASSERT_TRUE(PrepareSerialImage(image, plan, placement, kF2812, error)) << error;
    EXPECT_EQ(image.flashSummary.flashSectorMask, 0x0011);
    EXPECT_EQ(image.flashSummary.flashBytes, bytesBefore + 4);
    EXPECT_EQ(image.flashSummary.flashSectionCount, 3);
    ASSERT_TRUE(WriteSerial(image, plan, 0x00012345));
    const ImageSection& serial = image.sections.back();
    EXPECT_EQ(serial.name, kSerialSectionName);
    EXPECT_TRUE(serial.inFlash);
    EXPECT_EQ(image.DataWord(serial, 0), 0x2345);
    EXPECT_EQ(image.DataWord(serial, 1), 0x0001);
    // The program's words are untouched.
    EXPECT_EQ(image.DataWord(image.sections[0], 63), 0x1234);
}

TEST_F(SerialPlacementTest, ACopyTakesItsOwnNumber) {
    const SerialPlan plan = At(0x3E8044, 2);
    std::string error;
    ASSERT_TRUE(PrepareSerialImage(image, plan, PlaceSerial(plan, image, kF2812), kF2812, error));
    ProgramImage copy;
    CopyImage(image, copy);
    ASSERT_TRUE(WriteSerial(copy, plan, 77));
    EXPECT_EQ(copy.DataWord(copy.sections[1], 4), 77);
    EXPECT_EQ(image.DataWord(image.sections[1], 4), 0xFFFF);
    EXPECT_EQ(copy.DataWord(copy.sections[0], 0), 0x1234);
    EXPECT_EQ(copy.flashSummary.flashBytes, image.flashSummary.flashBytes);
}

// A Target Write of a prepared image on the simulated pod leaves the
// number's words in the target's flash, with the program.
class SerialTargetWriteTest : public testing::OpsFixture {
protected:
    void LoadAndNumber(const SerialPlan& plan, uint64_t number) {
        auto ctx = Ctx();
        RunLoad(ctx);
        ASSERT_TRUE(session.image.imageLoaded) << status.lastText();
        const SerialPlacement placement = PlaceSerial(plan, session.image, session.deviceType);
        ASSERT_THAT(placement.problems, IsEmpty());
        std::string error;
        ASSERT_TRUE(PrepareSerialImage(session.image, plan, placement, session.deviceType, error)) << error;
        ASSERT_TRUE(WriteSerial(session.image, plan, number));
        RunTargetWrite(ctx);
        EXPECT_EQ(status.lastText().rfind("Flash Write Completed - ", 0), 0u) << status.lastText();
        ExpectNoProtocolErrors();
    }
};

TEST_F(SerialTargetWriteTest, ANumberOutsideTheProgramLandsInFlash) {
    std::vector<testing::CoffSectionPlan> sections{Section("text", 0x3E8000, 100, 1)};
    UseCoff("app.out", Coff(sections, true), kF2812);
    SerialPlan plan = At(0x3F7F00, 2);
    plan.encoding = SerialEncoding::Bcd;
    LoadAndNumber(plan, 12345678);
    EXPECT_EQ(rig.pod.TargetFlashWord(0x3F7F00), 0x1234);
    EXPECT_EQ(rig.pod.TargetFlashWord(0x3F7F01), 0x5678);
    // Sector A was erased for it and holds nothing else.
    testing::ExpectFlashHolds(rig.pod, testing::FlashWords(session.image), 0x0011);
}

TEST_F(SerialTargetWriteTest, ANumberOnAPlaceholderLandsInFlash) {
    testing::CoffSectionPlan text = Section("text", 0x3F0000, 90, 2);
    for (size_t i = 50; i < 53; ++i) text.words[i] = 0xFFFF;
    UseCoff("app.out", Coff({text}, true), kF2812);
    SerialPlan plan = At(0x3F0032, 3);
    plan.encoding = SerialEncoding::Ascii;
    LoadAndNumber(plan, 4711);
    EXPECT_EQ(rig.pod.TargetFlashWord(0x3F0032), 0x3030);  // "00"
    EXPECT_EQ(rig.pod.TargetFlashWord(0x3F0033), 0x3437);  // "47"
    EXPECT_EQ(rig.pod.TargetFlashWord(0x3F0034), 0x3131);  // "11"
    testing::ExpectFlashHolds(rig.pod, testing::FlashWords(session.image), 0x0004);
}

}  // namespace
}  // namespace nembra::station
