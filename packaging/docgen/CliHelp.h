#pragma once
#include <string>
#include <vector>

#include "packaging/docgen/HelpSections.h"
#include "packaging/docgen/RoffPage.h"

namespace nembra::docgen {

// The help pages exactly as `nembra-cli --help` and `nembra-cli COMMAND --help`
// print them: the tool's, then one for each command its COMMANDS section names,
// and one for each command under those ("job new").
std::vector<HelpSection> ToolHelp();
std::vector<CommandPage> CommandHelp(const std::vector<HelpSection>& tool);

}  // namespace nembra::docgen
