#include <cstdio>

#include "image/LoadFault.h"

namespace nembra {

const char* CoffResultMessage(CoffResult result) {
    switch (result) {
        case CoffResult::Ok: return "Reading COFF file is successful";
        case CoffResult::OpenFailed: return "Fail to open specified file";
        case CoffResult::NotCoff: return "The specified file is not COFF format";
        case CoffResult::DeviceMismatch: return "The specified file is not match with MCU";
        case CoffResult::FileError: return "File exception error happens";
        case CoffResult::MemoryError: return "Memory exception error happens";
        case CoffResult::TooLarge: return "The specified file is too large for image memory";
        case CoffResult::ElfRefused: return "The specified ELF file cannot be read";
        case CoffResult::HexBadRecord: return "The specified HEX file has a malformed record";
        case CoffResult::HexChecksum: return "The specified HEX file has a checksum error";
        case CoffResult::HexRecordType: return "The specified HEX file has an unsupported record type";
        case CoffResult::HexTruncated: return "The specified HEX file is truncated";
        case CoffResult::HexOverlap: return "The specified HEX file gives a word address twice";
        case CoffResult::HexTooManyRuns: return "The specified HEX file has more than 65535 separate blocks of words";
        case CoffResult::TooManySections: return "The specified file has more than 65535 sections";
        case CoffResult::RuleBroken: return "The specified file does not fit the device";
    }
    return "File exception error happens";
}

std::string LoadFaultMessage(const LoadFault& fault, const std::vector<ImageSection>& sections, DeviceType deviceType) {
    char where[40] = "";
    switch (fault.result) {
        case CoffResult::ElfRefused: return ElfErrorMessage({fault.elf, fault.offset});
        case CoffResult::RuleBroken: return RuleBreakMessage(fault.rule, sections, deviceType);
        case CoffResult::HexOverlap:
            std::snprintf(where, sizeof where, " (0x%06X)", static_cast<unsigned>(fault.address));
            break;
        case CoffResult::HexBadRecord:
        case CoffResult::HexChecksum:
        case CoffResult::HexRecordType: std::snprintf(where, sizeof where, " (line %u)", fault.line); break;
        default: break;
    }
    return std::string(CoffResultMessage(fault.result)) + where;
}

}  // namespace nembra
