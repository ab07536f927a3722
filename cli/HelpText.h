#pragma once
#include <string>

#include "NembraVersion.h"

namespace nembra::cli {

// The man-page sections of one help page (the tool's or a command's).
struct HelpPage {
    std::string summary;      // NAME: the one line after the dash
    std::string synopsis;     // SYNOPSIS
    std::string description;  // DESCRIPTION
    std::string examples;     // EXAMPLES
};

inline constexpr const char* kToolName = "nembra-cli";
inline constexpr const char* kVersionText = "nembra-cli " NEMBRA_VERSION;

// The page of the tool ("") or of a command ("write", "pod-verify", ...).
const HelpPage& HelpPageFor(const std::string& commandName);
// EXIT STATUS, the same for every page.
const char* ExitStatusText();

}  // namespace nembra::cli
