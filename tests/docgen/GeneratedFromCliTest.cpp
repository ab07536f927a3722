// The manual page and the completion are made from nembra-cli's own help:
// whatever option or command the tool has, they have.
#include <gtest/gtest.h>

#include "cli/ArgumentChecks.h"
#include "packaging/docgen/CliHelp.h"
#include "packaging/docgen/CompletionTable.h"
#include "packaging/docgen/RoffPage.h"

namespace nembra::docgen {
namespace {

struct CliPages : testing::Test {
    std::vector<HelpSection> tool = ToolHelp();
    std::vector<CommandPage> commands = CommandHelp(tool);
};

TEST_F(CliPages, TheManualPageHoldsEveryOptionOfEveryPage) {
    ASSERT_FALSE(commands.empty());
    const std::string page = RoffPage({"nembra-cli", "2026-12-07", "Nembra"}, tool, commands);
    std::vector<const std::vector<HelpSection>*> pages{&tool};
    for (const CommandPage& command : commands) {
        EXPECT_NE(page.find(".SS \"nembra\\-cli " + RoffText(command.name) + "\""), std::string::npos)
            << command.name;
        pages.push_back(&command.page);
    }
    for (const auto* help : pages)
        for (const HelpEntry& entry : Entries(*FindSection(*help, "OPTIONS"))) {
            if (!entry.term.empty()) {
                EXPECT_NE(page.find(RoffTerm(entry.term)), std::string::npos) << entry.term;
            }
        }
}

TEST_F(CliPages, TheCompletionKnowsTheCommandsOptionsAndDevices) {
    const std::string table = CompletionTable(tool, commands, DeviceNames(cli::DeviceNameList()));
    EXPECT_NE(table.find("local commands='inspect export write reset info pod-write pod-verify"), std::string::npos)
        << table;
    EXPECT_NE(table.find("local devices='lf240xa-30 lf240xa-40 f2810 f2811 f2812'"), std::string::npos) << table;
    EXPECT_NE(table.find("[--device]='device'"), std::string::npos);
    EXPECT_NE(table.find("[--trace]='file'"), std::string::npos);
    EXPECT_NE(table.find("[write]='-h --help --erase-all --unlock"), std::string::npos);
    EXPECT_NE(table.find("[pod-verify]='out'"), std::string::npos);
    // --sim takes its state file only as --sim=STATE.
    EXPECT_NE(table.find("local -A attached=([--sim]='file')"), std::string::npos);
    EXPECT_NE(table.find(" --sim --sim= "), std::string::npos);
}

TEST(CompletionTemplate, TheTableReplacesItsMarkerLine) {
    EXPECT_EQ(FillTemplate("a\n@NEMBRA_CLI_TABLE@\nb\n", "    local x=1\n"), "a\n    local x=1\nb\n");
}

}  // namespace
}  // namespace nembra::docgen
