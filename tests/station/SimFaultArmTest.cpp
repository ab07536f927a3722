#include <gmock/gmock.h>

#include "station/SimFaultRequest.h"
#include "station/SimStation.h"
#include "tests/support/CoffBuilder.h"

namespace nembra::station {
namespace {

TEST(ArmSimFaults, AFaultThatDoesNotParseIsRefused) {
    testing::TempDir dir;
    SimStation station(dir.path() + "/sim.store", 2, false, SimChip::Typical);
    std::string error;
    EXPECT_FALSE(ArmSimFaults({"melted:S"}, station, {"SIM00001", "SIM00002"}, "", error));
    EXPECT_THAT(error, ::testing::StartsWith("--sim-fault \"melted:S\": KIND is one of"));
    EXPECT_FALSE(ArmSimFaults({"refused:O:2@SIM00009"}, station, {}, "", error));
    EXPECT_EQ(error, "--sim-fault \"refused:O:2@SIM00009\": there is no simulated pod SIM00009");
    EXPECT_TRUE(ArmSimFaults({"refused:O:2@SIM00002"}, station, {}, "", error)) << error;
}

}  // namespace
}  // namespace nembra::station
