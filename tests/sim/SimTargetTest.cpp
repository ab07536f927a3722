#include <sstream>
#include <vector>

#include "image/IntelHex.h"
#include "tests/sim/SimFixture.h"

namespace nembra::testing {
namespace {

std::vector<uint16_t> Pattern(size_t count, uint16_t seed) {
    std::vector<uint16_t> words;
    for (size_t i = 0; i < count; ++i) words.push_back(static_cast<uint16_t>(seed + 0x0101 * i));
    return words;
}

TEST_F(SimPodTest, ErasedAndProgrammedFlashHoldsTheWords) {
    ReadyF281x(5);
    ASSERT_TRUE(EraseSectors(l(), 0x0001, 20000));
    const auto words = Pattern(40, 0x12AB);
    ASSERT_TRUE(ProgramWords(0x3F6000, words));
    for (uint32_t i = 0; i < words.size(); ++i) EXPECT_EQ(pod().TargetFlashWord(0x3F6000 + i), words[i]);
    EXPECT_EQ(pod().TargetFlashWord(0x3F6000 + 40), 0xFFFF);
    ASSERT_TRUE(ResetTarget(l()));
    ExpectNoProtocolErrors();
    EXPECT_EQ(pod().commandLog().substr(0, 5), "INKOO");
}

TEST_F(SimPodTest, FlashStartsWithAnOldProgram) {
    for (uint32_t address : {0x3D8000u, 0x3E8000u, 0x3F7FF0u}) EXPECT_NE(pod().TargetFlashWord(address), 0xFFFF);
}

TEST_F(SimPodTest, F2810RefusesSectorsAndAddressesItLacks) {
    ReadyF281x(3);
    EXPECT_FALSE(EraseSectors(l(), 0x0020, 20000));
    EXPECT_TRUE(ErrorMentions("F2810 lacks"));
    EXPECT_TRUE(EraseSectors(l(), 0x0010, 20000));
    EXPECT_FALSE(ProgramWords(0x3E4000, Pattern(4, 1)));
    EXPECT_TRUE(ErrorMentions("outside the F2810's flash"));
    EXPECT_TRUE(ProgramWords(0x3E8000, Pattern(4, 1)));
}

TEST_F(SimPodTest, BlockCountMustMatchTheWordsReceived) {
    ReadyF281x(5);
    ASSERT_TRUE(EraseSectors(l(), 0x0001, 20000));
    for (int i = 0; i < 39; ++i) ASSERT_TRUE(SendFlashWord(l(), 0x1111, i == 38));
    EXPECT_FALSE(ProgramBlock(l(), 0x3F6000, 40, 5000));
    EXPECT_TRUE(ErrorMentions("count 40 but 39"));
    // The refused block's words are gone; the next block starts clean.
    EXPECT_TRUE(ProgramWords(0x3F6000, Pattern(40, 3)));
}

TEST_F(SimPodTest, FlashCommandsOutOfOrderAreRefused) {
    EXPECT_FALSE(SendCsmKeys(l(), false, kNoPassword));
    EXPECT_TRUE(ErrorMentions("'K' must directly follow 'N'"));
    ASSERT_TRUE(StartBootF281x(l(), 4));
    EXPECT_FALSE(InitFlash(l(), 5000));
    ASSERT_TRUE(SendCsmKeys(l(), false, kNoPassword));
    EXPECT_FALSE(EraseSectors(l(), 1, 20000));
    EXPECT_FALSE(StartBootF281x(l(), 1));
    EXPECT_FALSE(StartBootLf240x(l(), 5));
}

TEST_F(SimPodTest, F281xRamDownloadThroughTheBootStream) {
    ASSERT_TRUE(StartBootF281x(l(), 5));
    const auto words = Pattern(3, 0x0102);
    ASSERT_TRUE(SendStreamWord(l(), 'U', 3, 3000));
    ASSERT_TRUE(SendStreamLong(l(), 0x008000, 3000));
    ASSERT_TRUE(SendStreamWord(l(), 'S', words[0], 0));
    ASSERT_TRUE(SendStreamWord(l(), 'S', words[1], 0));
    ASSERT_TRUE(SendStreamWord(l(), 'Y', words[2], 4000));
    ASSERT_TRUE(SendStreamWord(l(), 'X', 0, 3000));
    const WordMap written = pod().TargetWordsWritten();
    ASSERT_EQ(written.size(), 3u);
    EXPECT_EQ(written.at(0x8000), words[0]);
    EXPECT_EQ(written.at(0x8002), words[2]);
    ExpectNoProtocolErrors();
    // After the stream's end the loader takes no more words.
    EXPECT_FALSE(SendStreamWord(l(), 'U', 1, 3000));
}

TEST_F(SimPodTest, BootBlockEndingEarlyIsRefused) {
    ASSERT_TRUE(StartBootF281x(l(), 5));
    ASSERT_TRUE(SendStreamWord(l(), 'U', 3, 3000));
    ASSERT_TRUE(SendStreamLong(l(), 0x8000, 3000));
    ASSERT_TRUE(SendStreamWord(l(), 'S', 1, 0));
    EXPECT_FALSE(SendStreamWord(l(), 'Y', 2, 4000));
    EXPECT_TRUE(ErrorMentions("ends a block after 2 word(s), but its count was 3"));
}

TEST_F(SimPodTest, StreamAfterTheFlashAlgorithmIsRefused) {
    ASSERT_TRUE(StartBootF281x(l(), 5));
    ASSERT_TRUE(SendCsmKeys(l(), false, kNoPassword));
    EXPECT_FALSE(SendStreamWord(l(), 'U', 1, 3000));
}

TEST_F(SimPodTest, Lf240xStreamWritesEachBlock) {
    ASSERT_TRUE(StartBootLf240x(l(), 1));
    ASSERT_TRUE(SendStreamWord(l(), 'U', 0x0040, 3000));
    ASSERT_TRUE(SendStreamWord(l(), 'U', 1, 3000));  // two words
    ASSERT_TRUE(SendStreamWord(l(), 'S', 0xAAAA, 0));
    ASSERT_TRUE(SendStreamWord(l(), 'Z', 0xBBBB, 4000));
    ASSERT_TRUE(SendStreamWord(l(), 'U', 0x0001, 3000));
    ASSERT_TRUE(SendStreamWord(l(), 'U', 0x8000, 3000));
    ASSERT_TRUE(SendStreamWord(l(), 'U', 0, 3000));  // one word
    ASSERT_TRUE(SendStreamWord(l(), 'Z', 0xCCCC, 4000));
    ASSERT_TRUE(SendStreamWord(l(), 'U', 0x0000, 3000));
    ASSERT_TRUE(ResetTarget(l()));
    ExpectNoProtocolErrors();
    EXPECT_EQ(pod().TargetImage(), (WordMap{{0x0040, 0xAAAA}, {0x0041, 0xBBBB}, {0x8000, 0xCCCC}}));
}

TEST_F(SimPodTest, Lf240xWordAfterTheEndIsRefused) {
    ASSERT_TRUE(StartBootLf240x(l(), 2));
    ASSERT_TRUE(SendStreamWord(l(), 'U', 0x0040, 3000));
    ASSERT_TRUE(SendStreamWord(l(), 'U', 0, 3000));
    ASSERT_TRUE(SendStreamWord(l(), 'Z', 1, 4000));
    EXPECT_FALSE(SendStreamWord(l(), 'U', 2, 3000));
    EXPECT_TRUE(ErrorMentions("only 'U' 0001 or 'U' 0000"));
}

TEST_F(SimPodTest, TargetImageCoversTheBootedDevicesFlashAndRam) {
    ASSERT_TRUE(StartBootF281x(l(), 3));
    ASSERT_TRUE(SendStreamWord(l(), 'U', 1, 3000));
    ASSERT_TRUE(SendStreamLong(l(), 0x3F8000, 3000));
    ASSERT_TRUE(SendStreamWord(l(), 'Y', 0x4321, 4000));
    const WordMap image = pod().TargetImage();
    EXPECT_EQ(image.size(), 0x10000u + 1);
    EXPECT_EQ(image.begin()->first, 0x3E8000u);
    EXPECT_EQ(image.at(0x3F8000), 0x4321);

    std::ostringstream hex;
    pod().WriteTargetHex(hex);
    WordMap back;
    std::string error;
    ASSERT_TRUE(ReadIntelHex(hex.str(), back, error)) << error;
    EXPECT_EQ(back, image);
}

// A device whose password words are set stays locked unless "K" brings the
// matching keys.
TEST_F(SimPodTest, SecuredFlashNeedsTheMatchingKeys) {
    ReadyF281x(5);
    ASSERT_TRUE(EraseSectors(l(), 0x0001, 20000));
    const std::vector<uint16_t> password{1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_TRUE(ProgramWords(0x3F7FF8, password));
    ASSERT_TRUE(ResetTarget(l()));
    ASSERT_TRUE(StartBootF281x(l(), 5));
    EXPECT_FALSE(SendCsmKeys(l(), false, kNoPassword));
    EXPECT_TRUE(ErrorMentions("stays locked"));
    ASSERT_TRUE(StartBootF281x(l(), 5));
    EXPECT_TRUE(SendCsmKeys(l(), true, CsmKeyTable{1, 2, 3, 4, 5, 6, 7, 8}));
}

}  // namespace
}  // namespace nembra::testing
