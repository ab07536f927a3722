#include "packaging/docgen/RoffPage.h"

#include <gtest/gtest.h>

namespace nembra::docgen {
namespace {

TEST(RoffPage, EscapesWhatRoffWouldReadAsMarkup) {
    EXPECT_EQ(RoffText("--sim-target-hex"), "\\-\\-sim\\-target\\-hex");
    EXPECT_EQ(RoffText("C:\\path"), "C:\\epath");
    // A line starting with a dot or a quote would be a request.
    EXPECT_EQ(RoffText(".out files"), "\\&.out files");
    EXPECT_EQ(RoffText("'nembra-cli COMMAND --help' for"), "\\&'nembra\\-cli COMMAND \\-\\-help' for");
}

TEST(RoffPage, SetsOptionNamesBoldAndValueNamesItalic) {
    EXPECT_EQ(RoffTerm("-h,--help"), "\\fB\\-h\\fR, \\fB\\-\\-help\\fR");
    EXPECT_EQ(RoffTerm("--sim[=STATE]"), "\\fB\\-\\-sim\\fR[=\\fISTATE\\fR]");
    EXPECT_EQ(RoffTerm("-o,--output OUT (required)"), "\\fB\\-o\\fR, \\fB\\-\\-output\\fR \\fIOUT\\fR (required)");
    EXPECT_EQ(RoffTerm("pod-write"), "\\fBpod\\-write\\fR");
    EXPECT_EQ(RoffTerm("FILE"), "\\fIFILE\\fR");
}

TEST(RoffPage, PutsEachCommandsPageUnderCommands) {
    const auto tool = SplitSections(
        "NAME\n  tool - does things\n\nCOMMANDS\n  run                     runs\n\n"
        "EXAMPLES\n  tool run\n");
    const auto run = SplitSections(
        "NAME\n  tool run - runs\n\nDESCRIPTION\n  Runs.\n\nEXIT STATUS\n  0  fine\n\n"
        "EXAMPLES\n  tool run now\n");
    const std::string page = RoffPage({"tool", "2026-12-07", "Tool 1.0"}, tool, {{"run", run}});
    EXPECT_NE(page.find(".TH \"TOOL\" 1 \"2026-12-07\" \"Tool 1.0\" \"User Commands\"\n"), std::string::npos);
    const size_t commands = page.find(".SH \"COMMANDS\"");
    const size_t subsection = page.find(".SS \"tool run\"");
    const size_t examples = page.find(".SH \"EXAMPLES\"");
    ASSERT_NE(subsection, std::string::npos);
    EXPECT_LT(commands, subsection);
    EXPECT_LT(subsection, examples);
    EXPECT_NE(page.find("tool run now\n"), std::string::npos);
    // The command's exit status is the tool's, said once.
    EXPECT_EQ(page.find("fine"), std::string::npos);
}

}  // namespace
}  // namespace nembra::docgen
