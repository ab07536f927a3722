#pragma once
#include <cstdint>
#include <istream>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace nembra {

// Words by word address, written as TI's hex converter writes a 16-bit ROM
// image: record addresses are word addresses, each word high byte first, type
// 04 records for the upper address bits, type 01 at the end.
using WordMap = std::map<uint32_t, uint16_t>;

void WriteIntelHex(std::ostream& out, const WordMap& words);
// The same, with a new record begun at each of these addresses as well (TI's
// converter starts every section on a record of its own).
void WriteIntelHex(std::ostream& out, const WordMap& words, const std::set<uint32_t>& recordStarts);

// Consecutive words of a parsed file, in address order.
struct HexRun {
    uint32_t address = 0;
    std::vector<uint16_t> words;
    uint64_t end() const { return uint64_t{address} + words.size(); }
};

enum class HexProblem {
    None,
    BadRecord,  // not ':' and hex digit pairs, a wrong byte count, an odd data length
    Checksum,
    RecordType,    // a type other than 00, 01 and 04
    Truncated,     // no end record
    Overlap,       // a word address given twice
    TooManyWords,  // more words than the caller allows
};

struct HexParse {
    HexProblem problem = HexProblem::None;
    unsigned line = 0;         // where a record problem was found
    uint32_t address = 0;      // the word given twice, for Overlap
    std::string reason;        // a short description of a record problem
    std::vector<HexRun> runs;  // only when problem is None
};

// Parses such a file line by line; at most maxWords words are taken.
HexParse ParseIntelHex(std::string_view text, uint64_t maxWords = UINT64_MAX);
HexParse ParseIntelHex(std::istream& in, uint64_t maxWords = UINT64_MAX);

// Parses such a file; false (with a reason) on any malformed record.
bool ReadIntelHex(const std::string& text, WordMap& words, std::string& error);

}  // namespace nembra
