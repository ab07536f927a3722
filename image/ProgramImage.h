#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "image/DeviceTypes.h"

namespace nembra {

inline constexpr uint32_t kImageStoreBytes = 0x800000;

// One kept section. Sizes and addresses count 16-bit words.
struct ImageSection {
    std::string name;
    uint32_t wordCount = 0;
    uint32_t address = 0;
    // Byte offset in the data stream the pod stores; for F281x flash sections
    // rewritten to the offset among the flash sections only.
    uint32_t dataOffset = 0;
    // Byte offset of the section's words in the image store (its data view);
    // never rewritten.
    uint32_t storeOffset = 0;
    bool inFlash = false;
    uint16_t sectorMask = 0;
};

struct FlashSummary {
    bool hasFlashSection = false;
    uint16_t flashSectorMask = 0;
    uint16_t flashSectionCount = 0;
    int32_t flashSectionEnd = 0;
    uint32_t flashBytes = 0;
    uint16_t nonFlashSectionCount = 0;
    uint32_t nonFlashBytes = 0;
};

// When an image's store is made: at once, or on first use by an image that
// only stands in where one is required and is never loaded (each pod's own
// while several pods read one shared image), so that it costs no memory.
enum class ImageStore { MadeNow, MadeOnFirstUse };

// The loaded program: its kept sections and their words in one 8 MiB store
// reserved once for the run. Memory that no section wrote reads 0xFFFF. The
// store remembers how far it was written, so that emptying it costs what
// the last program used rather than the whole 8 MiB.
class ProgramImage {
public:
    ProgramImage() : ProgramImage(ImageStore::MadeNow) {}
    explicit ProgramImage(ImageStore when);
    ProgramImage(const ProgramImage&) = delete;
    ProgramImage& operator=(const ProgramImage&) = delete;

    std::vector<ImageSection> sections;
    uint32_t totalBytes = 0;
    std::string podFileName;
    bool imageLoaded = false;
    FlashSummary flashSummary;

    int32_t sectionCount() const { return static_cast<int32_t>(sections.size()); }

    // Word i of a section, read from the store (two bytes, low byte first).
    uint16_t DataWord(const ImageSection& section, uint32_t index) const;

    // The store; one made on first use is made here. Whoever asks for it may
    // write anywhere, so all of it counts as written.
    uint8_t* store();
    // Copies bytes into the store at a byte offset, within the store.
    void WriteStore(uint32_t offset, std::span<const uint8_t> bytes);
    // Every written byte back to 0xFF.
    void EraseStore();
    // Null only while a store made on first use is not yet made; an image
    // with sections always has one.
    const uint8_t* store() const { return store_.get(); }

private:
    uint8_t* MadeStore();

    std::unique_ptr<uint8_t[]> store_;
    // One past the last byte that may differ from 0xFF.
    uint32_t written_ = 0;
};

// Empties the image: store refilled with 0xFF, counts zeroed, the flash
// summary zeroed for the F281x family, sections destroyed.
void ClearImage(ProgramImage& image, DeviceType deviceType);

struct SectorHit {
    uint16_t maskBit;
    int index;
};
// The F281x flash sector holding a word address, if any.
bool FindFlashSector(uint32_t address, SectorHit& hit);
// Letter of a sector index: 0 -> 'A' .. 9 -> 'J'.
char SectorLetter(int index);

// Sets inFlash and sectorMask for the given F281x device type.
void MarkFlashRegion(ImageSection& section, DeviceType deviceType);
// Fills the flash summary and the flash data offsets (F281x only).
void ComputeFlashSummary(ProgramImage& image, DeviceType deviceType);

}  // namespace nembra
