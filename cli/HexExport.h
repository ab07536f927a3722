#pragma once
#include <string>

#include "image/IntelHex.h"
#include "image/ProgramImage.h"

namespace nembra::cli {

// Every word of every kept section, keyed by its word address.
WordMap ImageWords(const ProgramImage& image);

// Writes words as Intel HEX to a file; false with the reason when the file
// cannot be written in full.
bool WriteHexFile(const std::string& path, const WordMap& words, std::string& error);

}  // namespace nembra::cli
