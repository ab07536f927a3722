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
    }
    return "File exception error happens";
}

}  // namespace nembra
