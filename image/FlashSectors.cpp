#include "image/FlashSectors.h"
#include "image/ProgramImage.h"

namespace nembra {
namespace {

uint16_t BitsBetween(int low, int high) {
    uint16_t mask = 0;
    for (int i = low; i <= high; ++i) mask = static_cast<uint16_t>(mask | (1u << i));
    return mask;
}

}  // namespace

bool FindFlashSector(uint32_t address, SectorHit& hit) {
    for (int i = 0; i < kFlashSectorCount; ++i) {
        const FlashSectorRange& sector = kFlashSectors[static_cast<size_t>(i)];
        if (address >= sector.first && address <= sector.last) {
            hit = {static_cast<uint16_t>(1u << i), i};
            return true;
        }
    }
    return false;
}

char SectorLetter(int index) {
    if (index < 0 || index >= kFlashSectorCount) return '?';
    return static_cast<char>('A' + index);
}

void MarkFlashRegion(ImageSection& section, DeviceType deviceType) {
    if (!IsF281x(deviceType)) return;
    const DeviceEntry& device = DeviceInfo(deviceType);
    if (section.address < device.flashStart || section.address > device.flashEnd) return;
    section.inFlash = true;

    SectorHit first{};
    if (!FindFlashSector(section.address, first)) return;
    const uint64_t lastWord = uint64_t{section.address} + section.wordCount - (section.wordCount ? 1 : 0);
    SectorHit last{};
    if (lastWord > 0xFFFFFFFFu || !FindFlashSector(static_cast<uint32_t>(lastWord), last)) {
        // The section runs off the top of flash: it still occupies every
        // sector from its first one upwards, so all of them must be erased.
        section.sectorMask = BitsBetween(0, first.index);
        return;
    }
    const int low = first.index < last.index ? first.index : last.index;
    const int high = first.index < last.index ? last.index : first.index;
    section.sectorMask = BitsBetween(low, high);
}

void ComputeFlashSummary(ProgramImage& image, DeviceType deviceType) {
    if (!IsF281x(deviceType)) return;
    FlashSummary& summary = image.flashSummary;
    uint32_t flashOffset = 0;
    for (size_t i = 0; i < image.sections.size(); ++i) {
        ImageSection& section = image.sections[i];
        const uint32_t bytes = 2 * section.wordCount;
        if (section.inFlash) {
            summary.hasFlashSection = true;
            summary.flashSectorMask = static_cast<uint16_t>(summary.flashSectorMask | section.sectorMask);
            ++summary.flashSectionCount;
            summary.flashSectionEnd = static_cast<int32_t>(i + 1);
            section.dataOffset = flashOffset;
            flashOffset += bytes;
            summary.flashBytes += bytes;
        } else {
            ++summary.nonFlashSectionCount;
            summary.nonFlashBytes += bytes;
        }
    }
}

}  // namespace nembra
