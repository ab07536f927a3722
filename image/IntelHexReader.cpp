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

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool ParseBytes(const std::string& line, std::vector<uint8_t>& bytes, std::string& error) {
    if (line.empty() || line[0] != ':') return error = "record does not start with ':'", false;
    if ((line.size() - 1) % 2 != 0) return error = "odd number of hex digits", false;
    for (size_t i = 1; i < line.size(); i += 2) {
        const int high = HexValue(line[i]);
        const int low = HexValue(line[i + 1]);
        if (high < 0 || low < 0) return error = "not a hex digit", false;
        bytes.push_back(static_cast<uint8_t>(high * 16 + low));
    }
    return true;
}

bool ParseRecord(const std::string& line, Record& record, std::string& error) {
    std::vector<uint8_t> bytes;
    if (!ParseBytes(line, bytes, error)) return false;
    if (bytes.size() < 5) return error = "record too short", false;
    if (bytes.size() != size_t{bytes[0]} + 5) return error = "byte count does not match the record", false;
    unsigned sum = 0;
    for (uint8_t byte : bytes) sum += byte;
    if ((sum & 0xFF) != 0) return error = "checksum mismatch", false;
    record.address = static_cast<uint16_t>((bytes[1] << 8) | bytes[2]);
    record.type = bytes[3];
    record.data.assign(bytes.begin() + 4, bytes.end() - 1);
    return true;
}

bool StoreData(const Record& record, uint16_t upper, WordMap& words, std::string& error) {
    if (record.data.size() % 2 != 0) return error = "data record with an odd byte count", false;
    const size_t count = record.data.size() / 2;
    if (record.address + count > 0x10000) return error = "data record crosses a 64 Ki-word boundary", false;
    for (size_t i = 0; i < count; ++i) {
        const uint32_t address = (uint32_t{upper} << 16) + record.address + static_cast<uint32_t>(i);
        const auto word = static_cast<uint16_t>((record.data[2 * i] << 8) | record.data[2 * i + 1]);
        if (!words.emplace(address, word).second) return error = "word address given twice", false;
    }
    return true;
}

bool ApplyRecord(const Record& record, uint16_t& upper, bool& ended, WordMap& words, std::string& error) {
    switch (record.type) {
        case 0x00: return StoreData(record, upper, words, error);
        case 0x01:
            if (!record.data.empty()) return error = "end record with data", false;
            ended = true;
            return true;
        case 0x04:
            if (record.data.size() != 2 || record.address != 0) return error = "malformed extended address", false;
            upper = static_cast<uint16_t>((record.data[0] << 8) | record.data[1]);
            return true;
        default: return error = "unsupported record type", false;
    }
}

}  // namespace

bool ReadIntelHex(const std::string& text, WordMap& words, std::string& error) {
    WordMap parsed;
    std::istringstream in(text);
    std::string line;
    uint16_t upper = 0;
    bool ended = false;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        std::string reason;
        Record record;
        if (ended) reason = "record after the end record";
        else if (ParseRecord(line, record, reason)) ApplyRecord(record, upper, ended, parsed, reason);
        if (!reason.empty()) {
            error = "line " + std::to_string(number) + ": " + reason;
            return false;
        }
    }
    if (!ended) {
        error = "no end record";
        return false;
    }
    words = std::move(parsed);
    return true;
}

}  // namespace nembra
