#include "image/ImageWords.h"

namespace nembra {

WordMap ImageWords(const ProgramImage& image) {
    WordMap words;
    for (const auto& section : image.sections)
        for (uint32_t i = 0; i < section.wordCount; ++i) words[section.address + i] = image.DataWord(section, i);
    return words;
}

std::set<uint32_t> SectionStarts(const ProgramImage& image) {
    std::set<uint32_t> starts;
    for (const auto& section : image.sections) starts.insert(section.address);
    return starts;
}

}  // namespace nembra
