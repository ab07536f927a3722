#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nembra::station {

// How a number becomes words, the word at `address` first:
//   BinaryLowFirst   the number in binary, its low 16 bits first
//   BinaryHighFirst  the number in binary, its high 16 bits first
//   Bcd              packed BCD, four digits a word, the leading digits first
//   Ascii            decimal digits padded with '0' to two a word, the leading
//                    digits first; in each word the first character sits in the
//                    high byte, so a word dump reads as the number does
enum class SerialEncoding { BinaryLowFirst, BinaryHighFirst, Bcd, Ascii };

// The job's [serial] table: where each board's number goes and which
// numbers there are (first, first + step, ... up to last).
struct SerialPlan {
    uint32_t address = 0;  // word address
    uint32_t words = 1;    // 1 to 4
    SerialEncoding encoding = SerialEncoding::BinaryLowFirst;
    uint64_t first = 0;
    uint64_t step = 1;
    uint64_t last = 0;
};

inline constexpr uint32_t kMaxSerialWords = 4;
using SerialWords = std::vector<uint16_t>;

// "binary-low-first", "binary-high-first", "bcd", "ascii".
const char* SerialEncodingName(SerialEncoding encoding);
std::optional<SerialEncoding> ParseSerialEncoding(const std::string& name);

// The largest number `words` words hold in the encoding.
uint64_t LargestSerial(SerialEncoding encoding, uint32_t words);

// Every problem of the plan on its own (width, step, order, range), each a
// full sentence; empty when the plan is sound.
std::vector<std::string> CheckSerialPlan(const SerialPlan& plan);

// How many numbers the plan gives; 0 for an unsound plan.
uint64_t SerialCount(const SerialPlan& plan);
// True when `number` is one the plan gives.
bool InSerialPlan(const SerialPlan& plan, uint64_t number);

// The words that carry `number`, or nothing when it does not fit the width.
std::optional<SerialWords> EncodeSerial(const SerialPlan& plan, uint64_t number);

}  // namespace nembra::station
