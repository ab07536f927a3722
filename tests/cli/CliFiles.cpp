#include "CliFiles.h"

#include <filesystem>

namespace nembra::testing {
namespace {

constexpr uint32_t kSectorA = 0x3F6000;
constexpr uint32_t kSectorC = 0x3F0000;
constexpr uint32_t kRam = 0x008000;

CoffSectionPlan Section(const std::string& name, uint32_t address, std::vector<uint16_t> words) {
    CoffSectionPlan section;
    section.name = name;
    section.address = address;
    section.words = std::move(words);
    return section;
}

CoffFilePlan F2812Program(uint16_t seed) {
    CoffFilePlan program;
    program.sections = {Section(".text", kSectorA + 0x10, Pattern(300, seed)),
                        Section("ramfuncs", kRam, Pattern(50, static_cast<uint16_t>(seed + 7))),
                        Section(".cinit", kSectorC, Pattern(41, static_cast<uint16_t>(seed + 1)))};
    return program;
}

void AddWords(WordMap& words, uint32_t address, const std::vector<uint16_t>& values) {
    for (size_t i = 0; i < values.size(); ++i) words[address + static_cast<uint32_t>(i)] = values[i];
}

}  // namespace

CliFiles::CliFiles() {
    f2812 = dir.Write("app.out", BuildCoff(F2812Program(0)));
    f2812Other = dir.Write("other.out", BuildCoff(F2812Program(5)));
    CoffFilePlan ram;
    ram.sections = {Section("ramfuncs", kRam, Pattern(250)), Section(".data", 0x9000, Pattern(3, 9))};
    f2812Ram = dir.Write("ramonly.out", BuildCoff(ram));
    CoffFilePlan lf;
    lf.targetId = 0x0092;
    lf.sections = {Section(".text", 0x0040, Pattern(201)), Section(".vectors", 0x0000, Pattern(4, 3))};
    lf240x = dir.Write("motor.out", BuildCoff(lf));
    state = dir.path() + "/pod.store";
}

WordMap F2812FlashWords() {
    WordMap words;
    AddWords(words, kSectorA + 0x10, Pattern(300, 0));
    AddWords(words, kSectorC, Pattern(41, 1));
    return words;
}

WordMap F2812RamWords() {
    WordMap words;
    AddWords(words, kRam, Pattern(50, 7));
    return words;
}

std::string TestDataDir() {
    const std::string dir = std::string(NEMBRA_TESTDATA_DIR) + "/ti-coff";
    return std::filesystem::is_directory(dir) ? dir : std::string();
}

}  // namespace nembra::testing
