#include "image/LoadCoffFile.h"
#include "ops/Operations.h"

namespace nembra {

namespace {

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

uint16_t ParseKeyText(const std::string& raw) {
    const std::string text = Trim(raw);
    if (text.empty()) return 0xFFFF;
    size_t i = 0;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') && i + 2 < text.size() &&
        HexDigitValue(text[i + 2]) >= 0)
        i += 2;
    // Read modulo 2^32: only the low 16 bits are kept, and those are the last
    // four digits whatever the length.
    uint32_t value = 0;
    for (; i < text.size() && HexDigitValue(text[i]) >= 0; ++i)
        value = (value << 4) | static_cast<uint32_t>(HexDigitValue(text[i]));
    if (negative) value = 0u - value;
    return static_cast<uint16_t>(value & 0xFFFF);
}

bool ReadCsmKeys(OperationContext& ctx) {
    uint32_t sum = 0;
    for (int i = 0; i < 8; ++i) {
        const uint16_t word = ctx.job.keys[static_cast<size_t>(i)];
        ctx.session.csmKeyTable[static_cast<size_t>(i)] = word;
        sum += word;
    }
    // An all-zero password would lock the device for good.
    return sum != 0;
}

}  // namespace nembra
