#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <set>
#include <thread>

#include "station/GangRun.h"
#include "station/SimStation.h"
#include "tests/support/CoffBuilder.h"
#include "tests/support/RecordingStatus.h"

namespace nembra::station {
namespace {

// Where each pod's status was made, and what it was shown.
class StatusLog {
public:
    StatusFactory Factory() {
        return [this](size_t pod, OpsClock&) -> std::unique_ptr<StatusSink> {
            std::lock_guard lock(mutex_);
            threads_[pod] = std::this_thread::get_id();
            auto status = std::make_unique<Shown>(*this, pod);
            return status;
        };
    }
    std::map<size_t, std::thread::id> threads() const { return threads_; }
    std::map<size_t, std::vector<std::string>> lines() const { return lines_; }

private:
    class Shown : public testing::RecordingStatus {
    public:
        Shown(StatusLog& log, size_t pod) : log_(log), pod_(pod) {}
        void ShowMessage(const std::string& text, bool isError) override {
            std::lock_guard lock(log_.mutex_);
            log_.lines_[pod_].push_back(text);
            RecordingStatus::ShowMessage(text, isError);
        }

    private:
        StatusLog& log_;
        size_t pod_;
    };
    std::mutex mutex_;
    std::map<size_t, std::thread::id> threads_;
    std::map<size_t, std::vector<std::string>> lines_;
};

class GangRunTest : public ::testing::Test {
protected:
    GangRunTest() { request.job.command = nembra::JobCommand::PodInfo; }
    std::vector<PodResult> Run(const std::vector<std::string>& serials, const StatusFactory& status) {
        return RunPodsAtOnce(request, station, serials, {}, stop, status);
    }
    testing::TempDir dir;
    SimStation station{dir.path() + "/pod.store", 3, false, SimChip::Typical};
    PodRequest request;
    StopRequest stop;
};

TEST_F(GangRunTest, EachPodRunsOnAThreadOfItsOwnWithItsOwnStatus) {
    StatusLog log;
    const std::vector<PodResult> pods = Run({"SIM00003", "SIM00001", "SIM00002"}, log.Factory());
    ASSERT_EQ(pods.size(), 3u);
    EXPECT_EQ(pods[0].serial, "SIM00003");
    EXPECT_EQ(pods[1].serial, "SIM00001");
    EXPECT_EQ(pods[2].serial, "SIM00002");
    std::set<std::thread::id> threads;
    for (const auto& [pod, thread] : log.threads()) {
        EXPECT_NE(thread, std::this_thread::get_id());
        threads.insert(thread);
    }
    EXPECT_EQ(log.threads().size(), 3u);
    EXPECT_EQ(threads.size(), 3u);
    for (size_t i = 0; i < pods.size(); ++i) {
        EXPECT_TRUE(pods[i].outcome.ok) << pods[i].outcome.message;
        EXPECT_FALSE(pods[i].unfinished);
        ASSERT_FALSE(log.lines()[i].empty());
        EXPECT_EQ(log.lines()[i].back(), pods[i].outcome.message);
    }
    EXPECT_EQ(UnfinishedLine(pods), "");
}

TEST_F(GangRunTest, EachPodWritesItsOwnTraceAndTargetMemory) {
    request.tracePath = dir.path() + "/run/t.trace";
    request.targetHexPath = dir.path() + "/run/target.hex";
    std::filesystem::create_directories(dir.path() + "/run");
    const std::vector<PodResult> pods = Run({"SIM00001", "SIM00002"}, nullptr);
    ASSERT_TRUE(pods[0].outcome.ok && pods[1].outcome.ok);
    for (const char* serial : {"SIM00001", "SIM00002"}) {
        const std::string trace = dir.path() + "/run/t." + serial + ".trace";
        EXPECT_TRUE(std::filesystem::exists(trace)) << trace;
        EXPECT_GT(std::filesystem::file_size(trace), 0u) << trace;
        EXPECT_TRUE(std::filesystem::exists(dir.path() + "/run/target." + serial + ".hex")) << serial;
    }
    EXPECT_FALSE(std::filesystem::exists(request.tracePath));
    EXPECT_FALSE(std::filesystem::exists(request.targetHexPath));
}

TEST_F(GangRunTest, APodThatIsNotAttachedEndsAloneBeforeItStarts) {
    StatusLog log;
    const std::vector<PodResult> pods = Run({"SIM00001", "SIM00009"}, log.Factory());
    ASSERT_EQ(pods.size(), 2u);
    EXPECT_TRUE(pods[0].outcome.ok);
    const RunOutcome missing = NoPodOutcome("SIM00009");
    EXPECT_FALSE(pods[1].outcome.ok);
    EXPECT_EQ(pods[1].serial, "SIM00009");
    EXPECT_EQ(pods[1].outcome.message, missing.message);
    EXPECT_EQ(pods[1].outcome.failure.cause(), missing.failure.cause());
    // No status is made for a pod that never runs.
    EXPECT_EQ(log.threads().count(1), 0u);
}

TEST_F(GangRunTest, AStopLeavesEveryPodUnfinished) {
    stop.Request();
    const std::vector<PodResult> pods = Run({"SIM00001", "SIM00002"}, nullptr);
    for (const PodResult& pod : pods) {
        EXPECT_FALSE(pod.outcome.ok);
        EXPECT_TRUE(pod.unfinished);
        EXPECT_EQ(pod.outcome.failure.cause(), Cause::Stopped) << pod.outcome.message;
    }
    EXPECT_EQ(UnfinishedLine(pods), "Stopped: the boards on SIM00001, SIM00002 were left unfinished");
}

// A pod that fails on its own ends its own run only.
TEST_F(GangRunTest, OnePodsFaultLeavesTheOthersAlone) {
    station.SimPodOf("SIM00002")->ArmFault({SimFault::Kind::PulledOut, 'J', 1});
    const std::vector<PodResult> pods = Run({"SIM00001", "SIM00002", "SIM00003"}, nullptr);
    EXPECT_TRUE(pods[0].outcome.ok);
    EXPECT_FALSE(pods[1].outcome.ok);
    EXPECT_EQ(pods[1].outcome.failure.cause(), Cause::Unplugged);
    EXPECT_FALSE(pods[1].unfinished);
    EXPECT_TRUE(pods[2].outcome.ok);
}

// A pod's end is told with its typed outcome the moment it comes, while
// another pod of the run is still at work: the second pod does not start
// until the first one's end has been told.
TEST_F(GangRunTest, EachPodsEndIsToldAtOnceWithItsOutcome) {
    station.SimPodOf("SIM00001")->ArmFault({SimFault::Kind::PulledOut, 'J', 1});
    std::mutex mutex;
    std::condition_variable told;
    std::vector<PodResult> ends;
    bool waitedForTheFirst = false;
    const StatusFactory status = [&](size_t pod, OpsClock&) -> std::unique_ptr<StatusSink> {
        if (pod == 1) {
            std::unique_lock lock(mutex);
            waitedForTheFirst = told.wait_for(lock, std::chrono::seconds(30), [&] { return !ends.empty(); });
        }
        return nullptr;
    };
    const PodDone done = [&](size_t pod, const PodResult& result) {
        std::lock_guard lock(mutex);
        EXPECT_EQ(result.serial, pod == 0 ? "SIM00001" : "SIM00002");
        ends.push_back(result);
        told.notify_all();
    };
    const std::vector<PodResult> pods =
        RunPodsAtOnce(request, station, {"SIM00001", "SIM00002"}, {}, stop, status, done);
    EXPECT_TRUE(waitedForTheFirst);
    ASSERT_EQ(ends.size(), 2u);
    EXPECT_EQ(ends[0].serial, "SIM00001");
    EXPECT_FALSE(ends[0].outcome.ok);
    EXPECT_EQ(ends[0].outcome.failure.cause(), Cause::Unplugged);
    EXPECT_EQ(ends[0].outcome.message, pods[0].outcome.message);
    EXPECT_TRUE(ends[1].outcome.ok);
}

}  // namespace
}  // namespace nembra::station
