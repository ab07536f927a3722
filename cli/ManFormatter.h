#pragma once
#include <CLI/CLI.hpp>

namespace nembra::cli {

// Lays a help page out like a manual page: NAME, SYNOPSIS, DESCRIPTION,
// ARGUMENTS, OPTIONS, COMMANDS, EXIT STATUS, EXAMPLES.
class ManFormatter : public CLI::Formatter {
public:
    ManFormatter();
    std::string make_help(const CLI::App* app, std::string name, CLI::AppFormatMode mode) const override;
    std::string make_group(std::string group, bool isPositional, std::vector<const CLI::Option*> opts) const override;
    // "--sim[=STATE]" rather than the flag's declaration "--sim{}".
    std::string make_option_name(const CLI::Option* opt, bool isPositional) const override;
    std::string make_option_opts(const CLI::Option* opt) const override;
};

}  // namespace nembra::cli
