#include "cli/ManFormatter.h"

#include <sstream>

#include "cli/HelpText.h"

namespace nembra::cli {
namespace {

std::string Indented(const std::string& text) {
    std::istringstream lines(text);
    std::string line;
    std::string out;
    while (std::getline(lines, line)) out += line.empty() ? "\n" : "  " + line + "\n";
    return out;
}

std::string Section(const std::string& title, const std::string& body) {
    return title + "\n" + body + (body.empty() || body.back() == '\n' ? "" : "\n");
}

// "job new" for a command under "job": the name its help page goes by.
std::string CommandPath(const CLI::App* app) {
    std::string path = app->get_name();
    for (const CLI::App* parent = app->get_parent(); parent != nullptr && parent->get_parent() != nullptr;
         parent = parent->get_parent())
        path = parent->get_name() + " " + path;
    return path;
}

std::string CommandList(const CLI::App* app, size_t width) {
    const auto commands = app->get_subcommands({});
    if (commands.empty()) return {};
    std::ostringstream out;
    out << "\nCOMMANDS\n";
    for (const CLI::App* command : commands)
        CLI::detail::format_help(out, command->get_name(), command->get_description(), width);
    return out.str();
}

}  // namespace

ManFormatter::ManFormatter() {
    label("Positionals", "ARGUMENTS");
    label("REQUIRED", "(required)");
    column_width(26);
}

std::string ManFormatter::make_group(std::string group, bool isPositional, std::vector<const CLI::Option*> opts) const {
    std::string out = "\n" + group + "\n";
    for (const CLI::Option* opt : opts) out += make_option(opt, isPositional);
    return out;
}

std::string ManFormatter::make_option_name(const CLI::Option* opt, bool isPositional) const {
    std::string name = CLI::Formatter::make_option_name(opt, isPositional);
    const size_t brace = name.find('{');
    if (brace != std::string::npos) name = name.substr(0, brace) + "[=STATE]";
    return name;
}

std::string ManFormatter::make_option_opts(const CLI::Option* opt) const {
    // Positionals are named by themselves; "(required)" says nothing new there.
    if (opt->get_positional()) return {};
    return CLI::Formatter::make_option_opts(opt);
}

std::string ManFormatter::make_help(const CLI::App* app, std::string name, CLI::AppFormatMode mode) const {
    if (mode == CLI::AppFormatMode::Sub) return make_expanded(app);
    const bool isTool = app->get_parent() == nullptr;
    const HelpPage& page = HelpPageFor(isTool ? "" : CommandPath(app));
    const std::string title = isTool ? kToolName : std::string(kToolName) + " " + CommandPath(app);
    std::string out;
    out += Section("NAME", "  " + title + " - " + page.summary);
    out += "\n" + Section("SYNOPSIS", "  " + page.synopsis);
    out += "\n" + Section("DESCRIPTION", Indented(page.description));
    out += make_positionals(app);
    out += make_groups(app, mode);
    out += CommandList(app, get_column_width());
    if (!isTool) out += "\n  The global options (--device, --sim, --trace, --json, ...) are in 'nembra-cli --help'.\n";
    out += "\n" + Section("EXIT STATUS", ExitStatusText());
    out += "\n" + Section("EXAMPLES", page.examples);
    (void)name;
    return out;
}

}  // namespace nembra::cli
