#include "packaging/docgen/CompletionTable.h"

#include <map>
#include <sstream>

namespace nembra::docgen {
namespace {

const char* kIndent = "    ";

// What a value named DEV, FILE, OUT, ... is completed with. CLI11 shows a
// value limited to a set as NAME:{a,b}; those words are offered.
std::string ValueKind(const std::string& valueName) {
    const size_t set = valueName.find(":{");
    if (set != std::string::npos && valueName.back() == '}') {
        std::string words = valueName.substr(set + 2, valueName.size() - set - 3);
        for (char& c : words)
            if (c == ',') c = ' ';
        return "words:" + words;
    }
    if (valueName == "DEV") return "device";
    static const char* kFileNames[] = {"FILE", "OUT", "STATE", "DIR", "PATH"};
    for (const char* name : kFileNames) {
        const std::string suffix(name);
        if (valueName.size() >= suffix.size() &&
            valueName.compare(valueName.size() - suffix.size(), suffix.size(), suffix) == 0)
            return "file";
    }
    return "text";
}

struct OptionTerm {
    std::vector<std::string> names;  // "-o", "--output"
    std::string value;               // "OUT", or "" for a flag
    bool attachedOnly = false;       // "--sim[=STATE]"
};

OptionTerm ReadOptionTerm(const std::string& term) {
    OptionTerm option;
    std::istringstream words(term);
    std::string spelled;
    words >> spelled;
    const size_t bracket = spelled.find("[=");
    if (bracket != std::string::npos) {
        option.value = spelled.substr(bracket + 2, spelled.find(']') - bracket - 2);
        option.attachedOnly = true;
        spelled.resize(bracket);
    }
    std::istringstream names(spelled);
    for (std::string name; std::getline(names, name, ',');) option.names.push_back(name);
    std::string value;
    if (!option.attachedOnly && words >> value && value.front() != '(') option.value = value;
    return option;
}

struct Table {
    std::string words;  // the options, for compgen
    std::map<std::string, std::string> values;
    std::map<std::string, std::string> attached;
};

void AddOptions(const std::vector<HelpSection>& page, Table& table) {
    const HelpSection* section = FindSection(page, "OPTIONS");
    if (section == nullptr) return;
    for (const HelpEntry& entry : Entries(*section)) {
        if (entry.term.empty() || entry.term.front() != '-') continue;
        const OptionTerm option = ReadOptionTerm(entry.term);
        for (const std::string& name : option.names) {
            table.words += (table.words.empty() ? "" : " ") + name;
            if (option.value.empty()) continue;
            if (option.attachedOnly) {
                table.words += " " + name + "=";
                table.attached[name] = ValueKind(option.value);
            } else {
                table.values[name] = ValueKind(option.value);
            }
        }
    }
}

std::string ArgumentKind(const std::vector<HelpSection>& page) {
    const HelpSection* section = FindSection(page, "ARGUMENTS");
    if (section == nullptr) return {};
    for (const HelpEntry& entry : Entries(*section))
        if (!entry.term.empty()) return entry.term == "FILE" ? "out" : "file";
    return {};
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

std::string AssociativeArray(const std::string& name, const std::map<std::string, std::string>& entries) {
    std::string out = std::string(kIndent) + "local -A " + name + "=(";
    for (const auto& [key, value] : entries)
        out += (key.find(' ') == std::string::npos ? "[" + key + "]=" : "[\"" + key + "\"]=") + Quoted(value) + " ";
    if (!entries.empty()) out.pop_back();
    return out + ")\n";
}

std::string Joined(const std::vector<std::string>& words) {
    std::string out;
    for (const std::string& word : words) out += (out.empty() ? "" : " ") + word;
    return out;
}

}  // namespace

std::vector<std::string> DeviceNames(const std::string& list) {
    std::vector<std::string> names;
    std::istringstream items(list.substr(0, list.find(" (")));
    for (std::string item; std::getline(items, item, ',');) {
        const size_t first = item.find_first_not_of(' ');
        if (first != std::string::npos) names.push_back(item.substr(first));
    }
    return names;
}

std::string CompletionTable(const std::vector<HelpSection>& tool, const std::vector<CommandPage>& commands,
                            const std::vector<std::string>& devices) {
    Table global;
    AddOptions(tool, global);
    std::vector<std::string> names;
    std::map<std::string, std::string> commandOptions;
    std::map<std::string, std::string> arguments;
    std::map<std::string, std::string> subcommands;
    for (const CommandPage& command : commands) {
        const size_t space = command.name.find(' ');
        if (space == std::string::npos) {
            names.push_back(command.name);
        } else {
            std::string& under = subcommands[command.name.substr(0, space)];
            under += (under.empty() ? "" : " ") + command.name.substr(space + 1);
        }
        Table own;
        AddOptions(command.page, own);
        commandOptions[command.name] = own.words;
        global.values.insert(own.values.begin(), own.values.end());
        global.attached.insert(own.attached.begin(), own.attached.end());
        const std::string kind = ArgumentKind(command.page);
        if (!kind.empty()) arguments[command.name] = kind;
    }
    std::string out;
    out += std::string(kIndent) + "local commands=" + Quoted(Joined(names)) + "\n";
    out += std::string(kIndent) + "local devices=" + Quoted(Joined(devices)) + "\n";
    out += std::string(kIndent) + "local global_options=" + Quoted(global.words) + "\n";
    out += AssociativeArray("options", commandOptions);
    out += AssociativeArray("values", global.values);
    out += AssociativeArray("attached", global.attached);
    out += AssociativeArray("arguments", arguments);
    out += AssociativeArray("subcommands", subcommands);
    return out;
}

std::string FillTemplate(const std::string& templateText, const std::string& table) {
    std::istringstream lines(templateText);
    std::string out;
    for (std::string line; std::getline(lines, line);) out += line == "@NEMBRA_CLI_TABLE@" ? table : line + "\n";
    return out;
}

}  // namespace nembra::docgen
