#include "sim/SimCommandTable.h"

#include <array>

namespace nembra {

namespace {

struct Row {
    char letter;
    size_t fieldChars;
    size_t replyBytes;
};

// "O" is the one letter whose length depends on its first field; its row
// gives the shortest form.
constexpr std::array<Row, 25> kRows{{
    {'I', 0, 1}, {'?', 0, 6},  {'J', 0, 16}, {'R', 0, 1}, {'M', 1, 1},  {'N', 1, 1},  {'K', 33, 1},
    {'O', 2, 1}, {'U', 4, 1},  {'X', 4, 1},  {'S', 4, 0}, {'Y', 4, 1},  {'Z', 4, 1},  {'G', 0, 0},
    {'H', 0, 0}, {'i', 0, 0},  {'V', 20, 1}, {'W', 8, 1}, {'P', 32, 1}, {'T', 28, 1}, {'Q', 8, 1},
    {'h', 0, 7}, {'g', 0, 17}, {'l', 2, 10}, {'L', 8, 1},
}};

const Row* FindRow(char letter) {
    for (const Row& row : kRows)
        if (row.letter == letter) return &row;
    return nullptr;
}

bool IsUpperHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

std::string LetterText(char letter) {
    if (letter >= 0x20 && letter < 0x7F) return std::string("'") + letter + "'";
    return "byte " + std::to_string(static_cast<unsigned char>(letter));
}

size_t ExpectedFieldChars(const SimFrame& frame, const Row& row) {
    if (frame.letter != 'O' || frame.fields.size() < 2) return row.fieldChars;
    const std::string op = frame.fields.substr(0, 2);
    if (op == "01") return 6;
    if (op == "02") return 12;
    return 2;
}

}  // namespace

bool FindCommandShape(char letter, SimCommandShape& shape) {
    const Row* row = FindRow(letter);
    if (row == nullptr) return false;
    shape = {row->letter, row->replyBytes};
    return true;
}

std::string CheckFrameShape(const SimFrame& frame) {
    const Row* row = FindRow(frame.letter);
    if (row == nullptr) return "unknown command letter " + LetterText(frame.letter);
    for (char c : frame.fields) {
        if (!IsUpperHex(c))
            return "command " + LetterText(frame.letter) + ": field \"" + frame.fields + "\" is not upper-case hex";
    }
    const size_t expected = ExpectedFieldChars(frame, *row);
    if (frame.fields.size() != expected) {
        return "command " + LetterText(frame.letter) + ": " + std::to_string(frame.fields.size()) +
               " field characters, expected " + std::to_string(expected);
    }
    return {};
}

uint32_t HexField(const std::string& fields, size_t offset, size_t width) {
    uint32_t value = 0;
    for (size_t i = offset; i < offset + width && i < fields.size(); ++i) {
        const char c = fields[i];
        value = (value << 4) | static_cast<uint32_t>(c <= '9' ? c - '0' : c - 'A' + 10);
    }
    return value;
}

}  // namespace nembra
