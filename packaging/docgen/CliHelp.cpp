#include "packaging/docgen/CliHelp.h"

#include <sstream>

#include "cli/CliMain.h"

namespace nembra::docgen {
namespace {

std::string HelpText(std::vector<std::string> args) {
    args.insert(args.begin(), "nembra-cli");
    args.push_back("--help");
    std::ostringstream out;
    std::ostringstream err;
    cli::RunCli(args, out, err, cli::CliEnvironment{});
    return out.str();
}

}  // namespace

std::vector<HelpSection> ToolHelp() { return SplitSections(HelpText({})); }

std::vector<CommandPage> CommandHelp(const std::vector<HelpSection>& tool) {
    std::vector<CommandPage> pages;
    const HelpSection* commands = FindSection(tool, "COMMANDS");
    if (commands == nullptr) return pages;
    for (const HelpEntry& entry : Entries(*commands)) {
        if (entry.term.empty()) continue;
        pages.push_back({entry.term, SplitSections(HelpText({entry.term}))});
        const HelpSection* under = FindSection(pages.back().page, "COMMANDS");
        if (under == nullptr) continue;
        for (const HelpEntry& sub : Entries(*under))
            if (!sub.term.empty())
                pages.push_back({entry.term + " " + sub.term, SplitSections(HelpText({entry.term, sub.term}))});
    }
    return pages;
}

}  // namespace nembra::docgen
