#include "station/SerialImage.h"

#include <algorithm>
#include <cstdio>

#include "image/DeviceMemory.h"
#include "image/FlashSectors.h"

namespace nembra::station {
namespace {

std::string HexAddress(uint64_t address) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%06llX", static_cast<unsigned long long>(address));
    return text;
}

std::string WordsText(const SerialPlan& plan) {
    const uint32_t last = plan.address + plan.words - 1;
    return plan.words == 1 ? "the serial number's word " + HexAddress(plan.address)
                           : "the serial number's words " + HexAddress(plan.address) + " to " + HexAddress(last);
}

// The section holding a word address, or null.
const ImageSection* SectionAt(const ProgramImage& image, uint32_t address) {
    for (const ImageSection& section : image.sections)
        if (address >= section.address && uint64_t{address} < uint64_t{section.address} + section.wordCount)
            return &section;
    return nullptr;
}

void CheckF281xFlash(const SerialPlan& plan, DeviceType device, SerialPlacement& placement) {
    const DeviceEntry& entry = DeviceInfo(device);
    const uint64_t last = uint64_t{plan.address} + plan.words - 1;
    if (plan.address < entry.flashStart || last > entry.flashEnd)
        placement.problems.push_back(WordsText(plan) + " lie outside the " + std::string(DeviceShortName(device)) +
                                     "'s flash (" + HexAddress(entry.flashStart) + " to " + HexAddress(entry.flashEnd) +
                                     ")");
    if (plan.address <= kCsmPasswordLast && last >= kCsmPasswordFirst)
        placement.problems.push_back(WordsText(plan) + " lie on the CSM password words " +
                                     HexAddress(kCsmPasswordFirst) + " to " + HexAddress(kCsmPasswordLast));
    for (uint64_t a = plan.address; a <= last; ++a) {
        SectorHit hit{};
        if (FindFlashSector(static_cast<uint32_t>(a), hit) && (AllSectorsMask(device) & hit.maskBit))
            placement.sectorMask = static_cast<uint16_t>(placement.sectorMask | hit.maskBit);
    }
}

// Sorts the words into placeholder words, covered words that hold program
// data, and words outside every section.
void CheckSections(const SerialPlan& plan, const ProgramImage& image, DeviceType device, SerialPlacement& placement) {
    uint32_t covered = 0;
    const ImageSection* programWords = nullptr;
    uint32_t programAddress = 0;
    for (uint32_t i = 0; i < plan.words; ++i) {
        const uint32_t address = plan.address + i;
        const ImageSection* section = SectionAt(image, address);
        if (section == nullptr) continue;
        ++covered;
        if (programWords == nullptr && image.DataWord(*section, address - section->address) != 0xFFFF) {
            programWords = section;
            programAddress = address;
        }
    }
    const bool f281x = IsF281x(device);
    if (covered == 0) {
        placement.form = SerialForm::OwnSection;
        if (!f281x)
            placement.problems.push_back(WordsText(plan) +
                                         " lie outside every section of the program; on the LF240xA they must "
                                         "lie on program words that are all 0xFFFF (a placeholder the program "
                                         "reserves)");
        return;
    }
    placement.form = SerialForm::Placeholder;
    if (covered < plan.words)
        placement.problems.push_back(WordsText(plan) +
                                     " lie partly inside the program; they must lie either outside every section "
                                     "or wholly on program words that are all 0xFFFF");
    if (programWords != nullptr)
        placement.problems.push_back(WordsText(plan) + " lie on program words of section \"" + programWords->name +
                                     "\" that are not 0xFFFF (at " + HexAddress(programAddress) + ")");
}

}  // namespace

std::string SectorLetters(uint16_t mask) {
    std::vector<char> letters;
    for (int i = 0; i < kFlashSectorCount; ++i)
        if (mask & (1u << i)) letters.push_back(SectorLetter(i));
    std::string text;
    for (size_t i = 0; i < letters.size(); ++i) {
        if (i > 0) text += i + 1 == letters.size() ? " and " : ", ";
        text.push_back(letters[i]);
    }
    return text;
}

SerialPlacement PlaceSerial(const SerialPlan& plan, const ProgramImage& image, DeviceType device) {
    SerialPlacement placement;
    if (plan.words < 1 || plan.words > kMaxSerialWords) {
        placement.problems.push_back("serial.words must be 1 to 4");
        return placement;
    }
    if (IsF281x(device)) CheckF281xFlash(plan, device, placement);
    CheckSections(plan, image, device, placement);
    const uint16_t programMask = IsF281x(device) ? image.flashSummary.flashSectorMask : 0;
    placement.addedSectorMask = static_cast<uint16_t>(placement.sectorMask & ~programMask);
    return placement;
}

bool PrepareSerialImage(ProgramImage& image, const SerialPlan& plan, const SerialPlacement& placement,
                        DeviceType device, std::string& error) {
    if (!placement.problems.empty()) {
        error = placement.problems.front();
        return false;
    }
    if (placement.form == SerialForm::Placeholder) return true;
    const uint64_t bytes = 2ull * plan.words;
    if (image.totalBytes + bytes > kImageStoreBytes) {
        error = "the program leaves no room in the image for the serial number's words";
        return false;
    }
    ImageSection section;
    section.name = kSerialSectionName;
    section.address = plan.address;
    section.wordCount = plan.words;
    section.dataOffset = image.totalBytes;
    section.storeOffset = image.totalBytes;
    MarkFlashRegion(section, device);
    std::fill_n(image.store() + image.totalBytes, bytes, uint8_t{0xFF});
    image.totalBytes += static_cast<uint32_t>(bytes);
    image.sections.push_back(std::move(section));
    image.flashSummary = FlashSummary{};
    ComputeFlashSummary(image, device);
    return true;
}

bool WriteSerial(ProgramImage& image, const SerialPlan& plan, uint64_t number) {
    const std::optional<SerialWords> words = EncodeSerial(plan, number);
    if (!words) return false;
    uint8_t* store = image.store();
    for (uint32_t i = 0; i < plan.words; ++i) {
        const uint32_t address = plan.address + i;
        const ImageSection* section = SectionAt(image, address);
        if (section == nullptr) return false;
        const uint64_t at = section->storeOffset + 2ull * (address - section->address);
        if (at + 1 >= kImageStoreBytes) return false;
        store[at] = static_cast<uint8_t>((*words)[i] & 0xFF);
        store[at + 1] = static_cast<uint8_t>((*words)[i] >> 8);
    }
    return true;
}

void CopyImage(const ProgramImage& from, ProgramImage& to) {
    to.sections = from.sections;
    to.totalBytes = from.totalBytes;
    to.podFileName = from.podFileName;
    to.imageLoaded = from.imageLoaded;
    to.flashSummary = from.flashSummary;
    uint8_t* store = to.store();
    std::fill_n(store, kImageStoreBytes, uint8_t{0xFF});
    if (from.store() != nullptr)
        std::copy_n(from.store(), std::min<uint64_t>(from.totalBytes, kImageStoreBytes), store);
}

}  // namespace nembra::station
