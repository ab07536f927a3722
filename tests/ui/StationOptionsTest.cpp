#include <gmock/gmock.h>

#include "app/StationOptions.h"

namespace nembra::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

StationOptions Parsed(const std::vector<std::string>& args) {
    StationOptions options;
    std::string error;
    EXPECT_TRUE(ParseStationArguments(args, "/state/sim-pod.store", options, error)) << error;
    return options;
}

std::string Refused(const std::vector<std::string>& args) {
    StationOptions options;
    std::string error;
    EXPECT_FALSE(ParseStationArguments(args, "/state/sim-pod.store", options, error));
    return error;
}

TEST(StationOptions, TheSimulatedStationTakesTheOptionsTheCommandLineToolTakes) {
    const StationOptions o = Parsed({"--sim", "--sim-pods", "4", "--sim-fault", "lost:S:3@SIM00002",
                                     "--sim-fault=refused:O", "--sim-paced", "line2.toml"});
    EXPECT_TRUE(o.sim);
    EXPECT_EQ(o.simStatePath, "/state/sim-pod.store");
    EXPECT_EQ(o.simPods, 4);
    EXPECT_THAT(o.simFaults, ElementsAre("lost:S:3@SIM00002", "refused:O"));
    EXPECT_TRUE(o.simPaced);
    EXPECT_FALSE(o.bell);
    EXPECT_EQ(o.jobFile, "line2.toml");
    EXPECT_EQ(Parsed({"line2.toml", "--sim=/tmp/s.store", "--sim-pods=2"}).simStatePath, "/tmp/s.store");
}

TEST(StationOptions, WithoutArgumentsTheJobIsAskedForAndRealPodsAreUsed) {
    const StationOptions o = Parsed({});
    EXPECT_TRUE(o.jobFile.empty());
    EXPECT_FALSE(o.sim);
    EXPECT_TRUE(Parsed({"--bell"}).bell);
    EXPECT_EQ(Parsed({"--", "-odd.toml"}).jobFile, "-odd.toml");
}

TEST(StationOptions, HelpAndVersionEndTheParseWhateverFollows) {
    EXPECT_TRUE(Parsed({"--help", "--no-such"}).help);
    EXPECT_TRUE(Parsed({"-h"}).help);
    EXPECT_TRUE(Parsed({"job.toml", "--version"}).version);
    EXPECT_THAT(StationHelpText(), HasSubstr("--sim-fault FAULT"));
}

TEST(StationOptions, BadArgumentsAreNamed) {
    EXPECT_EQ(Refused({"--colour"}), "unknown option --colour");
    EXPECT_EQ(Refused({"a.toml", "b.toml"}), "one job file only: a.toml and b.toml");
    EXPECT_EQ(Refused({"--sim", "--sim-pods", "0"}), "--sim-pods: \"0\" is not a number from 1 to 64");
    EXPECT_EQ(Refused({"--sim", "--sim-pods", "65"}), "--sim-pods: \"65\" is not a number from 1 to 64");
    EXPECT_EQ(Refused({"--sim", "--sim-pods", "4x"}), "--sim-pods: \"4x\" is not a number from 1 to 64");
    EXPECT_EQ(Refused({"--sim", "--sim-pods"}), "--sim-pods needs a value");
    EXPECT_EQ(Refused({"--sim-pods", "2"}), "--sim-pods, --sim-fault and --sim-paced need --sim");
    EXPECT_EQ(Refused({"--sim-paced"}), "--sim-pods, --sim-fault and --sim-paced need --sim");
    EXPECT_EQ(Refused({"--sim="}), "--sim= needs a state file");
    EXPECT_THAT(Refused({"--sim", "--sim-fault", "melted:S"}), ::testing::StartsWith("--sim-fault \"melted:S\": "));
    EXPECT_EQ(Refused({"--sim", "--sim-fault"}), "--sim-fault needs a value");
    StationOptions options;
    std::string error;
    EXPECT_FALSE(ParseStationArguments({"--sim"}, "", options, error));
    EXPECT_THAT(error, HasSubstr("--sim needs a state file"));
}

}  // namespace
}  // namespace nembra::testing
