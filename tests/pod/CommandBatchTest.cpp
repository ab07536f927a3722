#include <string>

#include "pod/PodCommandsFrame.h"
#include "tests/pod/CommandFixture.h"

namespace nembra::testing {
namespace {

std::string DataFrames(int count, const std::string& value) {
    std::string text;
    for (int i = 0; i < count; ++i) text += "<STX>S" + value + "<ETX>";
    return text;
}

// The threshold is 350 characters, that is 50 seven-byte frames: 49 stay
// buffered, the 50th sends all of them in one write.
TEST_F(CommandTest, FiftiethDataWordSendsTheBatch) {
    Silent();
    for (int i = 0; i < 49; ++i) ASSERT_TRUE(SendStreamWord(link, 'S', 0x1234, 0));
    EXPECT_EQ(Written(), "");
    EXPECT_EQ(link.frameBatch().size(), 343u);
    const int writesBefore = device.CallCount(SimDevice::Call::Write);
    EXPECT_TRUE(SendStreamWord(link, 'S', 0x1234, 0));
    EXPECT_EQ(device.CallCount(SimDevice::Call::Write), writesBefore + 1);
    EXPECT_EQ(Written(), DataFrames(50, "1234"));
    EXPECT_TRUE(link.frameBatch().Empty());
}

TEST_F(CommandTest, StreamWordGoesOutAheadOfBufferedData) {
    AnswerEachWrite("!");
    ASSERT_TRUE(SendStreamWord(link, 'S', 1, 0));
    ASSERT_TRUE(SendStreamWord(link, 'S', 2, 0));
    EXPECT_TRUE(SendStreamWord(link, 'U', 0x00C8, 3000));
    EXPECT_EQ(Written(), Frame("U00C8"));
    EXPECT_EQ(link.frameBatch().text(), "\x02S0001\x03\x02S0002\x03");
}

TEST_F(CommandTest, FailedStreamWordLeavesTheBatchAlone) {
    Silent();
    ASSERT_TRUE(SendStreamWord(link, 'S', 1, 0));
    EXPECT_FALSE(SendStreamWord(link, 'X', 0, 3000));
    EXPECT_EQ(link.frameBatch().text(), "\x02S0001\x03");
}

// The pod acknowledges no data word: a byte waiting after a batch write
// means it refused something, and the word fails, leaving the byte queued.
TEST_F(CommandTest, ByteWaitingAfterABatchFailsTheWord) {
    Silent();
    for (int i = 0; i < 49; ++i) ASSERT_TRUE(SendStreamWord(link, 'S', 7, 0));
    peer.script = [](const std::vector<uint8_t>&, uint32_t now, ReplyQueue& replies) { replies.Push(0x15, now); };
    EXPECT_FALSE(SendStreamWord(link, 'S', 7, 0));
    EXPECT_TRUE(link.frameBatch().Empty());
    EXPECT_EQ(device.PendingReplyBytes(), 1u);
}

TEST_F(CommandTest, FailedQueueQueryFailsTheWord) {
    Silent();
    device.FailCall(SimDevice::Call::GetQueueStatus);
    EXPECT_FALSE(SendFlashWord(link, 0x1234, true));
    EXPECT_TRUE(link.frameBatch().Empty());
}

TEST_F(CommandTest, BlockEndFlushesTheBatchAndReadsOneByte) {
    AnswerEachWrite("!");
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(SendStreamWord(link, 'S', 0xAB, 0));
    EXPECT_TRUE(SendStreamWord(link, 'Y', 0xCD, 4000));
    EXPECT_EQ(Written(), DataFrames(3, "00AB") + Frame("Y00CD"));
    EXPECT_TRUE(link.frameBatch().Empty());
    EXPECT_EQ(device.PendingReplyBytes(), 0u);
}

TEST_F(CommandTest, UnansweredBlockEndStillEmptiesTheBatch) {
    Silent();
    ASSERT_TRUE(SendStreamWord(link, 'S', 1, 0));
    EXPECT_FALSE(SendStreamWord(link, 'Z', 2, 4000));
    EXPECT_TRUE(link.frameBatch().Empty());
}

TEST_F(CommandTest, FailedBatchWriteEmptiesTheBatch) {
    Silent();
    for (int i = 0; i < 49; ++i) ASSERT_TRUE(SendStreamWord(link, 'S', 1, 0));
    device.FailCall(SimDevice::Call::Write);
    EXPECT_FALSE(SendStreamWord(link, 'S', 1, 0));
    EXPECT_TRUE(link.frameBatch().Empty());
}

TEST_F(CommandTest, FlashWordsTravelByteSwapped) {
    Silent();
    EXPECT_TRUE(SendFlashWord(link, 0x00FF, true));
    EXPECT_EQ(Written(), Frame("SFF00"));
    EXPECT_TRUE(SendFlashWord(link, 0x12AB, true));
    EXPECT_EQ(Written(), Frame("SAB12"));
    EXPECT_TRUE(SendStreamWord(link, 'S', 0x00FF, 0));
    EXPECT_TRUE(SendFlashWord(link, 0x0001, false));
    EXPECT_EQ(Written(), "");
    EXPECT_TRUE(SendFlashWord(link, 0x0002, true));
    EXPECT_EQ(Written(), Frame("S00FF") + Frame("S0100") + Frame("S0200"));
}

TEST_F(CommandTest, StreamLongSendsHighWordFirstAndStopsOnFailure) {
    AnswerEachWrite("!");
    EXPECT_TRUE(SendStreamLong(link, 0x003F8000, 3000));
    EXPECT_EQ(Written(), Frame("U003F") + Frame("U8000"));
    Silent();
    EXPECT_FALSE(SendStreamLong(link, 0x00123456, 3000));
    EXPECT_EQ(Written(), Frame("U0012"));
}

// Text longer than the threshold is still written whole, in pieces that fit
// the 400-byte transmit buffer.
TEST_F(CommandTest, OversizedBatchIsWrittenInPiecesThatFit) {
    Silent();
    std::string text;
    for (int i = 0; i < 120; ++i) text += DataWordFrame(static_cast<uint16_t>(i));
    const int writesBefore = device.CallCount(SimDevice::Call::Write);
    EXPECT_TRUE(link.WriteText(text, 2000));
    EXPECT_EQ(device.CallCount(SimDevice::Call::Write), writesBefore + 3);
    const std::string written = Written();
    EXPECT_EQ(written.substr(0, 16), "<STX>S0000<ETX><");
    EXPECT_EQ(written.size(), 120u * 15);
}

}  // namespace
}  // namespace nembra::testing
