#pragma once
#include <cstdlib>
#include <cstring>

namespace nembra::testing {

// Tests that go through the real USB backend may reach a pod that happens to
// be plugged in, and a pod resets or writes its target board when told to:
// they run only when asked for with NEMBRA_HARDWARE_TESTS=1.
inline bool HardwareTestsAllowed() {
    const char* value = std::getenv("NEMBRA_HARDWARE_TESTS");
    return value != nullptr && std::strcmp(value, "1") == 0;
}

inline constexpr const char* kHardwareTestsSkipped =
    "reaches real USB devices; set NEMBRA_HARDWARE_TESTS=1 to run it (a plugged-in pod is then used)";

}  // namespace nembra::testing
