#include "packaging/docgen/RoffPage.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace nembra::docgen {
namespace {

std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
    }
    return out;
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

bool IsValueName(const std::string& word) {
    return !word.empty() && std::all_of(word.begin(), word.end(),
                                        [](unsigned char c) { return std::isupper(c) || std::isdigit(c) || c == '_'; });
}

// "--sim[=STATE]" → bold "--sim", then "[=" italic "STATE" "]".
std::string OptionName(const std::string& name) {
    const size_t cut = name.find_first_of("[=");
    std::string out = "\\fB" + Escaped(name.substr(0, cut)) + "\\fR";
    if (cut == std::string::npos) return out;
    std::string rest = name.substr(cut);
    const size_t value = rest.find_first_not_of("[=");
    const size_t end = rest.find(']');
    if (value == std::string::npos) return out + Escaped(rest);
    return out + Escaped(rest.substr(0, value)) + "\\fI" + Escaped(rest.substr(value, end - value)) + "\\fR" +
           (end == std::string::npos ? "" : Escaped(rest.substr(end)));
}

std::string Paragraphs(const std::vector<std::string>& lines) {
    std::string out = ".PP\n";
    bool blank = false;
    for (const std::string& line : lines) {
        if (line.empty()) {
            blank = true;
            continue;
        }
        if (blank) out += ".PP\n";
        blank = false;
        out += RoffText(line) + "\n";
    }
    return out;
}

std::string Preformatted(const std::vector<std::string>& lines) {
    std::string out = ".PP\n.RS 4\n.nf\n";
    for (const std::string& line : lines) out += RoffText(line) + "\n";
    return out + ".fi\n.RE\n";
}

std::string EntryList(const HelpSection& section) {
    std::string out;
    for (const HelpEntry& entry : Entries(section)) {
        if (entry.term.empty())
            out += ".PP\n" + RoffText(entry.description) + "\n";
        else
            out += ".TP\n" + RoffTerm(entry.term) + "\n" + RoffText(entry.description) + "\n";
    }
    return out;
}

std::string Body(const HelpSection& section) {
    if (section.title == "EXAMPLES") return Preformatted(section.lines);
    if (IsEntryList(section)) return EntryList(section);
    return Paragraphs(section.lines);
}

// A command's page under the tool's: its NAME is the subsection's title and
// its EXIT STATUS is the tool's, so both are left out.
std::string CommandSubsection(const std::string& tool, const CommandPage& command) {
    std::string out = ".SS \"" + Escaped(tool + " " + command.name) + "\"\n";
    out += RoffText(Summary(command.page)) + ".\n";
    for (const HelpSection& section : command.page) {
        if (section.title == "NAME" || section.title == "EXIT STATUS") continue;
        if (section.title != "DESCRIPTION") out += ".PP\n\\fI" + Escaped(section.title) + "\\fR\n";
        out += Body(section);
    }
    return out;
}

}  // namespace

std::string RoffText(const std::string& text) {
    const std::string out = Escaped(text);
    return !out.empty() && (out.front() == '.' || out.front() == '\'') ? "\\&" + out : out;
}

std::string RoffTerm(const std::string& term) {
    std::istringstream words(term);
    std::string word;
    std::string out;
    for (bool first = true; words >> word; first = false) {
        if (!out.empty()) out += " ";
        if (first && word.front() == '-') {
            std::istringstream names(word);
            std::string name;
            for (bool one = true; std::getline(names, name, ','); one = false)
                out += (one ? "" : ", ") + OptionName(name);
        } else if (IsValueName(word) && !std::isdigit(static_cast<unsigned char>(word.front()))) {
            out += "\\fI" + Escaped(word) + "\\fR";
        } else {
            out += first ? "\\fB" + Escaped(word) + "\\fR" : Escaped(word);
        }
    }
    return out;
}

std::string RoffPage(const ManHeader& header, const std::vector<HelpSection>& page,
                     const std::vector<CommandPage>& commands) {
    std::string out = ".\\\" Generated from the program's help text; edit that, not this file.\n";
    out += ".TH \"" + Escaped(Upper(header.program)) + "\" 1 \"" + header.date + "\" \"" + Escaped(header.source) +
           "\" \"User Commands\"\n.nh\n.ad l\n";
    for (const HelpSection& section : page) {
        out += ".SH \"" + Escaped(section.title) + "\"\n";
        if (section.title == "NAME") {
            for (const std::string& line : section.lines) out += RoffText(line) + "\n";
            continue;
        }
        out += Body(section);
        if (section.title == "COMMANDS")
            for (const CommandPage& command : commands) out += CommandSubsection(header.program, command);
    }
    return out;
}

}  // namespace nembra::docgen
