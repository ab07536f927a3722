#include <algorithm>
#include <sstream>
#include <vector>

#include "image/IntelHex.h"

namespace nembra {
namespace {

struct Record {
    uint8_t type = 0;
    uint16_t address = 0;
    std::vector<uint8_t> data;
};

// What went wrong with one record, before the line number is known.
struct Fault {
    HexProblem problem = HexProblem::None;
    const char* reason = "";
    explicit operator bool() const { return problem != HexProblem::None; }
};

constexpr Fault Bad(const char* reason) { return {HexProblem::BadRecord, reason}; }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

Fault ParseBytes(const std::string& line, std::vector<uint8_t>& bytes) {
    if (line.empty() || line[0] != ':') return Bad("record does not start with ':'");
    if ((line.size() - 1) % 2 != 0) return Bad("odd number of hex digits");
    for (size_t i = 1; i < line.size(); i += 2) {
        const int high = HexValue(line[i]);
        const int low = HexValue(line[i + 1]);
        if (high < 0 || low < 0) return Bad("not a hex digit");
        bytes.push_back(static_cast<uint8_t>(high * 16 + low));
    }
    return {};
}

Fault ParseRecord(const std::string& line, Record& record) {
    std::vector<uint8_t> bytes;
    if (Fault f = ParseBytes(line, bytes)) return f;
    if (bytes.size() < 5) return Bad("record too short");
    if (bytes.size() != size_t{bytes[0]} + 5) return Bad("byte count does not match the record");
    unsigned sum = 0;
    for (uint8_t byte : bytes) sum += byte;
    if ((sum & 0xFF) != 0) return {HexProblem::Checksum, "checksum mismatch"};
    record.address = static_cast<uint16_t>((bytes[1] << 8) | bytes[2]);
    record.type = bytes[3];
    record.data.assign(bytes.begin() + 4, bytes.end() - 1);
    return {};
}

// Runs in file order while parsing; a record that continues the last run is
// appended to it, which is how converters write a section.
struct ParseState {
    uint16_t upper = 0;
    bool ended = false;
    uint64_t wordCount = 0;
    uint64_t maxWords = 0;
    std::vector<HexRun> runs;
};

Fault StoreData(const Record& record, ParseState& state) {
    if (record.data.size() % 2 != 0) return Bad("data record with an odd byte count");
    const size_t count = record.data.size() / 2;
    if (record.address + count > 0x10000) return Bad("data record crosses a 64 Ki-word boundary");
    if (count == 0) return {};
    state.wordCount += count;
    if (state.wordCount > state.maxWords) return {HexProblem::TooManyWords, "more words than the image holds"};
    const uint32_t address = (uint32_t{state.upper} << 16) + record.address;
    if (state.runs.empty() || state.runs.back().end() != address) state.runs.push_back({address, {}});
    auto& words = state.runs.back().words;
    for (size_t i = 0; i < count; ++i)
        words.push_back(static_cast<uint16_t>((record.data[2 * i] << 8) | record.data[2 * i + 1]));
    return {};
}

Fault ApplyRecord(const Record& record, ParseState& state) {
    switch (record.type) {
        case 0x00: return StoreData(record, state);
        case 0x01:
            if (!record.data.empty()) return Bad("end record with data");
            state.ended = true;
            return {};
        case 0x04:
            if (record.data.size() != 2 || record.address != 0) return Bad("malformed extended address");
            state.upper = static_cast<uint16_t>((record.data[0] << 8) | record.data[1]);
            return {};
        default: return {HexProblem::RecordType, "unsupported record type"};
    }
}

// Sorts the runs, joins those that meet and finds a word given twice.
bool JoinRuns(std::vector<HexRun>& runs, uint32_t& repeated) {
    // Runs that start at one address overlap whatever their order, so a plain
    // sort is enough.
    std::sort(runs.begin(), runs.end(), [](const HexRun& a, const HexRun& b) { return a.address < b.address; });
    std::vector<HexRun> joined;
    for (HexRun& run : runs) {
        if (!joined.empty() && run.address < joined.back().end()) {
            repeated = run.address;
            return false;
        }
        if (!joined.empty() && joined.back().end() == run.address) {
            auto& words = joined.back().words;
            words.insert(words.end(), run.words.begin(), run.words.end());
        } else {
            joined.push_back(std::move(run));
        }
    }
    runs = std::move(joined);
    return true;
}

}  // namespace

HexParse ParseIntelHex(std::string_view text, uint64_t maxWords) {
    HexParse result;
    ParseState state;
    state.maxWords = maxWords;
    unsigned number = 0;
    while (!text.empty()) {
        ++number;
        const size_t newline = text.find('\n');
        std::string line(text.substr(0, newline));
        text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        Record record;
        Fault fault = state.ended ? Bad("record after the end record") : ParseRecord(line, record);
        if (!fault) fault = ApplyRecord(record, state);
        if (fault) {
            result.problem = fault.problem;
            result.line = number;
            result.reason = fault.reason;
            return result;
        }
    }
    if (!state.ended) {
        result.problem = HexProblem::Truncated;
        result.reason = "no end record";
        return result;
    }
    if (!JoinRuns(state.runs, result.address)) {
        result.problem = HexProblem::Overlap;
        result.reason = "word address given twice";
        return result;
    }
    result.runs = std::move(state.runs);
    return result;
}

HexParse ParseIntelHex(std::istream& in, uint64_t maxWords) {
    std::ostringstream text;
    text << in.rdbuf();
    return ParseIntelHex(text.str(), maxWords);
}

bool ReadIntelHex(const std::string& text, WordMap& words, std::string& error) {
    const HexParse parsed = ParseIntelHex(std::string_view(text));
    if (parsed.problem != HexProblem::None) {
        error = parsed.line ? "line " + std::to_string(parsed.line) + ": " + parsed.reason : parsed.reason;
        return false;
    }
    WordMap result;
    for (const HexRun& run : parsed.runs)
        for (size_t i = 0; i < run.words.size(); ++i)
            result.emplace(run.address + static_cast<uint32_t>(i), run.words[i]);
    words = std::move(result);
    return true;
}

}  // namespace nembra
