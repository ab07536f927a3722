#include <gtest/gtest.h>

#include "tests/ops/BareBusFixture.h"

namespace nembra {
namespace {

TEST(ParseKeyText, ReadsHexadecimalLikeTheKeyFields) {
    EXPECT_EQ(ParseKeyText(""), 0xFFFF);
    EXPECT_EQ(ParseKeyText("   "), 0xFFFF);
    EXPECT_EQ(ParseKeyText("1234"), 0x1234);
    EXPECT_EQ(ParseKeyText(" abCD "), 0xABCD);
    EXPECT_EQ(ParseKeyText("12G4"), 0x0012);  // reading stops at the G
    EXPECT_EQ(ParseKeyText("G"), 0x0000);     // no digit at all
    EXPECT_EQ(ParseKeyText("0x1F"), 0x001F);
    EXPECT_EQ(ParseKeyText("0X1f"), 0x001F);
    EXPECT_EQ(ParseKeyText("0x"), 0x0000);
    EXPECT_EQ(ParseKeyText("+12"), 0x0012);
    EXPECT_EQ(ParseKeyText("-1"), 0xFFFF);  // negated modulo 2^32
    EXPECT_EQ(ParseKeyText("-0x10"), 0xFFF0);
    EXPECT_EQ(ParseKeyText("-"), 0x0000);
    EXPECT_EQ(ParseKeyText("123456789"), 0x6789);  // only the low 16 bits count
}

class ReadCsmKeysTest : public testing::BareBusFixture {};

TEST_F(ReadCsmKeysTest, AJobWithoutKeysIsNoPasswordAndAccepted) {
    auto ctx = Ctx();
    EXPECT_TRUE(ReadCsmKeys(ctx));
    EXPECT_EQ(session.csmKeyTable, kNoPassword);
}

TEST_F(ReadCsmKeysTest, AllZeroPasswordIsRefusedButStillFilled) {
    job.keys.fill(0);
    auto ctx = Ctx();
    EXPECT_FALSE(ReadCsmKeys(ctx));
    EXPECT_EQ(session.csmKeyTable, (CsmKeyTable{0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(ReadCsmKeysTest, EveryWordOfTheJobIsTaken) {
    job.keys = {0x1111, 0xFFFF, 0x0000, 0x0012, 0xFFFF, 0x00AB, 0x0007, 0xFFFF};
    auto ctx = Ctx();
    EXPECT_TRUE(ReadCsmKeys(ctx));
    EXPECT_EQ(session.csmKeyTable, (CsmKeyTable{0x1111, 0xFFFF, 0x0000, 0x0012, 0xFFFF, 0x00AB, 0x0007, 0xFFFF}));
}

TEST_F(ReadCsmKeysTest, OneNonZeroWordIsEnough) {
    job.keys = {0, 0, 0, 0, 0, 0, 0, 1};
    auto ctx = Ctx();
    EXPECT_TRUE(ReadCsmKeys(ctx));
}

}  // namespace
}  // namespace nembra
