#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "image/DeviceTypes.h"
#include "image/ProgramImage.h"
#include "station/SerialPlan.h"

namespace nembra::station {

// Where a plan's words sit in the program.
enum class SerialForm {
    Placeholder,  // on program words that are all 0xFFFF: the program's own section carries them
    OwnSection,   // outside every section: a section of their own carries them
};

inline constexpr const char* kSerialSectionName = ".serial";
// The F281x CSM password words, which a serial number may never touch.
inline constexpr uint32_t kCsmPasswordFirst = 0x3F7FF8;
inline constexpr uint32_t kCsmPasswordLast = 0x3F7FFF;

struct SerialPlacement {
    SerialForm form = SerialForm::OwnSection;
    // F281x: the flash sectors that hold the words, and those of them that an
    // intelligent erase takes only because of the serial number.
    uint16_t sectorMask = 0;
    uint16_t addedSectorMask = 0;
    std::vector<std::string> problems;  // empty: the plan fits the program
};

// Checks the plan's words against the loaded program and the device, before
// any pod is touched: F281x words lie in the device's flash, off the CSM
// password words, and either outside every section or on words that are all
// 0xFFFF; LF240xA words only on such a placeholder.
SerialPlacement PlaceSerial(const SerialPlan& plan, const ProgramImage& image, DeviceType device);

// "A" or "A and B": the sectors of a mask by letter, for a plan.
std::string SectorLetters(uint16_t mask);

// Makes the image carry the plan's words in the flash stream: for the
// OwnSection form adds the section (erased words) and recomputes the flash
// summary, so the erase mask, the progress and the block stream include it;
// the Placeholder form needs nothing. Call once per image; false with the
// reason when the store has no room.
bool PrepareSerialImage(ProgramImage& image, const SerialPlan& plan, const SerialPlacement& placement,
                        DeviceType device, std::string& error);

// Puts a number's words into a prepared image, in place: the blocks that
// cover the address then carry them. False when the number does not fit.
bool WriteSerial(ProgramImage& image, const SerialPlan& plan, uint64_t number);

// A copy of the image (sections, summary, the store's used bytes) for one
// board's own number while other boards read the original.
void CopyImage(const ProgramImage& from, ProgramImage& to);

}  // namespace nembra::station
