// The operations report progress as events: each phase opens with 0 of its
// total and then counts every unit once, in order; the operation's end is
// one event of its own. The bar stands where each event says.
#include <string>
#include <vector>

#include "tests/ops/OpsFixture.h"

namespace nembra::testing {
namespace {

// One phase as the events told it: its name, its total and how far it got.
struct PhaseRun {
    std::string phase;
    uint32_t total;
    uint32_t reached;
    bool operator==(const PhaseRun&) const = default;
};

std::ostream& operator<<(std::ostream& out, const PhaseRun& run) {
    return out << run.phase << " " << run.reached << "/" << run.total;
}

class ProgressEventsTest : public OpsFixture {
protected:
    // The phases in order; a phase whose counts do not run 0, 1, 2, ... in
    // its own total is marked "out of order".
    std::vector<PhaseRun> Phases() const {
        std::vector<PhaseRun> runs;
        for (const ProgressEvent& event : status.progressEvents) {
            const bool opens = event.done == 0;
            if (opens) {
                runs.push_back({StepName(event.phase), event.total, 0});
                continue;
            }
            if (runs.empty() || StepName(event.phase) != runs.back().phase || event.total != runs.back().total ||
                event.done != runs.back().reached + 1) {
                runs.push_back({"out of order", event.total, event.done});
                continue;
            }
            runs.back().reached = event.done;
        }
        return runs;
    }
};

TEST_F(ProgressEventsTest, F2810TargetWriteErasesThenWritesFlash) {
    UseCoff("p.out", Coff({Section("ram", 0x008000, 30, 1), Section("text", 0x3F6000, 100, 2)}, true), 2);
    job.eraseAll = true;
    auto ctx = Ctx();
    EXPECT_TRUE(RunTargetWrite(ctx).ok);
    EXPECT_EQ(Phases(), (std::vector<PhaseRun>{{"erase", 5, 5}, {"flash-write", 100, 100}, {"none", 0, 0}}));
    EXPECT_EQ(status.barAstray, 0);
    ExpectCleanedUp();
}

TEST_F(ProgressEventsTest, Lf240xTargetWriteDownloadsEveryWord) {
    UseCoff("p.out", Coff({Section("a", 0x0000, 200, 1), Section("b", 0x1000, 201, 2)}, false), 0);
    auto ctx = Ctx();
    EXPECT_TRUE(RunTargetWrite(ctx).ok);
    EXPECT_EQ(Phases(), (std::vector<PhaseRun>{{"download", 401, 401}, {"none", 0, 0}}));
    EXPECT_EQ(status.barAstray, 0);
}

TEST_F(ProgressEventsTest, F281xRamProgramDownloadsOnly) {
    UseCoff("p.out", Coff({Section("a", 0x008000, 250, 1)}, true), 4);
    auto ctx = Ctx();
    EXPECT_TRUE(RunTargetWrite(ctx).ok);
    EXPECT_EQ(Phases(), (std::vector<PhaseRun>{{"download", 250, 250}, {"none", 0, 0}}));
}

TEST_F(ProgressEventsTest, PodWriteStoresAndPodVerifyComparesTheFlashWords) {
    UseCoff("p.out", Coff({Section("ram", 0x008000, 30, 1), Section("text", 0x3F6000, 140, 2)}, true), 4);
    auto ctx = Ctx();
    EXPECT_TRUE(RunPodWrite(ctx).ok);
    EXPECT_TRUE(RunPodVerify(ctx).ok);
    EXPECT_EQ(Phases(), (std::vector<PhaseRun>{
                            {"store-data", 140, 140}, {"none", 0, 0}, {"compare-data", 140, 140}, {"none", 0, 0}}));
    EXPECT_EQ(status.barAstray, 0);
    ExpectCleanedUp();
}

// A failure ends the count where the pod stopped answering; the end event
// still comes and the bar goes back to 0 in the failed phase's range.
TEST_F(ProgressEventsTest, AFailedWriteStopsTheCountAndStillEnds) {
    UseCoff("p.out", Coff({Section("text", 0x3F6000, 100, 2)}, true), 2);
    // "O" frames: flash init, one sector's erase, then one per 40-word block.
    rig.pod.ArmFault(SimFault{SimFault::Kind::NoReply, 'O', 4});
    auto ctx = Ctx();
    EXPECT_FALSE(RunTargetWrite(ctx).ok);
    const auto phases = Phases();
    ASSERT_FALSE(phases.empty());
    EXPECT_EQ(phases.back(), (PhaseRun{"none", 0, 0}));
    ASSERT_GE(phases.size(), 2u);
    EXPECT_EQ(phases[phases.size() - 2].phase, "flash-write");
    EXPECT_EQ(phases[phases.size() - 2].reached, 80u);
    EXPECT_EQ(status.ranges.back(), (std::pair<int32_t, int32_t>{0, 100}));
    ExpectCleanedUp();
}

}  // namespace
}  // namespace nembra::testing
