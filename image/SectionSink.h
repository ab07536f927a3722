#pragma once
#include <cstdint>
#include <span>
#include <string_view>

#include "image/DeviceTypes.h"
#include "image/LoadFault.h"

namespace nembra {

// One section as a reader finds it in a file, before any of this program's
// rules has looked at it. Addresses and counts are 16-bit words.
struct FoundSection {
    std::string_view name;
    // Where the words are programmed: the load address.
    uint32_t address = 0;
    // As the file states it.
    uint32_t wordCount = 0;
    // The words, two bytes each, low byte first; empty when the file does not
    // hold all of them (then `unreadable` says why).
    std::span<const uint8_t> bytes;
    // COFF's memory page; 0 in formats without pages.
    uint16_t page = 0;
    // Where the words lie in the file.
    uint64_t fileOffset = 0;
    // Not ok when the file does not hold the section's words: the file is
    // refused with this only if the rules keep the section.
    LoadFault unreadable;
};

// Where a reader hands what it finds, in file order. Each call returns ok to
// go on; anything else ends the read with that result, which the reader
// returns as its own.
class SectionSink {
public:
    // The device family the file's header names, as soon as it is known and
    // before any later part of the file is checked.
    virtual LoadFault Family(DeviceFamily family) = 0;
    // The headers are read and checked; sections follow.
    virtual LoadFault Begin() = 0;
    virtual LoadFault Section(const FoundSection& section) = 0;

protected:
    ~SectionSink() = default;
};

// A format's reader: the file's bytes in, its sections out to the sink, and
// a fault with the place it shows when the file cannot be read. Readers open
// no file and know nothing of the image or the device.
using ProgramReader = LoadFault (*)(std::span<const uint8_t> bytes, SectionSink& sink);

}  // namespace nembra
