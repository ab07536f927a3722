#include <string>

#include "tests/pod/CommandFixture.h"

namespace nembra::testing {
namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
    std::vector<uint8_t> bytes;
    for (int v : values) bytes.push_back(static_cast<uint8_t>(v));
    return bytes;
}

TEST_F(CommandTest, VersionFromKvlAndTwoDigits) {
    uint16_t version = 99;
    AnswerEachWrite("!KVL15");
    EXPECT_TRUE(QueryPodVersion(link, version));
    EXPECT_EQ(version, 15);
}

TEST_F(CommandTest, ForeignVersionPrefixGivesZeroButSucceeds) {
    uint16_t version = 99;
    AnswerEachWrite("!KVL15");
    ASSERT_TRUE(QueryPodVersion(link, version));
    AnswerEachWrite("!ABC15");
    EXPECT_TRUE(QueryPodVersion(link, version));
    EXPECT_EQ(version, 0);
}

TEST_F(CommandTest, VersionTextStopsAtTheFirstZeroByte) {
    uint16_t version = 99;
    AnswerEachWrite(Bytes({'!', 'K', 'V', 'L', '1', 0}));
    EXPECT_TRUE(QueryPodVersion(link, version));
    EXPECT_EQ(version, 0);
    AnswerEachWrite("!KVL1x");
    EXPECT_TRUE(QueryPodVersion(link, version));
    EXPECT_EQ(version, 0);
}

TEST_F(CommandTest, FailedVersionQueryLeavesZero) {
    uint16_t version = 99;
    AnswerEachWrite("!KVL15");
    ASSERT_TRUE(QueryPodVersion(link, version));
    Silent();
    EXPECT_FALSE(QueryPodVersion(link, version));
    EXPECT_EQ(version, 0);
}

TEST_F(CommandTest, PodInfoCopiesTheFifteenRecordBytes) {
    AnswerEachWrite(Bytes({'!', 1, 'P', 'R', 'O', 'G', 'R', 'A', 'M', '1', 0x07, 0xD6, 3, 7, 9, 5}));
    PodFileRecord record;
    record.bytes.fill(0xEE);
    ASSERT_TRUE(ReadPodInfo(link, record));
    EXPECT_TRUE(record.stored());
    EXPECT_EQ(std::string(record.bytes.begin() + 1, record.bytes.begin() + 9), "PROGRAM1");
    EXPECT_EQ(record.bytes[9], 0x07);
    EXPECT_EQ(record.bytes[14], 5);
}

TEST_F(CommandTest, FailedPodInfoLeavesAClearedRecord) {
    AnswerEachWrite("?");
    PodFileRecord record;
    record.bytes.fill(0xEE);
    EXPECT_FALSE(ReadPodInfo(link, record));
    for (uint8_t b : record.bytes) EXPECT_EQ(b, 0);
}

// After an accepted reset both queues are purged, so a stray byte that
// followed the '!' cannot pass for the next command's acknowledgement.
TEST_F(CommandTest, ResetPurgesWhatFollowsTheAcknowledgement) {
    AnswerEachWrite(Bytes({'!', '!'}));
    EXPECT_TRUE(ResetTarget(link));
    EXPECT_EQ(device.PendingReplyBytes(), 0u);
    Silent();
    EXPECT_FALSE(IdentifyPod(link));
}

TEST_F(CommandTest, RefusedResetDoesNotPurge) {
    AnswerEachWrite(Bytes({'?', '!'}));
    EXPECT_FALSE(ResetTarget(link));
    EXPECT_EQ(device.PendingReplyBytes(), 1u);
}

TEST_F(CommandTest, RecordsAreReadHighByteFirst) {
    AnswerEachWrite(Bytes({'!', 0x77, 5, 1, 0x03, 0xFF, 2}));
    ImageRecordReply image;
    ASSERT_TRUE(ReadImageRecord(link, image));
    EXPECT_EQ(image.storeMarker, kStoreMarker);
    EXPECT_EQ(image.deviceCode, 5);
    EXPECT_EQ(image.csmOption, 1);
    EXPECT_EQ(image.sectionCount, 2);

    AnswerEachWrite(Bytes({'!', 0x3F, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x02, 0x00}));
    SectionRecordReply section;
    ASSERT_TRUE(ReadSectionRecord(link, 1, section));
    EXPECT_EQ(section.address, 0x3F0000u);
    EXPECT_EQ(section.wordCount, 0x100u);
    EXPECT_EQ(section.dataOffset, 0x200u);

    AnswerEachWrite(
        Bytes({'!', 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF, 0, 0, 0xFF, 0xFF, 0x00, 0xA0, 0xBE, 0xEF}));
    CsmKeyTable keys{};
    ASSERT_TRUE(ReadPasswordRecord(link, keys));
    EXPECT_EQ(keys, (CsmKeyTable{0x0123, 0x4567, 0x89AB, 0xCDEF, 0x0000, 0xFFFF, 0x00A0, 0xBEEF}));
}

TEST_F(CommandTest, ShortRecordReplyFails) {
    AnswerEachWrite(Bytes({'!', 0x77, 5}));
    ImageRecordReply image;
    EXPECT_FALSE(ReadImageRecord(link, image));
}

}  // namespace
}  // namespace nembra::testing
