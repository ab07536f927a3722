#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "pod/FtdiDriver.h"

namespace nembra {

// One FTDI device as the driver lists it.
struct AttachedDevice {
    std::string description;
    std::string serial;                // empty when the driver cannot tell
    std::optional<uint32_t> location;  // D2XX's location id, where the backend has one
};

// Every device the driver lists, in its order. Empty when listing fails.
std::vector<AttachedDevice> ListAttachedDevices(FtdiDriver& driver);

// Opens the device with this serial number and closes it again, to tell
// whether this user can open it: None when it opened, else why not.
OpenFailureCause ProbeOpen(FtdiDriver& driver, const std::string& serial);

}  // namespace nembra
