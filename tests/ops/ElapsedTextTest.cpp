#include <gtest/gtest.h>

#include "ops/Operations.h"
#include "pod/SerialFlashStore.h"

namespace nembra {
namespace {

TEST(ElapsedText, FormatsTheUnsignedDifferenceInSeconds) {
    EXPECT_EQ(ElapsedText(true, 1000, true, 2500), "1.50 sec");
    EXPECT_EQ(ElapsedText(true, 5, true, 5), "0.00 sec");
    EXPECT_EQ(ElapsedText(true, 0, true, 12345), "12.35 sec");
}

TEST(ElapsedText, WrapOfTheCounterStillGivesTheTrueDuration) {
    EXPECT_EQ(ElapsedText(true, 0xFFFFFF00u, true, 0x00000100u), "0.51 sec");
}

TEST(ElapsedText, FailedClockReadGivesNoText) {
    EXPECT_EQ(ElapsedText(false, 0, true, 100), "");
    EXPECT_EQ(ElapsedText(true, 0, false, 100), "");
}

TEST(TargetWriteMessage, OneLinePerResult) {
    EXPECT_STREQ(TargetWriteMessage(TargetWriteResult::Success), "Flash Write Completed - ");
    EXPECT_STREQ(TargetWriteMessage(TargetWriteResult::BootFailed), "Fail to start SCI boot");
    EXPECT_STREQ(TargetWriteMessage(TargetWriteResult::DownloadFailed), "Fail to download user program");
    EXPECT_STREQ(TargetWriteMessage(TargetWriteResult::ResetFailed), "Fail to reset target board");
    EXPECT_STREQ(TargetWriteMessage(TargetWriteResult::AlgorithmFailed), "Fail to download flash algorithm code");
    EXPECT_STREQ(TargetWriteMessage(TargetWriteResult::FlashInitFailed),
                 "Fail to initialize target board for flash memory write");
    EXPECT_STREQ(TargetWriteMessage(TargetWriteResult::EraseFailed), "Fail to erase flash memory");
    EXPECT_STREQ(TargetWriteMessage(TargetWriteResult::WriteFailed), "Fail to write flash memory");
}

TEST(MakeTagRecord, NameThenDateHighByteFirst) {
    const TagRecord tag = MakeTagRecord("abc", LocalDateTime{2007, 3, 2, 14, 5});
    EXPECT_EQ(tag, (TagRecord{'a', 'b', 'c', 0, 0, 0, 0, 0, 0x07, 0xD7, 3, 2, 14, 5}));
}

TEST(MakeTagRecord, LongNameIsCutToEightBytes) {
    const TagRecord tag = MakeTagRecord("ABCDEFGHIJ", LocalDateTime{2024, 12, 31, 23, 59});
    EXPECT_EQ(tag, (TagRecord{'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 0x07, 0xE8, 12, 31, 23, 59}));
}

TEST(EraseMask, DependsOnTheDeviceAndTheEraseMode) {
    EXPECT_EQ(EraseMask(2, 0x0204, false), 0x0004);  // F2810 has sectors A-E only
    EXPECT_EQ(EraseMask(2, 0x0004, true), 0x001F);
    EXPECT_EQ(EraseMask(3, 0x0024, false), 0x0024);
    EXPECT_EQ(EraseMask(4, 0x0001, true), 0x03FF);
    EXPECT_EQ(EraseMask(0, 0x00FF, true), 0x0000);  // LF240xA erases nothing
}

}  // namespace
}  // namespace nembra

namespace nembra {
namespace {

TEST(SystemOpsClock, ReadsTheMonotonicTimeAndAPlausibleLocalDate) {
    SystemOpsClock clock;
    uint32_t first = 0;
    uint32_t second = 0;
    ASSERT_TRUE(clock.ReadMs(first));
    ASSERT_TRUE(clock.ReadMs(second));
    EXPECT_LT(second - first, 60000u);  // unsigned difference: never "backwards"
    const LocalDateTime now = clock.LocalNow();
    EXPECT_GE(now.year, 2020);
    EXPECT_GE(now.month, 1);
    EXPECT_LE(now.month, 12);
    EXPECT_GE(now.day, 1);
    EXPECT_LE(now.day, 31);
    EXPECT_LE(now.hour, 23);
    EXPECT_LE(now.minute, 59);
}

}  // namespace
}  // namespace nembra
