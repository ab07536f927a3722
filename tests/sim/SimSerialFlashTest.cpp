#include <fstream>

#include "tests/sim/SimFixture.h"

namespace nembra::testing {
namespace {

const TagRecord kTag{'B', 'L', 'I', 'N', 'K', 0, 0, 0, 0x07, 0xD7, 3, 2, 14, 5};

class SimStoreTest : public SimPodTest {
protected:
    void SetUp() override { Start(FastOptions(folder.File("pod.store"))); }

    // Stores two sections, 150 words in all (pages of 264 and 36 bytes),
    // as POD Write does for an F2812 program.
    void StoreProgram(uint16_t seed) {
        ASSERT_TRUE(BeginSerialFlashAccess(l()));
        ASSERT_TRUE(SendSectionRecord(l(), 0, 0x3F0000, 100, 0));
        SendWords(0, 100, seed);
        ASSERT_TRUE(SendSectionRecord(l(), 1, 0x3F6000, 50, 200));
        SendWords(100, 150, seed);
        ASSERT_TRUE(SendPasswordRecord(l(), CsmKeyTable{1, 2, 3, 4, 5, 6, 7, 8}));
        ASSERT_TRUE(SendTagRecord(l(), kTag));
        ASSERT_TRUE(SendImageRecord(l(), 5, 1, 0x0005, 2));
        ASSERT_TRUE(EndSerialFlashAccess(l()));
    }
    // The words [from, to) of the stream, closing each page with "W" (or
    // "L" when verifying).
    void SendWords(int from, int to, uint16_t seed, bool verify = false) {
        for (int i = from; i < to; ++i) {
            const int inPage = i % 132 + 1;
            const bool pageEnds = inPage == 132 || i == 149;
            ASSERT_TRUE(batch.AddDataWord(l(), static_cast<uint16_t>(seed + i), pageEnds));
            if (pageEnds) {
                const auto page = static_cast<uint16_t>(i / 132);
                const auto bytes = static_cast<uint16_t>(2 * inPage);
                pageResults.push_back(verify ? VerifySerialFlashPage(l(), page, bytes)
                                             : WriteSerialFlashPage(l(), page, bytes));
            }
        }
    }
    void Reopen() {
        Start(FastOptions(folder.File("pod.store")));
        pageResults.clear();
    }

