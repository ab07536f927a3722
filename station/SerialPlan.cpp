#include "station/SerialPlan.h"

namespace nembra::station {
namespace {

uint64_t PowerOfTen(uint32_t digits) {
    uint64_t value = 1;
    for (uint32_t i = 0; i < digits; ++i) value *= 10;
    return value;
}

// Decimal digits, most significant first, padded with zeros to `count`.
std::vector<uint8_t> Digits(uint64_t number, uint32_t count) {
    std::vector<uint8_t> digits(count, 0);
    for (uint32_t i = count; i-- > 0;) {
        digits[i] = static_cast<uint8_t>(number % 10);
        number /= 10;
    }
    return digits;
}

SerialWords Binary(uint64_t number, uint32_t words, bool lowFirst) {
    SerialWords out(words);
    for (uint32_t i = 0; i < words; ++i) {
        const auto word = static_cast<uint16_t>(number >> (16 * i));
        out[lowFirst ? i : words - 1 - i] = word;
    }
    return out;
}

SerialWords Bcd(uint64_t number, uint32_t words) {
    const std::vector<uint8_t> digits = Digits(number, 4 * words);
    SerialWords out(words);
    for (uint32_t w = 0; w < words; ++w)
        for (uint32_t d = 0; d < 4; ++d) out[w] = static_cast<uint16_t>((out[w] << 4) | digits[4 * w + d]);
    return out;
}

SerialWords Ascii(uint64_t number, uint32_t words) {
    const std::vector<uint8_t> digits = Digits(number, 2 * words);
    SerialWords out(words);
    for (uint32_t w = 0; w < words; ++w)
        out[w] = static_cast<uint16_t>(((digits[2 * w] + '0') << 8) | (digits[2 * w + 1] + '0'));
    return out;
}

}  // namespace

const char* SerialEncodingName(SerialEncoding encoding) {
    switch (encoding) {
        case SerialEncoding::BinaryLowFirst: return "binary-low-first";
        case SerialEncoding::BinaryHighFirst: return "binary-high-first";
        case SerialEncoding::Bcd: return "bcd";
        case SerialEncoding::Ascii: return "ascii";
    }
    return "binary-low-first";
}

std::optional<SerialEncoding> ParseSerialEncoding(const std::string& name) {
    for (SerialEncoding e :
         {SerialEncoding::BinaryLowFirst, SerialEncoding::BinaryHighFirst, SerialEncoding::Bcd, SerialEncoding::Ascii})
        if (name == SerialEncodingName(e)) return e;
    return std::nullopt;
}

uint64_t LargestSerial(SerialEncoding encoding, uint32_t words) {
    if (words == 0 || words > kMaxSerialWords) return 0;
    switch (encoding) {
        case SerialEncoding::BinaryLowFirst:
        case SerialEncoding::BinaryHighFirst: return words == 4 ? UINT64_MAX : (uint64_t{1} << (16 * words)) - 1;
        case SerialEncoding::Bcd: return PowerOfTen(4 * words) - 1;
        case SerialEncoding::Ascii: return PowerOfTen(2 * words) - 1;
    }
    return 0;
}

std::vector<std::string> CheckSerialPlan(const SerialPlan& plan) {
    std::vector<std::string> problems;
    if (plan.words < 1 || plan.words > kMaxSerialWords) {
        problems.push_back("serial.words is " + std::to_string(plan.words) + "; a serial number takes 1 to 4 words");
        return problems;
    }
    if (uint64_t{plan.address} + plan.words - 1 > 0x3FFFFF)
        problems.push_back("serial.address runs past the top of the 22-bit address space");
    if (plan.step == 0) problems.push_back("serial.step must be at least 1");
    if (plan.first > plan.last)
        problems.push_back("serial.first (" + std::to_string(plan.first) + ") is above serial.last (" +
                           std::to_string(plan.last) + ")");
    const uint64_t largest = LargestSerial(plan.encoding, plan.words);
    if (plan.last > largest)
        problems.push_back("serial.last (" + std::to_string(plan.last) + ") does not fit " +
                           std::to_string(plan.words) + " word(s) of " + SerialEncodingName(plan.encoding) +
                           "; the largest is " + std::to_string(largest));
    return problems;
}

uint64_t SerialCount(const SerialPlan& plan) {
    if (!CheckSerialPlan(plan).empty()) return 0;
    return (plan.last - plan.first) / plan.step + 1;
}

bool InSerialPlan(const SerialPlan& plan, uint64_t number) {
    return SerialCount(plan) > 0 && number >= plan.first && number <= plan.last &&
           (number - plan.first) % plan.step == 0;
}

std::optional<SerialWords> EncodeSerial(const SerialPlan& plan, uint64_t number) {
    if (plan.words < 1 || plan.words > kMaxSerialWords || number > LargestSerial(plan.encoding, plan.words))
        return std::nullopt;
    switch (plan.encoding) {
        case SerialEncoding::BinaryLowFirst: return Binary(number, plan.words, true);
        case SerialEncoding::BinaryHighFirst: return Binary(number, plan.words, false);
        case SerialEncoding::Bcd: return Bcd(number, plan.words);
        case SerialEncoding::Ascii: return Ascii(number, plan.words);
    }
    return std::nullopt;
}

}  // namespace nembra::station
