#include "cli/ListCommand.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "station/AccessHint.h"
#include "station/JsonText.h"
#include "status/Messages.h"

namespace nembra::cli {
namespace {

std::string LocationText(const station::PodEntry& entry) {
    if (!entry.location) return "-";
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(*entry.location));
    return text;
}

std::string AccessText(OpenFailureCause cause) {
    switch (cause) {
        case OpenFailureCause::None: return "yes";
        case OpenFailureCause::PermissionDenied: return "no: permission denied";
        case OpenFailureCause::HeldByKernelDriver: return "no: held by the kernel's serial driver";
        case OpenFailureCause::HeldByAnotherProgram: return "no: held by another program";
        case OpenFailureCause::Unplugged: return "no: unplugged";
        case OpenFailureCause::Other: break;
    }
    return "no: in use or failed to open";
}

nlohmann::ordered_json EntryJson(const station::PodEntry& entry) {
    nlohmann::ordered_json json = {{"index", entry.index},
                                   {"serial", entry.serial},
                                   {"description", entry.description},
                                   {"backend", entry.backend},
                                   {"location", entry.location ? nlohmann::ordered_json(*entry.location) : nullptr},
                                   {"openable", entry.access == OpenFailureCause::None}};
    if (entry.access != OpenFailureCause::None) json["reason"] = AccessText(entry.access).substr(4);
    const std::string hint = station::AccessHint(entry.access);
    if (!hint.empty()) json["hint"] = hint;
    return json;
}

void PrintTable(const std::vector<station::PodEntry>& entries, std::ostream& out, std::ostream& err) {
    char line[256];
    std::snprintf(line, sizeof line, "%-5s  %-16s  %-20s  %-9s  %-8s  %s\n", "INDEX", "SERIAL", "DESCRIPTION",
                  "BACKEND", "LOCATION", "OPENABLE");
    out << line;
    std::string hints;
    for (const station::PodEntry& entry : entries) {
        std::snprintf(line, sizeof line, "%-5d  %-16s  %-20s  %-9s  %-8s  %s\n", entry.index,
                      entry.serial.empty() ? "-" : entry.serial.c_str(), entry.description.c_str(),
                      entry.backend.c_str(), LocationText(entry).c_str(), AccessText(entry.access).c_str());
        out << line;
        const std::string hint = station::AccessHint(entry.access);
        if (!hint.empty() && hints.find(hint) == std::string::npos) hints += hint + "\n";
    }
    if (entries.empty()) err << "No pod is attached\n";
    err << hints;
}

}  // namespace

ExitStatus RunListCommand(const CliOptions& options, station::PodStation& station, std::ostream& out,
                          std::ostream& err) {
    std::vector<station::PodEntry> entries;
    const bool loaded = station.List(entries, true);
    const std::string loadHint =
        loaded ? std::string() : station::DriverLoadHint(station.LoadFailure(), options.driver);
    if (options.json) {
        nlohmann::ordered_json json = {{"ok", loaded}, {"command", "list"}};
        if (!loaded) json["message"] = messages::kNoDriver;
        if (!loadHint.empty()) json["hint"] = loadHint;
        json["pods"] = nlohmann::ordered_json::array();
        for (const station::PodEntry& entry : entries) json["pods"].push_back(EntryJson(entry));
        out << station::JsonText(json, 2) << "\n";
    } else if (!loaded) {
        err << messages::kNoDriver << "\n";
        if (!loadHint.empty()) err << loadHint << "\n";
    } else {
        PrintTable(entries, out, err);
    }
    out.flush();
    err.flush();
    return loaded ? ExitStatus::Success : ExitStatus::Failed;
}

}  // namespace nembra::cli