    TempFolder folder;
    FrameBatch batch;
    std::vector<bool> pageResults;
};

TEST_F(SimStoreTest, StoredProgramIsSeenByALaterPodOnTheSameFile) {
    StoreProgram(0x1000);
    ExpectNoProtocolErrors();
    EXPECT_EQ(pageResults, (std::vector<bool>{true, true}));

    Reopen();
    PodFileRecord record;
    ASSERT_TRUE(ReadPodInfo(l(), record));
    EXPECT_TRUE(record.stored());
    EXPECT_TRUE(std::equal(kTag.begin(), kTag.end(), record.bytes.begin() + 1));

    ASSERT_TRUE(BeginSerialFlashAccess(l()));
    ImageRecordReply summary;
    ASSERT_TRUE(ReadImageRecord(l(), summary));
    EXPECT_EQ(summary.storeMarker, kStoreMarker);
    EXPECT_EQ(summary.deviceCode, 5);
    EXPECT_EQ(summary.csmOption, 1);
    EXPECT_EQ(summary.sectionCount, 2);
    SectionRecordReply section;
    ASSERT_TRUE(ReadSectionRecord(l(), 1, section));
    EXPECT_EQ(section.address, 0x3F6000u);
    EXPECT_EQ(section.wordCount, 50u);
    EXPECT_EQ(section.dataOffset, 200u);
    EXPECT_FALSE(ReadSectionRecord(l(), 2, section));
    CsmKeyTable keys{};
    ASSERT_TRUE(ReadPasswordRecord(l(), keys));
    EXPECT_EQ(keys, (CsmKeyTable{1, 2, 3, 4, 5, 6, 7, 8}));
    pageResults.clear();
    SendWords(0, 150, 0x1000, true);
    EXPECT_EQ(pageResults, (std::vector<bool>{true, true}));
    ASSERT_TRUE(EndSerialFlashAccess(l()));
    ExpectNoProtocolErrors();
}

TEST_F(SimStoreTest, DifferentDataFailsOnlyItsPage) {
    StoreProgram(0x1000);
    Reopen();
    ASSERT_TRUE(BeginSerialFlashAccess(l()));
    SendWords(0, 132, 0x1000, true);
    SendWords(132, 150, 0x2000, true);
    EXPECT_EQ(pageResults, (std::vector<bool>{true, false}));
    ExpectNoProtocolErrors();
}

TEST_F(SimStoreTest, CorruptOrForeignStoreFileIsAnEmptyPod) {
    StoreProgram(0x1000);
    for (const std::string& content : {std::string("nembra-sim-pod-store 1\ndevice 5\npage 12\n"),
                                       std::string("\x7F"
                                                   "ELF\x01\x02",
                                                   6),
                                       std::string("nembra-sim-pod-store 1\ndevice 9\nend\n"), std::string()}) {
        std::ofstream(folder.File("pod.store"), std::ios::binary | std::ios::trunc) << content;
        Reopen();
        PodFileRecord record;
        ASSERT_TRUE(ReadPodInfo(l(), record));
        EXPECT_FALSE(record.stored());
        ASSERT_TRUE(BeginSerialFlashAccess(l()));
        ImageRecordReply summary;
        ASSERT_TRUE(ReadImageRecord(l(), summary));
        EXPECT_NE(summary.storeMarker, kStoreMarker);
    }
}

TEST_F(SimStoreTest, AbortLeavesNoProgramInThisOrALaterPod) {
    StoreProgram(0x1000);
    ASSERT_TRUE(BeginSerialFlashAccess(l()));
    ASSERT_TRUE(SendSectionRecord(l(), 0, 0x3F0000, 100, 0));
    AbortSerialFlashAccess(l());
    PodFileRecord record;
    ASSERT_TRUE(ReadPodInfo(l(), record));
    EXPECT_FALSE(record.stored());
    Reopen();
    ASSERT_TRUE(ReadPodInfo(l(), record));
    EXPECT_FALSE(record.stored());
}

TEST_F(SimStoreTest, VerifyLeavesTheStoreAsItWas) {
    StoreProgram(0x1000);
    ASSERT_TRUE(BeginSerialFlashAccess(l()));
    ImageRecordReply summary;
    ASSERT_TRUE(ReadImageRecord(l(), summary));
    ASSERT_TRUE(EndSerialFlashAccess(l()));
    PodFileRecord record;
    ASSERT_TRUE(ReadPodInfo(l(), record));
    EXPECT_TRUE(record.stored());
}

TEST_F(SimStoreTest, IncompleteStoreIsNotKept) {
    ASSERT_TRUE(BeginSerialFlashAccess(l()));
    ASSERT_TRUE(SendSectionRecord(l(), 0, 0x3F0000, 100, 0));
    SendWords(0, 100, 1);
    ASSERT_TRUE(SendTagRecord(l(), kTag));
    ASSERT_TRUE(EndSerialFlashAccess(l()));
    EXPECT_TRUE(ErrorMentions("incomplete store (no 'Q' summary record)"));
    link->PurgePod();  // the refusal of "H", which the host never reads
    PodFileRecord record;
    ASSERT_TRUE(ReadPodInfo(l(), record));
    EXPECT_FALSE(record.stored());
}

// Data that never got its page command is not part of the store.
TEST_F(SimStoreTest, UncommittedDataMakesTheStoreIncomplete) {
    ASSERT_TRUE(BeginSerialFlashAccess(l()));
    ASSERT_TRUE(SendSectionRecord(l(), 0, 0x9000, 2, 0));
    ASSERT_TRUE(batch.AddDataWord(l(), 1, false));
    ASSERT_TRUE(batch.AddDataWord(l(), 2, true));
    ASSERT_TRUE(SendTagRecord(l(), kTag));
    ASSERT_TRUE(SendImageRecord(l(), 1, 0, 0, 1));
    ASSERT_TRUE(EndSerialFlashAccess(l()));
    EXPECT_TRUE(ErrorMentions("never committed"));
}

TEST_F(SimStoreTest, RecordsOutOfOrderAreRefused) {
    EXPECT_FALSE(SendSectionRecord(l(), 0, 0x9000, 2, 0));
    EXPECT_TRUE(ErrorMentions("outside a serial-flash access"));
    ASSERT_TRUE(BeginSerialFlashAccess(l()));
    EXPECT_FALSE(SendSectionRecord(l(), 1, 0x9000, 2, 0));
    EXPECT_TRUE(ErrorMentions("sequence 1, expected 0"));
    ASSERT_TRUE(batch.AddDataWord(l(), 1, true));
    EXPECT_FALSE(WriteSerialFlashPage(l(), 0, 4));
    EXPECT_TRUE(ErrorMentions("byte count 4, but 2 byte(s) came"));
    EXPECT_FALSE(WriteSerialFlashPage(l(), 3, 0));
    EXPECT_FALSE(SendImageRecord(l(), 7, 0, 0, 1));
}

TEST_F(SimStoreTest, PageBufferHoldsOnePage) {
    ASSERT_TRUE(BeginSerialFlashAccess(l()));
    for (int i = 0; i < 132; ++i) ASSERT_TRUE(batch.AddDataWord(l(), 1, i == 131));
    EXPECT_FALSE(batch.AddDataWord(l(), 1, true));
    EXPECT_TRUE(ErrorMentions("beyond one 264-byte page"));
}

}  // namespace
}  // namespace nembra::testing
