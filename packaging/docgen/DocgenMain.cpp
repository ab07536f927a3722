// Writes what is generated from nembra-cli's help text at build time:
//   nembra-docgen cli-man OUT DATE SOURCE      the manual page nembra-cli(1)
//   nembra-docgen man TEXT OUT DATE SOURCE     a manual page from a help-layout text file
//   nembra-docgen completion TEMPLATE OUT      the bash completion of nembra-cli
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/ArgumentChecks.h"
#include "packaging/docgen/CliHelp.h"
#include "packaging/docgen/CompletionTable.h"
#include "packaging/docgen/RoffPage.h"

namespace {

using nembra::docgen::HelpSection;

bool ReadFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    text = content.str();
    return static_cast<bool>(in);
}

bool WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    return static_cast<bool>(out);
}

std::string ProgramName(const std::vector<HelpSection>& page) {
    const HelpSection* name = nembra::docgen::FindSection(page, "NAME");
    if (name == nullptr || name->lines.empty()) return {};
    return name->lines.front().substr(0, name->lines.front().find(' '));
}

int Fail(const std::string& message) {
    std::cerr << "nembra-docgen: " << message << "\n";
    return 1;
}

int CliManPage(const std::vector<std::string>& args) {
    auto tool = nembra::docgen::ToolHelp();
    if (tool.empty()) return Fail("nembra-cli printed no help");
    const auto commands = nembra::docgen::CommandHelp(tool);
    tool.push_back({"SEE ALSO", {"nembra(1), nembra-sim(1)"}});
    const std::string page = nembra::docgen::RoffPage({"nembra-cli", args[1], args[2]}, tool, commands);
    return WriteFile(args[0], page) ? 0 : Fail("cannot write " + args[0]);
}

int TextManPage(const std::vector<std::string>& args) {
    std::string text;
    if (!ReadFile(args[0], text)) return Fail("cannot read " + args[0]);
    const auto page = nembra::docgen::SplitSections(text);
    const std::string program = ProgramName(page);
    if (program.empty()) return Fail(args[0] + " has no NAME section");
    const std::string roff = nembra::docgen::RoffPage({program, args[2], args[3]}, page, {});
    return WriteFile(args[1], roff) ? 0 : Fail("cannot write " + args[1]);
}

int Completion(const std::vector<std::string>& args) {
    std::string templateText;
    if (!ReadFile(args[0], templateText)) return Fail("cannot read " + args[0]);
    const auto tool = nembra::docgen::ToolHelp();
    const auto table = nembra::docgen::CompletionTable(tool, nembra::docgen::CommandHelp(tool),
                                                       nembra::docgen::DeviceNames(nembra::cli::DeviceNameList()));
    return WriteFile(args[1], nembra::docgen::FillTemplate(templateText, table)) ? 0 : Fail("cannot write " + args[1]);
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> words(argv + 1, argv + argc);
    const std::string mode = words.empty() ? "" : words.front();
    const std::vector<std::string> args(words.empty() ? words.end() : words.begin() + 1, words.end());
    if (mode == "cli-man" && args.size() == 3) return CliManPage(args);
    if (mode == "man" && args.size() == 4) return TextManPage(args);
    if (mode == "completion" && args.size() == 2) return Completion(args);
    std::cerr << "usage: nembra-docgen cli-man OUT DATE SOURCE | man TEXT OUT DATE SOURCE | completion TEMPLATE OUT\n";
    return 2;
}
