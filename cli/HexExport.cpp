#include "cli/HexExport.h"

#include <cerrno>
#include <cstring>
#include <fstream>

namespace nembra::cli {

WordMap ImageWords(const ProgramImage& image) {
    WordMap words;
    for (const ImageSection& section : image.sections)
        for (uint32_t i = 0; i < section.wordCount; ++i) words[section.address + i] = image.DataWord(section, i);
    return words;
}

bool WriteHexFile(const std::string& path, const WordMap& words, std::string& error) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        error = "Cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    WriteIntelHex(out, words);
    out.flush();
    if (!out) {
        error = "Cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace nembra::cli
