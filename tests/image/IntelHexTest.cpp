// Intel HEX in TI's 16-bit ROM-width layout.
#include <gtest/gtest.h>

#include <sstream>

#include "image/IntelHex.h"

namespace nembra {
namespace {

std::string Written(const WordMap& words) {
    std::ostringstream out;
    WriteIntelHex(out, words);
    return out.str();
}

TEST(IntelHexWrite, RecordsAreWordAddressedHighByteFirst) {
    const WordMap words{{0x3F0000, 0x761F}, {0x3F0001, 0x0266}};
    const std::string text = Written(words);
    EXPECT_EQ(text, ":02000004003FBB\n:04000000761F0266FF\n:00000001FF\n");
}

TEST(IntelHexWrite, SixteenWordsPerRecordSplitAtGaps) {
    WordMap words;
    for (uint32_t i = 0; i < 20; ++i) words[0x100 + i] = static_cast<uint16_t>(i);
    words[0x200] = 0xABCD;
    std::istringstream lines(Written(words));
    std::vector<std::string> records;
    for (std::string line; std::getline(lines, line);) records.push_back(line.substr(0, 9));
    EXPECT_EQ(records, (std::vector<std::string>{":02000004", ":20010000", ":08011000", ":02020000", ":00000001"}));
}

TEST(IntelHexWrite, RecordsNeverCrossA64KiWordPage) {
    WordMap words;
    for (uint32_t a = 0x3EFFFC; a < 0x3F0004; ++a) words[a] = static_cast<uint16_t>(a);
    const std::string text = Written(words);
    EXPECT_EQ(text,
              ":02000004003EBC\n:08FFFC00FFFCFFFDFFFEFFFF0B\n"
              ":02000004003FBB\n:080000000000000100020003F2\n:00000001FF\n");
}

TEST(IntelHexWrite, RecordStartsBeginNewRecords) {
    WordMap words;
    for (uint32_t a = 0x10; a < 0x30; ++a) words[a] = static_cast<uint16_t>(a);
    std::ostringstream out;
    WriteIntelHex(out, words, {0x16, 0x40});
    std::istringstream lines(out.str());
    std::vector<std::string> records;
    for (std::string line; std::getline(lines, line);) records.push_back(line.substr(0, 9));
    EXPECT_EQ(records, (std::vector<std::string>{":02000004", ":0C001000", ":20001600", ":14002600", ":00000001"}));
}

TEST(IntelHexWrite, EmptyMapIsJustTheEndRecord) { EXPECT_EQ(Written({}), ":00000001FF\n"); }

TEST(IntelHexRead, RoundTrip) {
    WordMap words;
    for (uint32_t i = 0; i < 100; ++i) words[0x3D8000 + i * 7 % 300] = static_cast<uint16_t>(i * 0x1357);
    words[0] = 0x0102;
    words[0xFFFFFFFF] = 0xBEEF;
    for (uint32_t a = 0x1FFF0; a < 0x20010; ++a) words[a] = static_cast<uint16_t>(~a);
    WordMap back;
    std::string error;
    ASSERT_TRUE(ReadIntelHex(Written(words), back, error)) << error;
    EXPECT_EQ(back, words);
}

TEST(IntelHexRead, AcceptsCrLfAndLowerCase) {
    WordMap words;
    std::string error;
    ASSERT_TRUE(ReadIntelHex(":02000004003fbb\r\n:04000000761f0266ff\r\n:00000001ff\r\n", words, error)) << error;
    EXPECT_EQ(words, (WordMap{{0x3F0000, 0x761F}, {0x3F0001, 0x0266}}));
}

TEST(IntelHexRead, MalformedInputIsRefusedAndLosesNothing) {
    const WordMap before{{1, 2}};
    const char* bad[] = {
        ":04000000761F0266FE\n:00000001FF\n",               // checksum
        ":05000000761F0266FF\n:00000001FF\n",               // byte count
        ":04000000761F0266FF\n",                            // no end record
        "04000000761F0266FF\n:00000001FF\n",                // no colon
        ":04000000761G0266FF\n:00000001FF\n",               // not hex
        ":04000000761F0266F\n:00000001FF\n",                // odd digits
        ":03000000761F0266\n:00000001FF\n",                 // odd byte count of words
        ":04000003761F0266FC\n:00000001FF\n",               // unknown type
        ":00000001FF\n:02000000761F69\n",                   // data after the end
        ":02000000761F69\n:02000000761F69\n:00000001FF\n",  // address twice
        ":04FFFF00761F026601\n:00000001FF\n",               // crosses a page
        ":0100000401FA\n:00000001FF\n",                     // short extended address
    };
    for (const char* text : bad) {
        WordMap words = before;
        std::string error;
        EXPECT_FALSE(ReadIntelHex(text, words, error)) << text;
        EXPECT_FALSE(error.empty()) << text;
        EXPECT_EQ(words, before) << text;
    }
}

TEST(IntelHexRead, ErrorNamesTheLine) {
    WordMap words;
    std::string error;
    ASSERT_FALSE(ReadIntelHex(":02000004003FBB\n\n:04000000761F0266FE\n:00000001FF\n", words, error));
    EXPECT_EQ(error, "line 3: checksum mismatch");
}

}  // namespace
}  // namespace nembra
