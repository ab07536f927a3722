#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "station/PodRun.h"
#include "station/SimFaultRequest.h"
#include "station/SimStation.h"
#include "status/QuietStatus.h"
#include "tests/support/CoffBuilder.h"

namespace nembra::station {
namespace {

std::string Refusal(const std::string& text) {
    SimFaultRequest request;
    std::string error;
    if (ParseSimFault(text, request, error)) return "accepted";
    return error;
}

TEST(SimFaultText, EveryKindReadsWithItsDefaults) {
    const std::pair<const char*, SimFault::Kind> kinds[] = {{"lost", SimFault::Kind::NoReply},
                                                            {"refused", SimFault::Kind::WrongFirstByte},
                                                            {"slow", SimFault::Kind::SlowReply},
                                                            {"stray", SimFault::Kind::StrayByteAfterReply},
                                                            {"unplug", SimFault::Kind::PulledOut}};
    for (const auto& [name, kind] : kinds) {
        SimFaultRequest request;
        std::string error = "left over";
        ASSERT_TRUE(ParseSimFault(std::string(name) + ":W", request, error)) << name << ": " << error;
        EXPECT_TRUE(error.empty());
        EXPECT_EQ(request.fault.kind, kind);
        EXPECT_EQ(request.fault.letter, 'W');
        EXPECT_EQ(request.fault.occurrence, 1);
        EXPECT_EQ(request.fault.delayMs, kind == SimFault::Kind::SlowReply ? 1000u : 0u) << name;
        EXPECT_TRUE(request.serial.empty());
    }
}

TEST(SimFaultText, CountDelayAndPodAreRead) {
    SimFaultRequest request;
    std::string error;
    ASSERT_TRUE(ParseSimFault("slow:E:3:600000@SIM00002", request, error)) << error;
    EXPECT_EQ(request.fault.occurrence, 3);
    EXPECT_EQ(request.fault.delayMs, 600000u);
    EXPECT_EQ(request.serial, "SIM00002");
    ASSERT_TRUE(ParseSimFault("refused:!:1000000", request, error)) << error;
    EXPECT_EQ(request.fault.letter, '!');
    EXPECT_EQ(request.fault.occurrence, 1000000);
}

TEST(SimFaultText, EachRefusalSaysWhatToWrite) {
    EXPECT_EQ(Refusal("lost:W@"), "--sim-fault \"lost:W@\": no serial number after @");
    EXPECT_EQ(Refusal("lost"), "--sim-fault \"lost\": use KIND:LETTER[:N[:MS]][@SERIAL]");
    EXPECT_EQ(Refusal("slow:W:1:5:6"), "--sim-fault \"slow:W:1:5:6\": use KIND:LETTER[:N[:MS]][@SERIAL]");
    EXPECT_EQ(Refusal("dropped:W"), "--sim-fault \"dropped:W\": KIND is one of lost, refused, slow, stray, unplug");
    EXPECT_EQ(Refusal("lost:WE"), "--sim-fault \"lost:WE\": LETTER is one command letter");
    EXPECT_EQ(Refusal("lost:"), "--sim-fault \"lost:\": LETTER is one command letter");
    EXPECT_EQ(Refusal("lost: "), "--sim-fault \"lost: \": LETTER is one command letter");
    EXPECT_EQ(Refusal("lost:W:0"), "--sim-fault \"lost:W:0\": N is a count from 1");
    EXPECT_EQ(Refusal("lost:W:2x"), "--sim-fault \"lost:W:2x\": N is a count from 1");
    EXPECT_EQ(Refusal("lost:W:1000001"), "--sim-fault \"lost:W:1000001\": N is a count from 1");
    EXPECT_EQ(Refusal("lost:W:1:10"), "--sim-fault \"lost:W:1:10\": MS (1 to 600000) is for slow only");
    EXPECT_EQ(Refusal("slow:W:1:0"), "--sim-fault \"slow:W:1:0\": MS (1 to 600000) is for slow only");
    EXPECT_EQ(Refusal("slow:W:1:600001"), "--sim-fault \"slow:W:1:600001\": MS (1 to 600000) is for slow only");
}

class ArmFaults : public ::testing::Test {
protected:
    // POD Info on one pod: whether it came through.
    bool InfoPasses(const std::string& serial) {
        PodRequest request;
        request.job.command = nembra::JobCommand::PodInfo;
        QuietStatus status;
        PodRunFacts facts;
        auto backend = station.Backend(serial, nullptr);
        return backend != nullptr && RunPod(request, *backend, status, nullptr, facts).ok;
    }
    testing::TempDir dir;
    SimStation station{dir.path() + "/pod.store", 3, false, SimChip::Typical};
};

TEST_F(ArmFaults, AFaultWithoutAPodIsArmedOnEachPodOfTheRun) {
    std::string error;
    ASSERT_TRUE(ArmSimFaults({"lost:J"}, station, {"SIM00001", "SIM00003"}, "", error)) << error;
    EXPECT_FALSE(InfoPasses("SIM00001"));
    EXPECT_TRUE(InfoPasses("SIM00002"));
    EXPECT_FALSE(InfoPasses("SIM00003"));
}

TEST_F(ArmFaults, AFaultNamingAPodIsArmedOnThatPodOnly) {
    std::string error;
    ASSERT_TRUE(ArmSimFaults({"refused:J@SIM00002"}, station, {"SIM00001", "SIM00002"}, "", error)) << error;
    EXPECT_TRUE(InfoPasses("SIM00001"));
    EXPECT_FALSE(InfoPasses("SIM00002"));
}

TEST_F(ArmFaults, TheFirstPodStandsInForAnEmptySerialNumber) {
    std::string error;
    ASSERT_TRUE(ArmSimFaults({"lost:J"}, station, {""}, "SIM00002", error)) << error;
    EXPECT_TRUE(InfoPasses("SIM00001"));
    EXPECT_FALSE(InfoPasses("SIM00002"));
}

TEST_F(ArmFaults, NothingIsArmedOnAPodThatIsNotThere) {
    std::string error;
    EXPECT_FALSE(ArmSimFaults({"lost:J@SIM00009"}, station, {"SIM00001"}, "", error));
    EXPECT_EQ(error, "--sim-fault \"lost:J@SIM00009\": there is no simulated pod SIM00009");
    EXPECT_FALSE(ArmSimFaults({"lost:J"}, station, {""}, "", error));
    EXPECT_EQ(error, "--sim-fault \"lost:J\": there is no simulated pod ");
}

// A text that does not read as a fault arms nothing, rather than a fault
// made of the defaults.
TEST_F(ArmFaults, AFaultThatDoesNotReadIsRefused) {
    std::string error;
    EXPECT_FALSE(ArmSimFaults({"lost:JJ"}, station, {"SIM00001"}, "", error));
    EXPECT_EQ(error, "--sim-fault \"lost:JJ\": LETTER is one command letter");
    EXPECT_TRUE(InfoPasses("SIM00001"));
}

}  // namespace
}  // namespace nembra::station
