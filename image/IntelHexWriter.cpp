#include <array>
#include <cstdio>
#include <vector>

#include "image/IntelHex.h"

namespace nembra {
namespace {

// TI's converter puts 16 words (32 bytes) in a full record.
constexpr size_t kWordsPerRecord = 16;

void WriteRecord(std::ostream& out, uint16_t address, uint8_t type, const std::vector<uint8_t>& data) {
    std::array<char, 4> hex{};
    unsigned sum = static_cast<unsigned>(data.size()) + (address >> 8) + (address & 0xFF) + type;
    std::snprintf(hex.data(), hex.size(), "%02X", static_cast<unsigned>(data.size()));
    out << ':' << hex.data();
    std::snprintf(hex.data(), hex.size(), "%02X", static_cast<unsigned>(address >> 8));
    out << hex.data();
    std::snprintf(hex.data(), hex.size(), "%02X", static_cast<unsigned>(address & 0xFF));
    out << hex.data();
    std::snprintf(hex.data(), hex.size(), "%02X", static_cast<unsigned>(type));
    out << hex.data();
    for (uint8_t byte : data) {
        std::snprintf(hex.data(), hex.size(), "%02X", static_cast<unsigned>(byte));
        out << hex.data();
        sum += byte;
    }
    std::snprintf(hex.data(), hex.size(), "%02X", (0x100 - (sum & 0xFF)) & 0xFF);
    out << hex.data() << '\n';
}

void WriteUpperAddress(std::ostream& out, uint16_t upper) {
    WriteRecord(out, 0, 0x04, {static_cast<uint8_t>(upper >> 8), static_cast<uint8_t>(upper & 0xFF)});
}

}  // namespace

void WriteIntelHex(std::ostream& out, const WordMap& words) {
    bool haveUpper = false;
    uint16_t upper = 0;
    auto it = words.begin();
    while (it != words.end()) {
        const uint32_t start = it->first;
        const auto startUpper = static_cast<uint16_t>(start >> 16);
        if (!haveUpper || startUpper != upper) {
            WriteUpperAddress(out, startUpper);
            upper = startUpper;
            haveUpper = true;
        }
        // A record holds consecutive words and never crosses a 64 Ki-word page.
        std::vector<uint8_t> data;
        uint32_t next = start;
        while (it != words.end() && it->first == next && data.size() < 2 * kWordsPerRecord &&
               (next >> 16) == startUpper) {
            data.push_back(static_cast<uint8_t>(it->second >> 8));
            data.push_back(static_cast<uint8_t>(it->second & 0xFF));
            ++it;
            ++next;
        }
        WriteRecord(out, static_cast<uint16_t>(start & 0xFFFF), 0x00, data);
    }
    WriteRecord(out, 0, 0x01, {});
}

}  // namespace nembra
