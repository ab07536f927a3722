#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "image/DeviceTypes.h"
#include "image/ElfReader.h"
#include "image/ImageRules.h"
#include "image/ProgramImage.h"

namespace nembra {

// What became of a Load, whichever reader or rule decided it.
enum class CoffResult : uint16_t {
    Ok = 0,
    OpenFailed = 1,
    NotCoff = 2,
    DeviceMismatch = 3,
    FileError = 4,
    MemoryError = 5,
    // The kept sections need more than the image store holds.
    TooLarge = 6,
    // The ELF reader refused the file, or an ELF file was loaded for a device
    // family it cannot be for; the ELF fault says which.
    ElfRefused = 7,
    // Intel HEX input: a record that cannot be read, a bad checksum, a record
    // type this layout has no use for, no end record, a word given twice.
    HexBadRecord = 8,
    HexChecksum = 9,
    HexRecordType = 10,
    HexTruncated = 11,
    HexOverlap = 12,
    // More runs of words than the image's 16-bit section counts can hold.
    HexTooManyRuns = 13,
    // The same for a format whose sections are named: more than 65535 kept.
    TooManySections = 14,
    // The sections break one of the image rules checked against the device.
    RuleBroken = 15,
};

// The status-line text for a result ("Reading COFF file is successful" for Ok).
const char* CoffResultMessage(CoffResult result);

// A Load's outcome with where it shows, for the message line and the tests.
struct LoadFault {
    LoadFault() = default;
    explicit(false) LoadFault(CoffResult kind, uint64_t at = 0) : result(kind), offset(at) {}

    CoffResult result = CoffResult::Ok;
    // Byte offset in the file of the header or data at fault (COFF, ELF).
    uint64_t offset = 0;
    // Intel HEX: the line of a faulty record, the word address given twice.
    unsigned line = 0;
    uint32_t address = 0;
    // ElfRefused: the ELF reader's own fault.
    ElfFault elf = ElfFault::NotElf;
    // RuleBroken: the rule and the section(s).
    RuleBreak rule;

    bool ok() const { return result == CoffResult::Ok; }
};

inline LoadFault FaultAt(CoffResult result, uint64_t offset) { return LoadFault(result, offset); }

// One message line; a broken rule names its sections from the image.
std::string LoadFaultMessage(const LoadFault& fault, const std::vector<ImageSection>& sections, DeviceType deviceType);

}  // namespace nembra
