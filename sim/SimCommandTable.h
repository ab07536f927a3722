#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "sim/SimFrameParser.h"

namespace nembra {

// How the pod reads one command letter: how many field characters it takes
// and how many reply bytes it sends back, the '!' included (0: no reply).
struct SimCommandShape {
    char letter;
    size_t replyBytes;
};

// The shape of a letter; false for a letter the pod does not know.
bool FindCommandShape(char letter, SimCommandShape& shape);

// Checks a frame's letter and fields against the command table: known
// letter, upper-case hex digits only, the right number of them. Returns an
// empty text when the frame is well formed, else why not.
std::string CheckFrameShape(const SimFrame& frame);

// The hex field of `width` characters at `offset`; the frame was checked.
uint32_t HexField(const std::string& fields, size_t offset, size_t width);

}  // namespace nembra
