// The manual page and the completion are made from nembra-cli's own help:
// whatever option or command the tool has, they have.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <set>
#include <sstream>

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
        EXPECT_NE(page.find(".SS \"nembra\\-cli " + RoffText(command.name) + "\""), std::string::npos) << command.name;
        pages.push_back(&command.page);
    }
    for (const auto* help : pages)
        for (const HelpEntry& entry : Entries(*FindSection(*help, "OPTIONS"))) {
            if (!entry.term.empty()) {
                EXPECT_NE(page.find(RoffTerm(entry.term)), std::string::npos) << entry.term;
            }
        }
}

// The words of the table's quoted value after `start` ("local commands='").
std::set<std::string> Words(const std::string& table, const std::string& start) {
    const size_t begin = table.find(start);
    if (begin == std::string::npos) return {};
    const size_t from = begin + start.size();
    std::istringstream words(table.substr(from, table.find('\'', from) - from));
    return {std::istream_iterator<std::string>(words), std::istream_iterator<std::string>()};
}

// Other engineers' commands and options may stand between these.
bool HasAll(const std::set<std::string>& words, const std::set<std::string>& wanted) {
    return std::includes(words.begin(), words.end(), wanted.begin(), wanted.end());
}

TEST_F(CliPages, TheCompletionKnowsTheCommandsOptionsAndDevices) {
    const std::string table = CompletionTable(tool, commands, DeviceNames(cli::DeviceNameList()));
    EXPECT_TRUE(HasAll(Words(table, "local commands='"),
                       {"inspect", "export", "write", "reset", "info", "pod-write", "pod-verify"}))
        << table;
    EXPECT_EQ(Words(table, "local devices='"),
              (std::set<std::string>{"lf240xa-30", "lf240xa-40", "f2810", "f2811", "f2812"}));
    EXPECT_TRUE(HasAll(Words(table, "local global_options='"), {"--device", "--sim", "--sim=", "--json", "--help"}));
    EXPECT_TRUE(HasAll(Words(table, "[write]='"), {"--help", "--erase-all", "--unlock"}));
    EXPECT_TRUE(HasAll(Words(table, "[export]='"), {"-o", "--output"}));
    EXPECT_NE(table.find("[--device]='device'"), std::string::npos);
    EXPECT_NE(table.find("[--trace]='file'"), std::string::npos);
    EXPECT_NE(table.find("[--name]='text'"), std::string::npos);
    EXPECT_NE(table.find("[pod-verify]='out'"), std::string::npos);
    // --sim takes its state file only as --sim=STATE, never as the next word.
    EXPECT_NE(table.find("attached=([--sim]='file'"), std::string::npos);
    EXPECT_EQ(table.find("[--sim]='file'"), table.rfind("[--sim]='file'"));
}

// "job new" has options of its own; they must reach the manual page and the
// completion like those of any other command.
TEST_F(CliPages, CommandsUnderACommandHaveTheirOwnPages) {
    const auto jobNew = std::find_if(commands.begin(), commands.end(),
                                     [](const CommandPage& command) { return command.name == "job new"; });
    ASSERT_NE(jobNew, commands.end());
    EXPECT_EQ(Summary(jobNew->page), "write a job file from the options the commands take");
    const std::string table = CompletionTable(tool, commands, DeviceNames(cli::DeviceNameList()));
    EXPECT_TRUE(HasAll(Words(table, "[\"job new\"]='"), {"--program", "--serial-first", "--store", "--force"}))
        << table;
    EXPECT_NE(table.find("local -A subcommands=([job]='check new')"), std::string::npos) << table;
    EXPECT_EQ(Words(table, "local commands='").count("job new"), 0u);
}

TEST_F(CliPages, TheDriverChoicesAreCompletedByName) {
    const std::string table = CompletionTable(tool, commands, DeviceNames(cli::DeviceNameList()));
    EXPECT_NE(table.find("[--driver]='words:auto libftd2xx libftdi1'"), std::string::npos) << table;
}

}  // namespace
}  // namespace nembra::docgen
