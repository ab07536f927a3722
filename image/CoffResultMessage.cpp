#include "image/CoffReader.h"

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
        case CoffResult::ElfFile: return "The specified file is ELF format, not COFF format";
        case CoffResult::HexBadRecord: return "The specified HEX file has a malformed record";
        case CoffResult::HexChecksum: return "The specified HEX file has a checksum error";
        case CoffResult::HexRecordType: return "The specified HEX file has an unsupported record type";
        case CoffResult::HexTruncated: return "The specified HEX file is truncated";
        case CoffResult::HexOverlap: return "The specified HEX file gives a word address twice";
        case CoffResult::HexTooManyRuns: return "The specified HEX file has more than 65535 separate blocks of words";
    }
    return "File exception error happens";
}

}  // namespace nembra
