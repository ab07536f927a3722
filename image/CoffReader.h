#pragma once
#include <cstdint>
#include <string>

#include "image/DeviceTypes.h"
#include "image/ProgramImage.h"

namespace nembra {

enum class CoffResult : uint16_t {
    Ok = 0,
    OpenFailed = 1,
    NotCoff = 2,
    DeviceMismatch = 3,
    FileError = 4,
    MemoryError = 5,
    // The kept sections need more than the image store holds.
    TooLarge = 6,
    // The linker's ELF output, which the pod's programs cannot be made from.
    ElfFile = 7,
    // Intel HEX input: a record that cannot be read, a bad checksum, a record
    // type this layout has no use for, no end record, a word given twice.
    HexBadRecord = 8,
    HexChecksum = 9,
    HexRecordType = 10,
    HexTruncated = 11,
    HexOverlap = 12,
    // More runs of words than the image's 16-bit section counts can hold.
    HexTooManyRuns = 13,
};

// The status-line text for a result ("Reading COFF file is successful" for Ok).
const char* CoffResultMessage(CoffResult result);

// Reads a TI COFF file for the given device type into the image.
CoffResult ReadCoffFile(const std::string& path, DeviceType deviceType, ProgramImage& image);

}  // namespace nembra
