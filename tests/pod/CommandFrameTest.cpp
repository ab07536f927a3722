#include <functional>
#include <string>

#include "tests/pod/CommandFixture.h"

namespace nembra::testing {
namespace {

struct Row {
    const char* body;   // what stands between STX and ETX
    size_t replyBytes;  // 0: none read
    uint32_t timeoutMs;
    std::function<bool(PodLink&)> send;
};

const CsmKeyTable kKeys{0x0123, 0x4567, 0x89AB, 0xCDEF, 0x0000, 0xFFFF, 0x00A0, 0xBEEF};

std::vector<Row> Table() {
    TagRecord tag{'A', 'B', 'C', 0, 0, 0, 0, 0, 0x07, 0xD7, 3, 2, 14, 5};
    // clang-format off
    return {
        {"I", 1, 200, [](PodLink& l) { return IdentifyPod(l); }},
        {"?", 6, 200, [](PodLink& l) { uint16_t v = 0; return QueryPodVersion(l, v); }},
        {"J", 16, 200, [](PodLink& l) { PodFileRecord r; return ReadPodInfo(l, r); }},
        {"R", 1, 1000, [](PodLink& l) { return ResetTarget(l); }},
        {"M2", 1, 10000, [](PodLink& l) { return StartBootLf240x(l, 2); }},
        {"N5", 1, 3000, [](PodLink& l) { return StartBootF281x(l, 5); }},
        {"K10123456789ABCDEF0000FFFF00A0BEEF", 1, 10000, [](PodLink& l) { return SendCsmKeys(l, true, kKeys); }},
        {"O00", 1, 5000, [](PodLink& l) { return InitFlash(l, 5000); }},
        {"O010020", 1, 20000, [](PodLink& l) { return EraseSectors(l, 0x0020, 20000); }},
        {"O023F60000028", 1, 5000, [](PodLink& l) { return ProgramBlock(l, 0x3F6000, 40, 5000); }},
        {"U00C8", 1, 3000, [](PodLink& l) { return SendStreamWord(l, 'U', 200, 3000); }},
        {"X0000", 1, 3000, [](PodLink& l) { return SendStreamWord(l, 'X', 0, 3000); }},
        {"Y1234", 1, 4000, [](PodLink& l) { return SendStreamWord(l, 'Y', 0x1234, 4000); }},
        {"ZABCD", 1, 4000, [](PodLink& l) { return SendStreamWord(l, 'Z', 0xABCD, 4000); }},
        {"G", 0, 0, [](PodLink& l) { return BeginSerialFlashAccess(l); }},
        {"H", 0, 0, [](PodLink& l) { return EndSerialFlashAccess(l); }},
        {"i", 0, 0, [](PodLink& l) { AbortSerialFlashAccess(l); return true; }},
        {"V023F0000000100000200", 1, 200, [](PodLink& l) { return SendSectionRecord(l, 2, 0x3F0000, 0x100, 0x200); }},
        {"W00010108", 1, 3000, [](PodLink& l) { return WriteSerialFlashPage(l, 1, 0x108); }},
        {"P0123456789ABCDEF0000FFFF00A0BEEF", 1, 200, [](PodLink& l) { return SendPasswordRecord(l, kKeys); }},
        {"T414243000000000007D703020E05", 1, 200, [tag](PodLink& l) { return SendTagRecord(l, tag); }},
        {"Q5103FF02", 1, 200, [](PodLink& l) { return SendImageRecord(l, 5, 1, 0x03FF, 2); }},
        {"h", 7, 200, [](PodLink& l) { ImageRecordReply r; return ReadImageRecord(l, r); }},
        {"g", 17, 200, [](PodLink& l) { CsmKeyTable k; return ReadPasswordRecord(l, k); }},
        {"l0A", 10, 200, [](PodLink& l) { SectionRecordReply r; return ReadSectionRecord(l, 10, r); }},
        {"L01FF0024", 1, 3000, [](PodLink& l) { return VerifySerialFlashPage(l, 0x1FF, 0x24); }},
    };
    // clang-format on
}

// Every command writes its frame byte for byte, reads exactly its reply
// (nothing is left over) and succeeds on '!'.
TEST_F(CommandTest, EveryCommandWritesItsFrameAndReadsItsReply) {
    for (const Row& row : Table()) {
        SCOPED_TRACE(row.body);
        std::vector<uint8_t> reply(row.replyBytes, 0);
        if (!reply.empty()) reply[0] = '!';
        AnswerEachWrite(reply);
        EXPECT_TRUE(row.send(link));
        EXPECT_EQ(Written(), Frame(row.body));
        EXPECT_EQ(device.PendingReplyBytes(), 0u);
        link.PurgePod();
    }
}

// A command whose reply never starts fails after its own time-out: the first
// byte is awaited for the stated time, in whole 200 ms driver reads.
TEST_F(CommandTest, EveryCommandWaitsItsOwnTimeOut) {
    Silent();
    for (const Row& row : Table()) {
        if (row.replyBytes == 0) continue;
        SCOPED_TRACE(row.body);
        const uint32_t start = clock.NowMs();
        EXPECT_FALSE(row.send(link));
        const uint32_t elapsed = clock.NowMs() - start;
        EXPECT_GE(elapsed, row.timeoutMs);
        EXPECT_LE(elapsed, row.timeoutMs + 450);
    }
}

TEST_F(CommandTest, AnyFirstByteButBangIsAFailure) {
    for (const Row& row : Table()) {
        if (row.replyBytes == 0) continue;
        SCOPED_TRACE(row.body);
        std::vector<uint8_t> reply(row.replyBytes, 0);
        reply[0] = '?';
        AnswerEachWrite(reply);
        EXPECT_FALSE(row.send(link));
        link.PurgePod();
    }
}

TEST_F(CommandTest, CommandsWithoutReplyNeedOnlyTheWrite) {
    Silent();
    EXPECT_TRUE(BeginSerialFlashAccess(link));
    device.FailCall(SimDevice::Call::Write);
    EXPECT_FALSE(EndSerialFlashAccess(link));
}

TEST_F(CommandTest, KeysWithTheOptionOffAreAllF) {
    AnswerEachWrite("!");
    EXPECT_TRUE(SendCsmKeys(link, false, kKeys));
    EXPECT_EQ(Written(), Frame("K0" + std::string(32, 'F')));
    EXPECT_EQ(CsmKeyText(false, kKeys), std::string(32, 'F'));
    EXPECT_EQ(CsmKeyText(true, kKeys), "0123456789ABCDEF0000FFFF00A0BEEF");
}

// A value wider than its field is never cut down to another number: the
// command fails and nothing is sent.
TEST_F(CommandTest, ValuesTooWideForTheirFieldSendNothing) {
    AnswerEachWrite("!");
    EXPECT_FALSE(ProgramBlock(link, 0x1000000, 40, 5000));
    EXPECT_FALSE(SendSectionRecord(link, 0, 0x1000000, 1, 0));
    EXPECT_FALSE(SendSectionRecord(link, 0, 0, 1, 0x1000000));
    EXPECT_FALSE(StartBootF281x(link, 0x10));
    EXPECT_FALSE(SendImageRecord(link, 0x10, 0, 0, 1));
    EXPECT_FALSE(SendStreamWord(link, 'Q', 1, 3000));
    EXPECT_EQ(Written(), "");
}

}  // namespace
}  // namespace nembra::testing
