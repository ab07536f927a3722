#include <cstdio>

#include "image/ElfReader.h"

namespace nembra {
namespace {

const char* ElfFaultText(ElfFault fault) {
    switch (fault) {
        case ElfFault::NotElf: return "The specified file is not ELF format";
        case ElfFault::Is64Bit: return "The specified ELF file is 64-bit; only 32-bit ELF files can be loaded";
        case ElfFault::BigEndian:
            return "The specified ELF file is big-endian; only little-endian ELF files can be loaded";
        case ElfFault::Relocatable:
            return "The specified ELF file is a relocatable object, not a linked program; load the linker's output";
        case ElfFault::NotExecutable: return "The specified ELF file is not an executable program";
        case ElfFault::OtherMachine: return "The specified ELF file is not for a TI C2000 device";
        case ElfFault::TruncatedHeader: return "The specified ELF file is truncated in its headers";
        case ElfFault::TruncatedSegment: return "The specified ELF file is truncated in its program data";
        case ElfFault::Malformed: return "The specified ELF file has a malformed header";
        case ElfFault::OddSize: return "The specified ELF file has program data that is not whole 16-bit words";
        case ElfFault::AddressOverflow: return "The specified ELF file has program data beyond the address space";
        case ElfFault::OverlappingData: return "The specified ELF file has overlapping program data";
        case ElfFault::OverlappingAddresses: return "The specified ELF file loads two segments at the same address";
        case ElfFault::BadSectionName: return "The specified ELF file has a malformed section name";
        case ElfFault::WrongFamily:
            return "The specified file is an ELF file; LF240xA programs must be COFF (ELF is for the F281x family)";
    }
    return "The specified ELF file cannot be read";
}

// Faults about the file as a whole say nothing of where.
bool HasPlace(ElfFault fault) {
    switch (fault) {
        case ElfFault::NotElf:
        case ElfFault::Is64Bit:
        case ElfFault::BigEndian:
        case ElfFault::Relocatable:
        case ElfFault::NotExecutable:
        case ElfFault::OtherMachine:
        case ElfFault::WrongFamily: return false;
        default: return true;
    }
}

}  // namespace

std::string ElfErrorMessage(const ElfError& error) {
    std::string text = ElfFaultText(error.fault);
    if (!HasPlace(error.fault)) return text;
    char place[40];
    std::snprintf(place, sizeof place, " (byte 0x%llX)", static_cast<unsigned long long>(error.offset));
    return text + place;
}

}  // namespace nembra
