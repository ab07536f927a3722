#include "packaging/docgen/HelpSections.h"

#include <gtest/gtest.h>

namespace nembra::docgen {
namespace {

const char* kPage =
    "NAME\n"
    "  nembra-cli export - write a COFF file's words as Intel HEX\n"
    "\n"
    "DESCRIPTION\n"
    "  Loads FILE for DEV.\n"
    "\n"
    "  Second paragraph.\n"
    "\n"
    "OPTIONS\n"
    "  -h,--help               print this help and exit\n"
    "  -o,--output OUT (required)\n"
    "                          the Intel HEX file to write\n"
    "\n"
    "  The global options (--device, ...) are in 'nembra-cli --help'.\n"
    "\n"
    "EXIT STATUS\n"
    "  0  the operation succeeded\n";

TEST(HelpSections, SplitsThePageAtItsTitles) {
    const auto page = SplitSections(kPage);
    ASSERT_EQ(page.size(), 4u);
    EXPECT_EQ(page[0].title, "NAME");
    EXPECT_EQ(page[3].title, "EXIT STATUS");
    EXPECT_EQ(page[1].lines, (std::vector<std::string>{"Loads FILE for DEV.", "", "Second paragraph."}));
    EXPECT_EQ(Summary(page), "write a COFF file's words as Intel HEX");
    EXPECT_EQ(FindSection(page, "EXAMPLES"), nullptr);
}

TEST(HelpSections, ReadsEntriesWithWrappedDescriptionsAndSentencesAmongThem) {
    const auto page = SplitSections(kPage);
    const HelpSection* options = FindSection(page, "OPTIONS");
    ASSERT_NE(options, nullptr);
    EXPECT_TRUE(IsEntryList(*options));
    EXPECT_FALSE(IsEntryList(*FindSection(page, "DESCRIPTION")));
    const auto entries = Entries(*options);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].term, "-h,--help");
    EXPECT_EQ(entries[0].description, "print this help and exit");
    EXPECT_EQ(entries[1].term, "-o,--output OUT (required)");
    EXPECT_EQ(entries[1].description, "the Intel HEX file to write");
    EXPECT_EQ(entries[2].term, "");
    EXPECT_EQ(entries[2].description, "The global options (--device, ...) are in 'nembra-cli --help'.");
    const auto status = Entries(*FindSection(page, "EXIT STATUS"));
    ASSERT_EQ(status.size(), 1u);
    EXPECT_EQ(status[0].term, "0");
}

}  // namespace
}  // namespace nembra::docgen
