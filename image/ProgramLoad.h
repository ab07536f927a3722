#pragma once
#include <cstdint>
#include <span>

#include "image/DeviceTypes.h"
#include "image/LoadFault.h"
#include "image/ProgramFormat.h"
#include "image/ProgramImage.h"

namespace nembra {

// Reads a program file's bytes with a format's reader and keeps its
// sections in the image by the rules of ImageBuilder. The device's image
// rules and the flash summary are not applied. A failure leaves whatever the
// image held when it came (the Load clears it).
LoadFault ReadProgramBytes(std::span<const uint8_t> bytes, const FormatEntry& format, DeviceType deviceType,
                           ProgramImage& image);

// The whole way from a file's bytes to a loaded image, for every format: the
// reader the content calls for, the kept sections, the image rules checked
// against the device, and the F281x flash summary.
LoadFault LoadProgramBytes(std::span<const uint8_t> bytes, DeviceType deviceType, ProgramImage& image);

}  // namespace nembra
