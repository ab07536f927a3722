#pragma once
#include <string>

#include "image/DeviceTypes.h"

namespace nembra::station {

// A device by its command-line name (any case) or its list index 0-4, as
// --device and a job's `device` key take it.
bool ParseDeviceName(const std::string& text, DeviceType& device);
// "lf240xa-30, lf240xa-40, ..." for messages.
std::string DeviceNameList();

}  // namespace nembra::station
