#include "status/Messages.h"
#include "tests/ops/OpsFixture.h"

namespace nembra::testing {
namespace {

constexpr int kF2812 = 4;

// The operations driven by a job alone, as both front-ends drive them.
class JobTest : public OpsFixture {
protected:
    OperationOutcome Run(JobCommand command) {
        job.command = command;
        auto ctx = Ctx();
        return RunJob(ctx);
    }
    void UseF2812(const std::string& name = "prog.out") {
        UseCoff(name, Coff({Section("text", 0x3F6000, 100, 3)}, true), kF2812);
    }
    static bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }
};

TEST_F(JobTest, LoadReturnsItsLineAsTheOutcome) {
    UseF2812();
    const OperationOutcome loaded = Run(JobCommand::Load);
    EXPECT_TRUE(loaded.ok);
    EXPECT_EQ(loaded.line, "Reading COFF file is successful");
    EXPECT_EQ(loaded.line, status.lastText());
    EXPECT_TRUE(session.image.imageLoaded);

    job.filePath = "  ";
    const OperationOutcome noPath = Run(JobCommand::Load);
    EXPECT_FALSE(noPath.ok);
    EXPECT_EQ(noPath.line, "Please, specify COFF file to read");
    EXPECT_EQ(noPath.failure.step, Step::Check);
    EXPECT_EQ(noPath.failure.cause(), Cause::NoFile);

    job.filePath = dir.path() + "/gone.out";
    const OperationOutcome gone = Run(JobCommand::Load);
    EXPECT_FALSE(gone.ok);
    EXPECT_EQ(gone.line, "The specified COFF file isn't exist");
    EXPECT_EQ(gone.failure.step, Step::Load);
    EXPECT_EQ(gone.failure.cause(), Cause::LoadFailed);
}

TEST_F(JobTest, ALoadedImageIsUsedWhateverTheJobsFileSays) {
    UseF2812();
    ASSERT_TRUE(Run(JobCommand::Load).ok);
    job.filePath.clear();  // the window reads no path while an image is loaded
    const OperationOutcome written = Run(JobCommand::TargetWrite);
    EXPECT_TRUE(written.ok) << written.line;
    ExpectCleanedUp();
}

TEST_F(JobTest, PodWriteWithVerifyReadsTheStoreBackAndCarriesBothLines) {
    UseF2812();
    job.verify = true;
    const OperationOutcome outcome = Run(JobCommand::PodWrite);
    EXPECT_TRUE(outcome.ok) << outcome.line;
    EXPECT_TRUE(StartsWith(outcome.line, messages::kPodWriteDone)) << outcome.line;
    EXPECT_NE(outcome.line.find(std::string("; ") + messages::kPodVerifyDone), std::string::npos) << outcome.line;
    EXPECT_EQ(status.lastText(), outcome.line);
    EXPECT_EQ(events.busyCalls, 2) << "the store and the verify each lock the front-end once";
    EXPECT_EQ(events.idleCalls, 2);
    EXPECT_EQ(events.podFileName, "prog");
}

TEST_F(JobTest, AFailedPodWriteIsNotVerified) {
    UseF2812();
    job.verify = true;
    rig.device.SetUnplugged(podIndex, true);
    const OperationOutcome outcome = Run(JobCommand::PodWrite);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.line, messages::kPortFailed);
    EXPECT_EQ(outcome.failure.step, Step::Connect);
    EXPECT_EQ(events.busyCalls, 0);
}

TEST_F(JobTest, KeysAreReadOnlyWithUnlock) {
    UseF2812();
    job.keys.fill(0);  // an all-zero password, refused if it were read
    EXPECT_TRUE(Run(JobCommand::TargetWrite).ok) << status.lastText();
    job.unlockCsm = true;
    const OperationOutcome refused = Run(JobCommand::TargetWrite);
    EXPECT_EQ(refused.line, messages::kWrongPassword);
    EXPECT_EQ(refused.failure.cause(), Cause::WrongPassword);
}

TEST_F(JobTest, WithoutEventsTheOperationsRunAlike) {
    UseF2812();
    job.command = JobCommand::PodWrite;
    OperationContext ctx{session, job, status, clock};
    EXPECT_TRUE(RunJob(ctx).ok) << status.lastText();
    EXPECT_EQ(session.eepFileName, "prog");
}

}  // namespace
}  // namespace nembra::testing
