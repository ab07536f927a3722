#include <gtest/gtest.h>

#include "cli/ArgumentChecks.h"

namespace nembra::cli {
namespace {

TEST(DeviceNames, AcceptNamesInAnyCaseAndIndices) {
    DeviceType device = 0;
    ASSERT_TRUE(ParseDeviceName("F2810", device));
    EXPECT_EQ(device, 2);
    ASSERT_TRUE(ParseDeviceName("lf240xa-40", device));
    EXPECT_EQ(device, 1);
    ASSERT_TRUE(ParseDeviceName("0", device));
    EXPECT_EQ(device, 0);
    ASSERT_TRUE(ParseDeviceName("4", device));
    EXPECT_EQ(device, 4);
}

TEST(DeviceNames, RefuseUnknownOnesAndLeaveTheDeviceAlone) {
    DeviceType device = 3;
    for (const char* text : {"f2813", "5", "-1", "", "lf240xa", "04x"}) {
        EXPECT_FALSE(ParseDeviceName(text, device)) << text;
        EXPECT_EQ(device, 3);
    }
}

TEST(KeyList, TakesEightKeysWithEmptyOnesAsNoPasswordWord) {
    std::array<std::string, 8> keys{};
    std::string error;
    ASSERT_TRUE(ParseKeyList("1234,ffff,,0x00AB, 7 ,,,0", keys, error)) << error;
    EXPECT_EQ(keys[0], "1234");
    EXPECT_EQ(keys[2], "");
    EXPECT_EQ(keys[3], "0x00AB");
    EXPECT_EQ(keys[4], "7");
    EXPECT_EQ(keys[7], "0");
}

TEST(KeyList, RefusesWrongCountsAndKeysTheFieldsWouldReadOnlyInPart) {
    std::array<std::string, 8> keys{};
    std::string error;
    EXPECT_FALSE(ParseKeyList("1,2,3,4,5,6,7", keys, error));
    EXPECT_NE(error.find("eight"), std::string::npos);
    EXPECT_FALSE(ParseKeyList("1,2,3,4,5,6,7,8,9", keys, error));
    EXPECT_FALSE(ParseKeyList("", keys, error));
    EXPECT_FALSE(ParseKeyList("12G4,,,,,,,", keys, error));
    EXPECT_NE(error.find("KEY0"), std::string::npos);
    EXPECT_FALSE(ParseKeyList(",,,12345,,,,", keys, error));
    EXPECT_NE(error.find("KEY3"), std::string::npos);
    EXPECT_FALSE(ParseKeyList(",,,,,,,-1", keys, error));
    EXPECT_FALSE(ParseKeyList(",,,,,,,0x", keys, error));
}

TEST(PodName, AllowsEightPrintableCharactersOnly) {
    std::string error;
    EXPECT_TRUE(CheckPodName("", error));
    EXPECT_TRUE(CheckPodName("APP_V2.1", error));
    EXPECT_FALSE(CheckPodName("APP_V2.10", error));
    EXPECT_FALSE(CheckPodName("A\tB", error));
    EXPECT_FALSE(CheckPodName("caf\xC3\xA9", error));
}

}  // namespace
}  // namespace nembra::cli
