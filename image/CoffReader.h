#pragma once
#include <cstdint>
#include <span>
#include <string>

#include "image/DeviceTypes.h"
#include "image/LoadFault.h"
#include "image/ProgramImage.h"
#include "image/SectionSink.h"

namespace nembra {

// Reads a TI COFF file's bytes (layouts COFF0, COFF1 and COFF2): the family
// its target id names, then each section that holds data to load (not empty,
// with raw data, not DSECT, NOLOAD or COPY) under its name with one leading
// underscore dropped, in file order.
LoadFault ReadCoffProgram(std::span<const uint8_t> bytes, SectionSink& sink);

// Reads a TI COFF file for the given device type into the image: the COFF
// reader and the rules that keep sections, without the device's image rules.
CoffResult ReadCoffFile(const std::string& path, DeviceType deviceType, ProgramImage& image);

}  // namespace nembra
