#include "pod/ProtocolTrace.h"

namespace nembra {

namespace {

constexpr uint8_t kStx = 0x02;
constexpr uint8_t kEtx = 0x03;

void AppendHex(std::string& out, uint8_t byte) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    out += "\\x";
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0x0F];
}

// Event texts come from the link itself, but a stray line break would split
// one event over two lines and make the trace unreadable by line.
std::string OneLine(const std::string& text) {
    std::string line = text;
    for (char& c : line) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return line;
}

}  // namespace

std::string ProtocolTrace::EncodeBytes(const uint8_t* bytes, size_t count) {
    std::string out;
    out.reserve(count * 2);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t b = bytes[i];
        if (b == kStx) {
            out += "<STX>";
        } else if (b == kEtx) {
            out += "<ETX>";
        } else if (b >= 0x21 && b <= 0x7E && b != '<' && b != '\\') {
            out += static_cast<char>(b);
        } else {
            AppendHex(out, b);
        }
    }
    return out;
}

// Each line is flushed at once: a trace is most wanted after a crashed run.
void ProtocolTrace::OnWrite(const uint8_t* bytes, size_t count) {
    out_ << "> " << EncodeBytes(bytes, count) << '\n' << std::flush;
}

void ProtocolTrace::OnRead(const uint8_t* bytes, size_t count) {
    out_ << "< " << EncodeBytes(bytes, count) << '\n' << std::flush;
}

void ProtocolTrace::OnEvent(const std::string& text) { out_ << "# " << OneLine(text) << '\n' << std::flush; }

}  // namespace nembra
