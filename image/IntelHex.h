#pragma once
#include <cstdint>
#include <map>
#include <ostream>
#include <set>
#include <string>

namespace nembra {

// Words by word address, written as TI's hex converter writes a 16-bit ROM
// image: record addresses are word addresses, each word high byte first, type
// 04 records for the upper address bits, type 01 at the end.
using WordMap = std::map<uint32_t, uint16_t>;

void WriteIntelHex(std::ostream& out, const WordMap& words);
// The same, with a new record begun at each of these addresses as well (TI's
// converter starts every section on a record of its own).
void WriteIntelHex(std::ostream& out, const WordMap& words, const std::set<uint32_t>& recordStarts);

// Parses such a file; false (with a reason) on any malformed record.
bool ReadIntelHex(const std::string& text, WordMap& words, std::string& error);

}  // namespace nembra
