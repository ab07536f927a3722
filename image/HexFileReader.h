#pragma once
#include <string>

#include "image/CoffReader.h"
#include "image/IntelHex.h"

namespace nembra {

// Where a HEX file went wrong, for the message line.
struct HexFault {
    unsigned line = 0;
    uint32_t address = 0;
};

// Reads an Intel HEX file of TI's 16-bit ROM-width layout for the given
// device type into the image: each run of consecutive words becomes one
// section, in address order. The image is cleared only once the whole file
// has been read and checked.
CoffResult ReadHexFile(const std::string& path, DeviceType deviceType, ProgramImage& image, HexFault& fault);

// The message line for any Load result, with the line or address of a HEX fault.
std::string LoadResultMessage(CoffResult result, const HexFault& fault);

}  // namespace nembra
