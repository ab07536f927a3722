#pragma once
#include <string>
#include <vector>

#include "packaging/docgen/HelpSections.h"
#include "packaging/docgen/RoffPage.h"

namespace nembra::docgen {

// The bash declarations the completion function of nembra-cli works from,
// read off the tool's and the commands' help pages:
//   commands, devices, global_options   words
//   options[COMMAND]                    the command's own options
//   values[OPTION]                      what follows it: device, file, text or words:A B
//   attached[OPTION]                    the same for a value written OPTION=VALUE
//   arguments[COMMAND]                  its argument: out (a .out file) or file
//   subcommands[COMMAND]                the commands under it ("check new" of "job");
//                                       theirs are keyed "job new"
std::string CompletionTable(const std::vector<HelpSection>& tool, const std::vector<CommandPage>& commands,
                            const std::vector<std::string>& devices);

// "lf240xa-30, f2812 (or 0-4)" → the names.
std::vector<std::string> DeviceNames(const std::string& list);

// The template with its line "@NEMBRA_CLI_TABLE@" replaced by the table.
std::string FillTemplate(const std::string& templateText, const std::string& table);

}  // namespace nembra::docgen
