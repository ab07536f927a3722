#include "tests/pod/LinkFixture.h"

namespace nembra::testing {
namespace {

using Call = SimDevice::Call;

// Runs each case both in the middle of the clock's range and 256 ms before
// the 32-bit clock wraps, so every deadline below is also taken across a wrap.
class LinkIoTest : public LinkTest, public ::testing::WithParamInterface<uint32_t> {
protected:
    LinkIoTest() : LinkTest(GetParam()) {}
    void SetUp() override {
        device.AddDevice("KVL47Q POD", &peer);
        Connect();
    }
    uint32_t Elapsed(uint32_t since) { return clock.NowMs() - since; }

    std::array<uint8_t, 16> buf{};
    std::array<uint8_t, 4> tx{};  // what the test writes, apart from the link's own buffers
};

TEST_P(LinkIoTest, SilentReplyFailsAfterTwoEmptyReads) {
    const uint32_t start = clock.NowMs();
    EXPECT_FALSE(link.ReadReply(buf.data(), 1, 200));
    EXPECT_EQ(Elapsed(start), 402u);
}

TEST_P(LinkIoTest, LongFirstByteTimeoutRoundsUpToWholeReads) {
    const uint32_t start = clock.NowMs();
    EXPECT_FALSE(link.ReadReply(buf.data(), 1, 10000));
    // Silence starts after the first 200 ms read; 50 more reads of 201 ms.
    EXPECT_EQ(Elapsed(start), 10251u);
}

TEST_P(LinkIoTest, SlowFirstByteWithinTheTimeoutIsRead) {
    device.InjectReply({'!'}, clock.NowMs() + 3000);
    EXPECT_TRUE(link.ReadReply(buf.data(), 1, 10000));
    EXPECT_EQ(buf[0], '!');
}

TEST_P(LinkIoTest, ShortReplyFailsAbout400msAfterItsLastByte) {
    const uint32_t lastByteAt = clock.NowMs() + 5;
    device.InjectReply({'!', '0', '1', '2'}, lastByteAt);
    EXPECT_FALSE(link.ReadReply(buf.data(), 6, 200));
    EXPECT_EQ(Elapsed(lastByteAt), 402u);
    EXPECT_EQ(std::string(buf.begin(), buf.begin() + 4), "!012");
}

TEST_P(LinkIoTest, ExtraBytesStayQueued) {
    device.InjectReply({'!', 'A', 'B', 'C'}, clock.NowMs());
    EXPECT_TRUE(link.ReadReply(buf.data(), 2, 200));
    EXPECT_EQ(buf[1], 'A');
    uint32_t waiting = 0;
    ASSERT_TRUE(link.WaitingBytes(waiting));
    EXPECT_EQ(waiting, 2u);
    EXPECT_EQ(buf[2], 0);  // not read past the expected count
}

TEST_P(LinkIoTest, GapShorterThanTwoReadsIsBridged) {
    const uint32_t t0 = clock.NowMs();
    device.InjectReply({'!'}, t0 + 5);
    device.InjectReply({'Z'}, t0 + 255);
    EXPECT_TRUE(link.ReadReply(buf.data(), 2, 200));
    EXPECT_EQ(Elapsed(t0), 255u);
}

TEST_P(LinkIoTest, LongGapEndsTheRead) {
    const uint32_t t0 = clock.NowMs();
    device.InjectReply({'!'}, t0 + 5);
    device.InjectReply({'Z'}, t0 + 455);
    EXPECT_FALSE(link.ReadReply(buf.data(), 2, 200));
    EXPECT_EQ(Elapsed(t0), 407u);
    EXPECT_EQ(device.PendingReplyBytes(), 1u);
}

TEST_P(LinkIoTest, ZeroExpectedBytesTakesNothing) {
    device.InjectReply({'!'}, clock.NowMs());
    EXPECT_TRUE(link.ReadReply(buf.data(), 0, 200));
    EXPECT_EQ(device.PendingReplyBytes(), 1u);
}

TEST_P(LinkIoTest, DriverFailuresFailTheRead) {
    device.InjectReply({'!', '!'}, clock.NowMs());
    device.FailCall(Call::Read);
    EXPECT_FALSE(link.ReadReply(buf.data(), 1, 200));
    device.FailCall(Call::GetQueueStatus);
    EXPECT_FALSE(link.ReadReply(buf.data(), 1, 200));
    uint32_t waiting = 7;
    device.FailCall(Call::GetQueueStatus);
    EXPECT_FALSE(link.WaitingBytes(waiting));
    EXPECT_TRUE(link.connected());  // a failed read leaves the link open
}

TEST_P(LinkIoTest, WriteWaitsForTheTransmitQueue) {
    device.SetTransmitDelay(50);
    const uint32_t start = clock.NowMs();
    tx[0] = 'x';
    EXPECT_TRUE(link.WriteFrame(tx.data(), 1, 200));
    EXPECT_EQ(Elapsed(start), 50u);
}

TEST_P(LinkIoTest, StuckTransmitQueueFailsAtTheDeadline) {
    device.SetTransmitDelay(UINT32_MAX);
    const uint32_t start = clock.NowMs();
    tx[0] = 'x';
    EXPECT_FALSE(link.WriteFrame(tx.data(), 1, 2000));
    // One status call before the deadline is taken, then 2000 ms of polling.
    EXPECT_EQ(Elapsed(start), 2001u);
}

TEST_P(LinkIoTest, WriteDriverFailuresFailTheWrite) {
    device.FailCall(Call::Write);
    EXPECT_FALSE(link.WriteFrame(tx.data(), 3, 200));
    device.FailCall(Call::GetStatus);
    EXPECT_FALSE(link.WriteFrame(tx.data(), 3, 200));
    device.SetTransmitDelay(UINT32_MAX);
    device.FailCall(Call::GetStatus, 5);
    EXPECT_FALSE(link.WriteFrame(tx.data(), 3, 200));
}

TEST_P(LinkIoTest, ShortWriteReportedAsSuccessIsAFailure) {
    device.SetWriteLimit(2);
    const uint8_t frame[] = {0x02, 'I', 0x03};
    EXPECT_FALSE(link.WriteFrame(frame, 3, 200));
    device.SetWriteLimit(0);
    EXPECT_TRUE(link.WriteFrame(frame, 3, 200));
}

TEST_P(LinkIoTest, PodPulledOutWhileOpenFailsReadsAndWritesButCloses) {
    device.SetUnplugged(0, true);
    device.InjectReply({'!'}, clock.NowMs());
    EXPECT_FALSE(link.WriteFrame(tx.data(), 3, 200));
    EXPECT_FALSE(link.ReadReply(buf.data(), 1, 200));
    EXPECT_TRUE(link.ClosePod());
    EXPECT_FALSE(link.connected());
    EXPECT_EQ(link.OpenPod(), OpenResult::PortFailed);
}

TEST_P(LinkIoTest, ObserverSeesEachReadEvenWhenEmpty) {
    RecordingObserver seen;
    link.SetObserver(&seen);
    tx[0] = 'Q';
    ASSERT_TRUE(link.WriteFrame(tx.data(), 1, 200));
    EXPECT_FALSE(link.ReadReply(buf.data(), 1, 200));
    EXPECT_EQ(seen.lines, (std::vector<std::string>{"WQ", "R"}));
}

INSTANTIATE_TEST_SUITE_P(ClockStarts, LinkIoTest, ::testing::Values(100000u, 0xFFFFFF00u));

TEST(LinkClosedIoTest, ReadAndWriteWithoutAnOpenLinkFail) {
    VirtualClock clock;
    SimDevice device{clock};
    SimDriverLoader loader{device};
    PodLink link{loader, clock};
    uint8_t b[4] = {};
    EXPECT_FALSE(link.WriteFrame(b, 1, 200));
    EXPECT_FALSE(link.ReadReply(b, 1, 200));
    uint32_t waiting = 0;
    EXPECT_FALSE(link.WaitingBytes(waiting));
}

}  // namespace
}  // namespace nembra::testing
