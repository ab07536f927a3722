#include "tests/pod/CommandFixture.h"

namespace nembra::testing {
namespace {

using Call = SimDevice::Call;

// What each exchange came to, as the link tells it: the cause, the byte got
// in the place of '!', the driver's status.
class LinkCauseTest : public CommandTest {};

TEST_F(LinkCauseTest, AnAcceptedCommandHasNoCause) {
    AnswerEachWrite("!");
    const LinkOutcome outcome = ResetTarget(link);
    EXPECT_TRUE(outcome.ok());
    EXPECT_EQ(outcome.cause, Cause::None);
}

TEST_F(LinkCauseTest, SilenceIsNoReplyAfterTheTimeOut) {
    Silent();
    const uint32_t start = clock.NowMs();
    EXPECT_EQ(InitFlash(link, 5000).cause, Cause::NoReply);
    // 26 empty reads of 200 ms, each with its 1 ms pause: the first starts
    // the silence, the last finds it 5000 ms old.
    EXPECT_EQ(clock.NowMs() - start, 26u * 201u);
}

TEST_F(LinkCauseTest, ARefusalKeepsTheByteReceived) {
    AnswerEachWrite(std::vector<uint8_t>{0x15});
    const LinkOutcome outcome = EraseSectors(link, 0x0001, 20000);
    EXPECT_EQ(outcome.cause, Cause::Refused);
    EXPECT_EQ(outcome.byte, 0x15);
}

TEST_F(LinkCauseTest, AOneByteRefusalOfALongReplyIsStillARefusal) {
    AnswerEachWrite(std::vector<uint8_t>{0x15});
    PodFileRecord record;
    const LinkOutcome outcome = ReadPodInfo(link, record);
    EXPECT_EQ(outcome.cause, Cause::Refused);
    EXPECT_EQ(outcome.byte, 0x15);
}

TEST_F(LinkCauseTest, AReplyThatStopsEarlyIsShort) {
    AnswerEachWrite("!KV");
    uint16_t version = 0;
    EXPECT_EQ(QueryPodVersion(link, version).cause, Cause::ShortReply);
}

TEST_F(LinkCauseTest, AByteLeftFromAnEarlierReplyIsAStrayByte) {
    AnswerEachWrite(std::vector<uint8_t>{'!', 0xA5});
    ASSERT_TRUE(InitFlash(link, 5000));
    const LinkOutcome outcome = EraseSectors(link, 0x0001, 20000);
    EXPECT_EQ(outcome.cause, Cause::StrayByte);
    EXPECT_EQ(outcome.byte, 0xA5);
}

TEST_F(LinkCauseTest, AStrayByteBeforeABlockEndIsAStrayByte) {
    AnswerEachWrite(std::vector<uint8_t>{'!', 0xA5});
    ASSERT_TRUE(SendStreamWord(link, 'U', 1, 3000));
    EXPECT_EQ(SendStreamWord(link, 'Z', 7, 4000).cause, Cause::StrayByte);
}

TEST_F(LinkCauseTest, ABatchAnsweredByThePodIsByteWaitingAndAnEarlierByteIsStray) {
    peer.script = [](const std::vector<uint8_t>&, uint32_t now, ReplyQueue& replies) { replies.Push(0x15, now); };
    for (int i = 0; i < 49; ++i) ASSERT_TRUE(SendStreamWord(link, 'S', 7, 0));
    EXPECT_EQ(SendStreamWord(link, 'S', 7, 0).cause, Cause::ByteWaiting);
    // The byte is still there when the next batch goes out.
    Silent();
    EXPECT_EQ(SendFlashWord(link, 7, true).cause, Cause::StrayByte);
}

TEST_F(LinkCauseTest, DriverFailuresKeepTheirStatus) {
    AnswerEachWrite("!");
    device.FailCall(Call::Write);
    LinkOutcome outcome = ResetTarget(link);
    EXPECT_EQ(outcome.cause, Cause::WriteError);
    EXPECT_EQ(outcome.driverStatus, FT_IO_ERROR);
    device.FailCall(Call::Read);
    outcome = ResetTarget(link);
    EXPECT_EQ(outcome.cause, Cause::ReadError);
    EXPECT_EQ(outcome.driverStatus, FT_IO_ERROR);
}

TEST_F(LinkCauseTest, APodPulledOutIsUnpluggedNotADriverError) {
    AnswerEachWrite("!");
    device.SetUnplugged(0, true);
    EXPECT_EQ(ResetTarget(link).cause, Cause::Unplugged);
}

TEST_F(LinkCauseTest, AStopEndsTheWaitAtItsNextPauseAndSendsNothingMore) {
    StopRequest stop;
    link.SetStopRequest(&stop);
    // The pod stays silent; the user stops during the wait for its answer.
    peer.script = [&stop](const std::vector<uint8_t>&, uint32_t, ReplyQueue&) { stop.Request(); };
    const uint32_t start = clock.NowMs();
    EXPECT_EQ(EraseSectors(link, 0x0001, 20000).cause, Cause::Stopped);
    EXPECT_LT(clock.NowMs() - start, 1000u);
    const size_t frames = peer.frames.size();
    EXPECT_EQ(ResetTarget(link).cause, Cause::Stopped);
    EXPECT_EQ(peer.frames.size(), frames);
    link.SetStopRequest(nullptr);
}

TEST_F(LinkCauseTest, AValueTooWideForItsFieldIsNotSent) {
    AnswerEachWrite("!");
    EXPECT_EQ(SendSectionRecord(link, 0, 0x1000000, 1, 0).cause, Cause::Unsendable);
    EXPECT_EQ(Written(), "");
}

}  // namespace
}  // namespace nembra::testing
