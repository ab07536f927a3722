#pragma once
#include <string>
#include <vector>

#include "image/CoffReader.h"
#include "image/ProgramImage.h"
#include "tests/support/CoffBuilder.h"

namespace nembra::testing {

// One test's folder and image; Read builds, writes and reads a COFF file.
struct CoffFixture {
    TempDir dir;
    ProgramImage image;

    CoffResult Read(const CoffFilePlan& coff, DeviceType type = 4) {
        return ReadCoffFile(dir.Write("t.out", BuildCoff(coff)), type, image);
    }
    CoffResult ReadBytes(const std::vector<uint8_t>& bytes, DeviceType type = 4) {
        return ReadCoffFile(dir.Write("t.out", bytes), type, image);
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& s : image.sections) names.push_back(s.name);
        return names;
    }
    std::vector<uint16_t> Words(const ImageSection& section) const {
        std::vector<uint16_t> words;
        for (uint32_t i = 0; i < section.wordCount; ++i) words.push_back(image.DataWord(section, i));
        return words;
    }
};

inline CoffSectionPlan Section(std::string name, uint32_t address, std::vector<uint16_t> words) {
    CoffSectionPlan s;
    s.name = std::move(name);
    s.address = address;
    s.words = std::move(words);
    return s;
}

inline CoffFilePlan FileWith(std::vector<CoffSectionPlan> sections, CoffFormat format = CoffFormat::Coff2,
                             uint16_t targetId = 0x009D) {
    CoffFilePlan coff;
    coff.format = format;
    coff.targetId = targetId;
    coff.sections = std::move(sections);
    return coff;
}

}  // namespace nembra::testing
