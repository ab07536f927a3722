#include <string>
#include <vector>

#include "image/IntelHex.h"

namespace nembra {
namespace {

// TI's converter puts 16 words (32 bytes) in a full record.
constexpr size_t kWordsPerRecord = 16;

void WriteRecord(std::ostream& out, uint16_t address, uint8_t type, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> record{static_cast<uint8_t>(data.size()), static_cast<uint8_t>(address >> 8),
                                static_cast<uint8_t>(address & 0xFF), type};
    record.insert(record.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (uint8_t byte : record) sum += byte;
    record.push_back(static_cast<uint8_t>(0x100 - (sum & 0xFF)));

    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string line(1, ':');
    for (uint8_t byte : record) {
        line.push_back(kDigits[byte >> 4]);
        line.push_back(kDigits[byte & 0x0F]);
    }
    out << line << '\n';
}

void WriteUpperAddress(std::ostream& out, uint16_t upper) {
    WriteRecord(out, 0, 0x04, {static_cast<uint8_t>(upper >> 8), static_cast<uint8_t>(upper & 0xFF)});
}

// Consecutive words from it on, up to a full record, the end of a 64 Ki-word
// page or the next record start; it is left at the first word not taken.
std::vector<uint8_t> TakeRecord(WordMap::const_iterator& it, WordMap::const_iterator end,
                                const std::set<uint32_t>& recordStarts) {
    const uint32_t start = it->first;
    std::vector<uint8_t> data;
    for (uint32_t next = start; it != end && it->first == next; ++it, ++next) {
        if (data.size() == 2 * kWordsPerRecord || (next >> 16) != (start >> 16)) break;
        if (next != start && recordStarts.count(next)) break;
        data.push_back(static_cast<uint8_t>(it->second >> 8));
        data.push_back(static_cast<uint8_t>(it->second & 0xFF));
    }
    return data;
}

}  // namespace

void WriteIntelHex(std::ostream& out, const WordMap& words) { WriteIntelHex(out, words, {}); }

void WriteIntelHex(std::ostream& out, const WordMap& words, const std::set<uint32_t>& recordStarts) {
    bool haveUpper = false;
    uint16_t upper = 0;
    for (auto it = words.begin(); it != words.end();) {
        const uint32_t start = it->first;
        const auto startUpper = static_cast<uint16_t>(start >> 16);
        if (!haveUpper || startUpper != upper) {
            WriteUpperAddress(out, startUpper);
            upper = startUpper;
            haveUpper = true;
        }
        WriteRecord(out, static_cast<uint16_t>(start & 0xFFFF), 0x00, TakeRecord(it, words.end(), recordStarts));
    }
    WriteRecord(out, 0, 0x01, {});
}

}  // namespace nembra
