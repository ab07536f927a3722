#include "tests/sim/SimFixture.h"

namespace nembra::testing {
namespace {

// Refused frames get no '!' and a line that says why in plain words.
TEST_F(SimPodTest, MalformedFramesAreRefusedAndRecorded) {
    struct Case {
        std::string bytes;
        std::string why;
    };
    const std::vector<Case> cases{
        {Frame("q"), "unknown command letter 'q'"},
        {Frame("n5"), "unknown command letter 'n'"},
        {Frame("O0100ff"), "not upper-case hex"},
        {Frame("U12"), "2 field characters, expected 4"},
        {Frame("O0100"), "4 field characters, expected 6"},
        {Frame("I1"), "1 field characters, expected 0"},
        {Frame("O03"), "flash operation 03 is unknown"},
        {"xy" + Frame("I"), "2 byte(s) outside a frame"},
        {"\x02\x03", "empty frame"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        const size_t before = pod().protocolErrors().size();
        WriteRaw(c.bytes);
        ASSERT_GT(pod().protocolErrors().size(), before);
        EXPECT_TRUE(ErrorMentions(c.why));
        link->PurgePod();
    }
}

TEST_F(SimPodTest, RefusalIsNotAnAcknowledgement) {
    WriteRaw(Frame("U12"));
    uint8_t reply = 0;
    ASSERT_TRUE(link->ReadReply(&reply, 1, 200));
    EXPECT_NE(reply, '!');
}

TEST_F(SimPodTest, DataWordOutsideABlockIsRefused) {
    EXPECT_FALSE(SendFlashWord(l(), 0x1234, true));
    EXPECT_TRUE(ErrorMentions("data word outside a block"));
}

TEST_F(SimPodTest, FramesSplitAcrossWritesAndSharedWritesAreParsed) {
    WriteRaw("\x02");
    WriteRaw("N");
    WriteRaw("5\x03\x02K0FFFFFFFFFFFFFFFF");
    WriteRaw("FFFFFFFFFFFFFFFF\x03" + Frame("O00"));
    uint8_t replies[3] = {};
    ASSERT_TRUE(link->ReadReply(replies, 3, 200));
    EXPECT_EQ(std::string(replies, replies + 3), "!!!");
    ExpectNoProtocolErrors();
    EXPECT_EQ(pod().commandLog(), "INKO");
}

TEST_F(SimPodTest, FrameCutShortByANewStxIsRefused) {
    WriteRaw("\x02U12" + Frame("I"));
    EXPECT_TRUE(ErrorMentions("cut short"));
    // The cut frame is refused, the frame that cut it is answered.
    uint8_t replies[2] = {};
    ASSERT_TRUE(link->ReadReply(replies, 2, 200));
    EXPECT_NE(replies[0], '!');
    EXPECT_EQ(replies[1], '!');
}

TEST_F(SimPodTest, VersionReplyCanBeChanged) {
    uint16_t version = 0;
    ASSERT_TRUE(QueryPodVersion(l(), version));
    EXPECT_EQ(version, 15);
    pod().SetVersionReply("KVL21");
    ASSERT_TRUE(QueryPodVersion(l(), version));
    EXPECT_EQ(version, 21);
    pod().SetVersionReply("XYZ15");
    ASSERT_TRUE(QueryPodVersion(l(), version));
    EXPECT_EQ(version, 0);
}

TEST_F(SimPodTest, ResetIsAlwaysAccepted) {
    EXPECT_TRUE(ResetTarget(l()));
    EXPECT_TRUE(IdentifyPod(l()));
    ExpectNoProtocolErrors();
}

}  // namespace
}  // namespace nembra::testing
