#pragma once
#include <string>
#include <vector>

namespace nembra::docgen {

// One section of a help page as nembra-cli prints it: a title at the left
// margin ("OPTIONS") and the indented lines under it.
struct HelpSection {
    std::string title;
    std::vector<std::string> lines;  // without the two-space indent; "" for a blank line
};

// One item of a list section: "--device DEV" and what it does. An item with
// an empty term is a plain sentence that stands among the items.
struct HelpEntry {
    std::string term;
    std::string description;
};

std::vector<HelpSection> SplitSections(const std::string& text);
// The section with this title, or nullptr.
const HelpSection* FindSection(const std::vector<HelpSection>& page, const std::string& title);
// Whether the section lists terms with descriptions (OPTIONS, EXIT STATUS, ...).
bool IsEntryList(const HelpSection& section);
std::vector<HelpEntry> Entries(const HelpSection& section);
// The text after " - " of the NAME line.
std::string Summary(const std::vector<HelpSection>& page);

}  // namespace nembra::docgen
