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
};

// The status-line text for a result ("Reading COFF file is successful" for Ok).
const char* CoffResultMessage(CoffResult result);

// Reads a TI COFF file for the given device type into the image.
CoffResult ReadCoffFile(const std::string& path, DeviceType deviceType, ProgramImage& image);

}  // namespace nembra
