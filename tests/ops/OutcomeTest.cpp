#include "pod/PodCommands.h"
#include "status/Messages.h"
#include "tests/ops/OpsFixture.h"

namespace nembra::testing {
namespace {

// Asks for a stop when the message line shows a given text, as a user who
// presses Ctrl-C while the sequence is there.
class StoppingStatus : public RangeRecordingStatus {
public:
    void ShowMessage(const std::string& text, bool isError) override {
        RangeRecordingStatus::ShowMessage(text, isError);
        if (text == stopAt) stop.Request();
    }
    std::string stopAt;
    StopRequest stop;
};

// The outcome each operation returns: its final line as shown, the step
// that failed, the cause and, where there is one, where.
class OutcomeTest : public OpsFixture {
protected:
    // One flash section of 100 words in sector A (0x3F6000): "O" 00 is the
    // first "O", its erase the second, the first block the third.
    void UseF2812() { UseCoff("flash.out", Coff({Section("text", 0x3F6000, 100, 1)}, true), 4); }

    OperationOutcome Write(const SimFault& fault) {
        UseF2812();
        rig.pod.ArmFault(fault);
        auto ctx = Ctx();
        return RunTargetWrite(ctx);
    }

    void ExpectLineShown(const OperationOutcome& outcome) {
        EXPECT_EQ(outcome.line, status.lastText());
        EXPECT_EQ(outcome.lineIsError, status.lastIsError());
    }

