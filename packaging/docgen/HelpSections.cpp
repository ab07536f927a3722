#include "packaging/docgen/HelpSections.h"

#include <algorithm>
#include <array>
#include <sstream>

#include "image/LoadCoffFile.h"

namespace nembra::docgen {
namespace {

bool IsTitle(const std::string& line) {
    return !line.empty() && line.front() != ' ' &&
           std::none_of(line.begin(), line.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

// CLI11 puts a description that does not fit beside its term on the next
// line, indented to the description column.
bool IsContinuation(const std::string& line) { return line.size() > 4 && line.compare(0, 4, "    ") == 0; }

}  // namespace

std::vector<HelpSection> SplitSections(const std::string& text) {
    std::vector<HelpSection> page;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (IsTitle(line)) {
            page.push_back({line, {}});
        } else if (!page.empty()) {
            page.back().lines.push_back(line.compare(0, 2, "  ") == 0 ? line.substr(2) : Trim(line));
        }
    }
    for (HelpSection& section : page)
        while (!section.lines.empty() && Trim(section.lines.back()).empty()) section.lines.pop_back();
    return page;
}

const HelpSection* FindSection(const std::vector<HelpSection>& page, const std::string& title) {
    const auto found = std::find_if(page.begin(), page.end(), [&](const HelpSection& s) { return s.title == title; });
    return found == page.end() ? nullptr : &*found;
}

bool IsEntryList(const HelpSection& section) {
    static const std::array<const char*, 6> kLists = {"ARGUMENTS",   "OPTIONS", "COMMANDS",
                                                      "EXIT STATUS", "FILES",   "ENVIRONMENT"};
    if (std::find(kLists.begin(), kLists.end(), section.title) != kLists.end()) return true;
    const auto first =
        std::find_if(section.lines.begin(), section.lines.end(), [](const std::string& l) { return !l.empty(); });
    return first != section.lines.end() && first->front() == '-';
}

std::vector<HelpEntry> Entries(const HelpSection& section) {
    std::vector<HelpEntry> entries;
    const auto& lines = section.lines;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (Trim(lines[i]).empty()) continue;
        if (IsContinuation(lines[i])) {
            if (!entries.empty()) entries.back().description += " " + Trim(lines[i]);
            continue;
        }
        const size_t gap = lines[i].find("  ");
        if (gap != std::string::npos) {
            entries.push_back({lines[i].substr(0, gap), Trim(lines[i].substr(gap))});
        } else if (i + 1 < lines.size() && IsContinuation(lines[i + 1])) {
            entries.push_back({lines[i], ""});
        } else {
            entries.push_back({"", lines[i]});
        }
    }
    for (HelpEntry& e : entries)
        if (!e.description.empty() && e.description.front() == ' ') e.description.erase(0, 1);
    return entries;
}

std::string Summary(const std::vector<HelpSection>& page) {
    const HelpSection* name = FindSection(page, "NAME");
    if (name == nullptr || name->lines.empty()) return {};
    const size_t dash = name->lines.front().find(" - ");
    return dash == std::string::npos ? name->lines.front() : name->lines.front().substr(dash + 3);
}

}  // namespace nembra::docgen
