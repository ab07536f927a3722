#include "image/ProgramFormat.h"

#include <fstream>

namespace nembra {

ProgramFormat ProgramFormatOf(const std::string& head) {
    if (head.compare(0, 4,
                     "\x7F"
                     "ELF") == 0)
        return ProgramFormat::Elf;
    // COFF files begin with a binary version or target id, never with text.
    for (char c : head) {
        if (c == ':') return ProgramFormat::IntelHex;
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') break;
    }
    return ProgramFormat::Coff;
}

ProgramFormat ProgramFormatOfFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string head(64, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(in.gcount()));
    return ProgramFormatOf(head);
}

}  // namespace nembra
