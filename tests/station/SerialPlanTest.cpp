#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "station/SerialPlan.h"

namespace nembra::station {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

SerialPlan Plan(SerialEncoding encoding, uint32_t words, uint64_t first = 1000, uint64_t last = 9999) {
    SerialPlan plan;
    plan.address = 0x3F7F00;
    plan.words = words;
    plan.encoding = encoding;
    plan.first = first;
    plan.last = last;
    return plan;
}

TEST(SerialEncodingTest, EachEncodingPutsTheWordsInItsOrder) {
    EXPECT_THAT(*EncodeSerial(Plan(SerialEncoding::BinaryLowFirst, 2), 0x12345678), ElementsAre(0x5678, 0x1234));
    EXPECT_THAT(*EncodeSerial(Plan(SerialEncoding::BinaryHighFirst, 2), 0x12345678), ElementsAre(0x1234, 0x5678));
    EXPECT_THAT(*EncodeSerial(Plan(SerialEncoding::BinaryLowFirst, 4), 0x0102030405060708ull),
                ElementsAre(0x0708, 0x0506, 0x0304, 0x0102));
    EXPECT_THAT(*EncodeSerial(Plan(SerialEncoding::Bcd, 2), 12345678), ElementsAre(0x1234, 0x5678));
    EXPECT_THAT(*EncodeSerial(Plan(SerialEncoding::Bcd, 2), 1000), ElementsAre(0x0000, 0x1000));
    // "0123": '0' '1' in the first word, the first character in the high byte.
    EXPECT_THAT(*EncodeSerial(Plan(SerialEncoding::Ascii, 2), 123), ElementsAre(0x3031, 0x3233));
    EXPECT_THAT(*EncodeSerial(Plan(SerialEncoding::Ascii, 1), 7), ElementsAre(0x3037));
}

TEST(SerialEncodingTest, ANumberTooWideForTheWordsIsNotEncoded) {
    EXPECT_TRUE(EncodeSerial(Plan(SerialEncoding::BinaryLowFirst, 1), 0xFFFF));
    EXPECT_FALSE(EncodeSerial(Plan(SerialEncoding::BinaryLowFirst, 1), 0x10000));
    EXPECT_TRUE(EncodeSerial(Plan(SerialEncoding::Bcd, 1), 9999));
    EXPECT_FALSE(EncodeSerial(Plan(SerialEncoding::Bcd, 1), 10000));
    EXPECT_TRUE(EncodeSerial(Plan(SerialEncoding::Ascii, 2), 9999));
    EXPECT_FALSE(EncodeSerial(Plan(SerialEncoding::Ascii, 2), 10000));
    EXPECT_EQ(LargestSerial(SerialEncoding::BinaryHighFirst, 4), UINT64_MAX);
    EXPECT_FALSE(EncodeSerial(Plan(SerialEncoding::Bcd, 5), 1));
}

TEST(SerialEncodingTest, NamesRoundTrip) {
    for (SerialEncoding e :
         {SerialEncoding::BinaryLowFirst, SerialEncoding::BinaryHighFirst, SerialEncoding::Bcd, SerialEncoding::Ascii})
        EXPECT_EQ(ParseSerialEncoding(SerialEncodingName(e)), e);
    EXPECT_FALSE(ParseSerialEncoding("BCD"));
    EXPECT_FALSE(ParseSerialEncoding("binary"));
}

TEST(SerialPlanCheckTest, ASoundPlanCountsItsNumbers) {
    SerialPlan plan = Plan(SerialEncoding::BinaryLowFirst, 2, 1000, 1010);
    plan.step = 5;
    EXPECT_THAT(CheckSerialPlan(plan), IsEmpty());
    EXPECT_EQ(SerialCount(plan), 3u);  // 1000, 1005, 1010
    EXPECT_TRUE(InSerialPlan(plan, 1005));
    EXPECT_FALSE(InSerialPlan(plan, 1006));
    EXPECT_FALSE(InSerialPlan(plan, 1015));
}

TEST(SerialPlanCheckTest, EveryFaultIsReportedOnItsOwn) {
    SerialPlan plan = Plan(SerialEncoding::Bcd, 1, 20000, 10000);
    plan.step = 0;
    const std::vector<std::string> problems = CheckSerialPlan(plan);
    ASSERT_EQ(problems.size(), 3u);
    EXPECT_THAT(problems[0], HasSubstr("serial.step must be at least 1"));
    EXPECT_THAT(problems[1], HasSubstr("serial.first (20000) is above serial.last (10000)"));
    EXPECT_THAT(problems[2], HasSubstr("does not fit 1 word(s) of bcd; the largest is 9999"));
    EXPECT_EQ(SerialCount(plan), 0u);

    EXPECT_THAT(CheckSerialPlan(Plan(SerialEncoding::Ascii, 0)),
                ElementsAre(HasSubstr("a serial number takes 1 to 4 words")));
    SerialPlan high = Plan(SerialEncoding::BinaryLowFirst, 4);
    high.address = 0x3FFFFE;
    EXPECT_THAT(CheckSerialPlan(high), ElementsAre(HasSubstr("past the top")));
}

}  // namespace
}  // namespace nembra::station
