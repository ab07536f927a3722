#include "image/ByteOrder.h"
#include "image/ElfReader.h"
#include "image/ProgramFormat.h"

namespace nembra {
namespace {

constexpr size_t kElfHeaderBytes = 52;
constexpr uint16_t kTypeExecutable = 2;

// A whole 32-bit little-endian ELF header of a C2000 executable: such a file
// is a program for the F281x family, whatever else may be wrong with it.
bool NamesC2000Executable(std::span<const uint8_t> bytes) {
    return bytes.size() >= kElfHeaderBytes && bytes[0] == 0x7F && bytes[1] == 'E' && bytes[2] == 'L' &&
           bytes[3] == 'F' && bytes[4] == 1 && bytes[5] == 1 && ReadLe16(&bytes[16]) == kTypeExecutable &&
           ReadLe16(&bytes[18]) == kElfMachineTiC2000;
}

LoadFault Refused(const ElfError& error) {
    LoadFault fault{CoffResult::ElfRefused, error.offset};
    fault.elf = error.fault;
    return fault;
}

}  // namespace

// The ELF reader's sections at their load addresses; the family goes to the
// sink before any fault found beyond the ELF header.
LoadFault ReadElfProgram(std::span<const uint8_t> bytes, SectionSink& sink) {
    const ElfRead read = ReadElf(bytes);
    if (!NamesC2000Executable(bytes)) return Refused(read.error.value_or(ElfError{ElfFault::NotElf, 0}));
    if (LoadFault f = sink.Family(DeviceFamily::F281x); !f.ok()) return f;
    if (read.error) return Refused(*read.error);
    if (LoadFault f = sink.Begin(); !f.ok()) return f;
    for (const ElfSection& section : read.sections) {
        FoundSection found;
        found.name = section.name;
        found.address = section.loadAddress;
        found.wordCount = static_cast<uint32_t>(section.words.size());
        found.bytes = bytes.subspan(section.fileOffset, 2 * section.words.size());
        found.fileOffset = section.fileOffset;
        if (LoadFault f = sink.Section(found); !f.ok()) return f;
    }
    return {};
}

}  // namespace nembra
