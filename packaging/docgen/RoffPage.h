#pragma once
#include <string>
#include <vector>

#include "packaging/docgen/HelpSections.h"

namespace nembra::docgen {

// What the .TH line of a manual page says.
struct ManHeader {
    std::string program;  // "nembra-cli"
    std::string date;     // "2026-12-07"
    std::string source;   // "Nembra 1.5"
};

// A command's own help page, shown as a subsection of the tool's COMMANDS.
struct CommandPage {
    std::string name;
    std::vector<HelpSection> page;
};

// A section-1 manual page in man(7) markup from a help page laid out as
// nembra-cli --help prints it; the commands' pages go under COMMANDS.
std::string RoffPage(const ManHeader& header, const std::vector<HelpSection>& page,
                     const std::vector<CommandPage>& commands);

// Text safe to stand in a roff line: backslashes and hyphens escaped, a
// leading control character neutralised.
std::string RoffText(const std::string& text);
// "--sim[=STATE]" as bold option names and italic value names.
std::string RoffTerm(const std::string& term);

}  // namespace nembra::docgen
