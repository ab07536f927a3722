#pragma once
#include <cstdint>
#include <map>
#include <ostream>
#include <string>

namespace nembra {

// Words by word address, written as TI's hex converter writes a 16-bit ROM
// image: record addresses are word addresses, each word high byte first, type
// 04 records for the upper address bits, type 01 at the end.
using WordMap = std::map<uint32_t, uint16_t>;

void WriteIntelHex(std::ostream& out, const WordMap& words);

// Parses such a file; false (with a reason) on any malformed record.
bool ReadIntelHex(const std::string& text, WordMap& words, std::string& error);

}  // namespace nembra
