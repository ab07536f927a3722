#include <gtest/gtest.h>

#include "image/LoadCoffFile.h"

namespace nembra::testing {
namespace {

// The name taken from a file name keeps to what --name accepts: printable
// ASCII. Before, "new\nline.out" stored a name with a line break and a
// Hangul name half a character.
TEST(PodFileName, BytesThatAreNotPrintableAsciiBecomeUnderscores) {
    EXPECT_EQ(PodFileNameFrom("new\nline.out"), "new_line");
    EXPECT_EQ(PodFileNameFrom("tab\there.OUT"), "tab_here");
    EXPECT_EQ(PodFileNameFrom("pr\xFC"
                              "fung.out"),
              "pr_fung");
    EXPECT_EQ(PodFileNameFrom("\x7F\x01.hex"), "__");
    // Cut to eight bytes first: three Hangul characters are nine bytes.
    EXPECT_EQ(PodFileNameFrom("\xED\x95\x9C\xEA\xB8\x80\xED\x94\x84.out"), "________");
}

TEST(PodFileName, PrintableAsciiNamesAreTakenAsBefore) {
    EXPECT_EQ(PodFileNameFrom("My prog~1.out"), "My prog~");
    EXPECT_EQ(PodFileNameFrom(" !{}.out"), " !{}");
    for (int c = 0; c < 256; ++c) EXPECT_EQ(IsPodFileNameChar(static_cast<char>(c)), c >= 0x20 && c <= 0x7E) << c;
}

}  // namespace
}  // namespace nembra::testing
