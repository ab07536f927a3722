#include "sim/SimPod.h"

namespace nembra {

// Kept apart from SimPod.cpp so that only users of the HEX dump link the
// HEX writer.
void SimPod::WriteTargetHex(std::ostream& out) const { WriteIntelHex(out, TargetImage()); }

}  // namespace nembra
