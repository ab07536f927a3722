#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "pod/PodLink.h"
#include "station/PodRun.h"
#include "station/SimStation.h"
#include "status/QuietStatus.h"
#include "tests/support/CoffBuilder.h"

namespace nembra::station {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<std::string> Listed(PodStation& station) {
    std::vector<PodEntry> entries;
    EXPECT_TRUE(station.List(entries, false));
    std::vector<std::string> serials;
    for (const PodEntry& entry : entries) serials.push_back(entry.serial);
    return serials;
}

RunOutcome Info(PodBackend& backend) {
    PodRequest request;
    request.job.command = nembra::JobCommand::PodInfo;
    QuietStatus status;
    PodRunFacts facts;
    return RunPod(request, backend, status, nullptr, facts);
}

class SimStationTest : public ::testing::Test {
protected:
    std::string State() const { return dir.path() + "/pod.store"; }
    testing::TempDir dir;
};

TEST_F(SimStationTest, EachPodIsListedAsAPodOnAPortOfItsOwn) {
    SimStation station(State(), 2, false, SimChip::Typical);
    std::vector<PodEntry> entries;
    ASSERT_TRUE(station.List(entries, true));
    ASSERT_EQ(entries.size(), 2u);
    for (size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].index, static_cast<int>(i));
        EXPECT_EQ(entries[i].serial, SimPodSerial(static_cast<int>(i) + 1));
        EXPECT_EQ(entries[i].description, kPodDescription);
        EXPECT_EQ(entries[i].backend, "simulated");
        EXPECT_EQ(entries[i].location, i + 1);
        EXPECT_EQ(entries[i].access, OpenFailureCause::None);
    }
    SimStation single(State(), 0, false, SimChip::Typical);
    EXPECT_THAT(Listed(single), ElementsAre("SIM00001"));
}

TEST_F(SimStationTest, PodsComeAndGoWhileListed) {
    SimStation station(State(), 2, false, SimChip::Typical);
    EXPECT_EQ(station.AddPod(), "SIM00003");
    EXPECT_TRUE(station.RemovePod("SIM00002"));
    EXPECT_FALSE(station.RemovePod("SIM00002"));
    EXPECT_THAT(Listed(station), ElementsAre("SIM00001", "SIM00003"));
    // Numbers are never given twice, even after the highest is pulled out.
    EXPECT_TRUE(station.RemovePod("SIM00003"));
    EXPECT_EQ(station.AddPod(), "SIM00004");
    EXPECT_THAT(Listed(station), ElementsAre("SIM00001", "SIM00004"));
}

TEST_F(SimStationTest, APulledPodHasNoBackendButARunOnItEnds) {
    SimStation station(State(), 2, false, SimChip::Typical);
    std::unique_ptr<PodBackend> running = station.Backend("SIM00002", nullptr);
    ASSERT_NE(running, nullptr);
    EXPECT_EQ(running->podSerial(), "SIM00002");
    ASSERT_TRUE(station.RemovePod("SIM00002"));
    EXPECT_EQ(station.Backend("SIM00002", nullptr), nullptr);
    EXPECT_EQ(station.SimPodOf("SIM00002"), nullptr);
    const RunOutcome outcome = Info(*running);
    EXPECT_TRUE(outcome.ok) << outcome.message;
}

TEST_F(SimStationTest, NoSerialNumberMeansTheFirstPodListed) {
    SimStation station(State(), 2, false, SimChip::Typical);
    StopRequest stop;
    std::unique_ptr<PodBackend> first = station.Backend("", &stop);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->simPod(), station.SimPodOf("SIM00001"));
    EXPECT_EQ(first->stopRequest(), &stop);
    EXPECT_TRUE(Info(*first).ok);
    ASSERT_TRUE(station.RemovePod("SIM00001"));
    ASSERT_TRUE(station.RemovePod("SIM00002"));
    EXPECT_EQ(station.Backend("", nullptr), nullptr);
    EXPECT_THAT(Listed(station), IsEmpty());
}

// Pods plugged in and pulled out on one thread while another lists them and
// runs on them, as the operator's window does; a sanitizer build sees a race.
TEST_F(SimStationTest, ListingAndRunningWhilePodsComeAndGo) {
    SimStation station(State(), 1, false, SimChip::Typical);
    std::atomic<bool> done{false};
    std::atomic<int> failures{0};
    std::thread other([&] {
        while (!done.load()) {
            std::vector<PodEntry> entries;
            station.List(entries, false);
            for (const PodEntry& entry : entries)
                if (entry.serial.rfind("SIM", 0) != 0) ++failures;
            if (auto backend = station.Backend("SIM00001", nullptr)) {
                if (!Info(*backend).ok) ++failures;
            }
        }
    });
    for (int round = 0; round < 50; ++round) {
        const std::string serial = station.AddPod();
        EXPECT_NE(station.SimPodOf(serial), nullptr);
        EXPECT_TRUE(station.RemovePod(serial));
    }
    done = true;
    other.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_THAT(Listed(station), ElementsAre("SIM00001"));
}

}  // namespace
}  // namespace nembra::station