    // A failure with this line (as shown), step, cause and where.
    void ExpectFailed(const OperationOutcome& outcome, const char* line, Step step, Cause cause,
                      std::optional<Where> where = std::nullopt) {
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(outcome.line, line);
        EXPECT_EQ(outcome.failure.step, step);
        EXPECT_EQ(outcome.failure.cause(), cause);
        EXPECT_EQ(outcome.failure.where, where);
        ExpectLineShown(outcome);
    }
};

TEST_F(OutcomeTest, ASuccessHasTheLineAndNoCause) {
    UseF2812();
    auto ctx = Ctx();
    const OperationOutcome outcome = RunTargetWrite(ctx);
    EXPECT_TRUE(outcome.ok);
    EXPECT_EQ(outcome.line.rfind(messages::kFlashWriteDone, 0), 0u);
    EXPECT_EQ(outcome.failure.step, Step::None);
    EXPECT_EQ(outcome.failure.cause(), Cause::None);
    EXPECT_EQ(outcome.targetWriteResult, TargetWriteResult::Success);
    ExpectLineShown(outcome);
}

TEST_F(OutcomeTest, ALostEraseIsNoReplyAtItsSector) {
    const OperationOutcome outcome = Write({SimFault::Kind::NoReply, 'O', 2});
    ExpectFailed(outcome, messages::kEraseFailed, Step::Erase, Cause::NoReply, Where{Where::Kind::Sector, 0});
    EXPECT_EQ(outcome.targetWriteResult, TargetWriteResult::EraseFailed);
}

TEST_F(OutcomeTest, ARefusedEraseKeepsTheByte) {
    const OperationOutcome outcome = Write({SimFault::Kind::WrongFirstByte, 'O', 2});
    ExpectFailed(outcome, messages::kEraseFailed, Step::Erase, Cause::Refused, Where{Where::Kind::Sector, 0});
    EXPECT_EQ(outcome.failure.link.byte, 0x15);
}

TEST_F(OutcomeTest, AReplyLaterThanItsTimeOutIsNoReplyAndOneWithinItIsASuccess) {
    ExpectFailed(Write({SimFault::Kind::SlowReply, 'O', 2, 20500}), messages::kEraseFailed, Step::Erase, Cause::NoReply,
                 Where{Where::Kind::Sector, 0});
    rig.pod.ClearFaults();
    auto ctx = Ctx();
    rig.pod.ArmFault({SimFault::Kind::SlowReply, 'O', 2, 19000});
    EXPECT_TRUE(RunTargetWrite(ctx).ok);
}

TEST_F(OutcomeTest, AStrayByteAfterTheInitIsTheEraseStep) {
    const OperationOutcome outcome = Write({SimFault::Kind::StrayByteAfterReply, 'O', 1});
    ExpectFailed(outcome, messages::kEraseFailed, Step::Erase, Cause::StrayByte, Where{Where::Kind::Sector, 0});
    EXPECT_EQ(outcome.failure.link.byte, 0xA5);
}

TEST_F(OutcomeTest, APodPulledOutDuringTheFlashWriteNamesTheBlock) {
    const OperationOutcome outcome = Write({SimFault::Kind::PulledOut, 'O', 3});
    ExpectFailed(outcome, messages::kFlashWriteFailed, Step::FlashWrite, Cause::Unplugged,
                 Where{Where::Kind::Address, 0x3F6000});
    ExpectCleanedUp();
}

TEST_F(OutcomeTest, AStopIsItsOwnCauseAtTheStepItCame) {
    UseF2812();
    StoppingStatus stopping;
    stopping.stopAt = messages::kErasing;
    session.link.SetStopRequest(&stopping.stop);
    OperationContext ctx{session, job, stopping, clock, nullptr, &events};
    const OperationOutcome outcome = RunTargetWrite(ctx);
    EXPECT_EQ(outcome.line, messages::kEraseFailed);
    EXPECT_EQ(outcome.failure.step, Step::Erase);
    EXPECT_EQ(outcome.failure.cause(), Cause::Stopped);
    EXPECT_EQ(outcome.failure.where, (Where{Where::Kind::Sector, 0}));
    EXPECT_EQ(stopping.lastText(), messages::kEraseFailed);
    EXPECT_EQ(rig.pod.commandLog().find("O01"), std::string::npos);  // no erase went out
}

TEST_F(OutcomeTest, ALostBlockOfAnLf240xDownloadNamesItsDestination) {
    UseCoff("lf.out", Coff({Section("text", 0x0100, 300, 3)}, false), 0);
    rig.pod.ArmFault({SimFault::Kind::NoReply, 'Z', 2});
    auto ctx = Ctx();
    const OperationOutcome outcome = RunTargetWrite(ctx);
    EXPECT_EQ(outcome.targetWriteResult, TargetWriteResult::DownloadFailed);
    EXPECT_EQ(outcome.failure.step, Step::Download);
    EXPECT_EQ(outcome.failure.where, (Where{Where::Kind::Address, 0x0100 + 200}));
}

TEST_F(OutcomeTest, ChecksBeforeThePodRefuseWithAStepOfTheirOwn) {
    auto ctx = Ctx();
    OperationOutcome outcome = RunTargetWrite(ctx);
    EXPECT_EQ(outcome.failure.step, Step::Check);
    EXPECT_EQ(outcome.failure.cause(), Cause::NoFile);
    EXPECT_EQ(outcome.line, messages::kNoFileForTarget);

    job.filePath = dir.path() + "/missing.out";
    outcome = RunTargetWrite(ctx);
    EXPECT_EQ(outcome.failure.step, Step::Load);
    EXPECT_EQ(outcome.failure.cause(), Cause::LoadFailed);
    ExpectLineShown(outcome);  // the load's own line

    UseF2812();
    job.unlockCsm = true;
    job.keys.fill(0);
    outcome = RunPodWrite(ctx);
    EXPECT_EQ(outcome.failure.cause(), Cause::WrongPassword);
    EXPECT_EQ(outcome.line, messages::kWrongPassword);
    EXPECT_TRUE(rig.pod.commandLog().empty());
}

TEST_F(OutcomeTest, AConnectFailureSaysWhy) {
    auto ctx = Ctx();
    rig.pod.ArmFault({SimFault::Kind::NoReply, 'I', 1});
    ExpectFailed(RunTargetReset(ctx), messages::kPodSilent, Step::Connect, Cause::NoReply);
    rig.device.SetUnplugged(podIndex, true);
    ExpectFailed(RunPodInfo(ctx), messages::kPortFailed, Step::Connect, Cause::PortFailed);
}

TEST_F(OutcomeTest, PodInfoNamesTheQuestionThatFailed) {
    auto ctx = Ctx();
    rig.pod.ArmFault({SimFault::Kind::WrongFirstByte, 'J', 1});
    ExpectFailed(RunPodInfo(ctx), messages::kPodInfoFailed, Step::PodInfo, Cause::Refused);
    rig.pod.SetVersionReply("ABC15");
    ExpectFailed(RunPodInfo(ctx), messages::kPodInfoFailed, Step::Version, Cause::UnknownVersion);
}

class PodVerifyOutcomeTest : public OutcomeTest {
protected:
    // 300 words: pages 0 (132 words), 1 (132) and 2 (36) of the stored stream.
    void StoreThenChange(uint16_t seed) {
        auto ctx = Ctx();
        UseCoff("one.out", Coff({Section("text", 0x3F6000, 300, 1)}, true), 4);
        RunLoad(ctx);
        ASSERT_TRUE(RunPodWrite(ctx).ok) << status.lastText();
        UseCoff("two.out", Coff({Section("text", 0x3F6000, 300, seed)}, true), 4);
        RunLoad(ctx);
    }
};

TEST_F(PodVerifyOutcomeTest, APageThatDiffersIsToldFromOneNotAnswered) {
    StoreThenChange(1);
    auto ctx = Ctx();
    rig.pod.ArmFault({SimFault::Kind::NoReply, 'L', 2});
    ExpectFailed(RunPodVerify(ctx), messages::kDataDiffers, Step::CompareData, Cause::NoReply,
                 Where{Where::Kind::Page, 1});
    StoreThenChange(2);
    ExpectFailed(RunPodVerify(ctx), messages::kDataDiffers, Step::CompareData, Cause::Differs,
                 Where{Where::Kind::Page, 0});
}

TEST_F(PodVerifyOutcomeTest, AFailedStoreNamesItsStepAndPage) {
    UseCoff("one.out", Coff({Section("text", 0x3F6000, 300, 1)}, true), 4);
    rig.pod.ArmFault({SimFault::Kind::WrongFirstByte, 'W', 3});
    auto ctx = Ctx();
    ExpectFailed(RunPodWrite(ctx), messages::kStoreDataFailed, Step::StoreData, Cause::Refused,
                 Where{Where::Kind::Page, 2});
}

}  // namespace
}  // namespace nembra::testing
