#pragma once
#include <array>
#include <string>

#include "image/DeviceTypes.h"
#include "station/DeviceNames.h"

namespace nembra::cli {

// Device names come from the station library, which reads them in job files too.
using station::DeviceNameList;
using station::ParseDeviceName;

// Eight comma-separated key texts. Each is empty (no password word, 0xFFFF)
// or one to four hexadecimal digits with an optional 0x prefix: a CSM
// password that is mistyped locks the chip for good, so nothing that the key
// fields would read only in part (a sign, a stray letter, a fifth digit) is
// taken. False with a reason otherwise.
bool ParseKeyList(const std::string& text, std::array<std::string, 8>& keys, std::string& error);

// The pod stores at most 8 printable ASCII characters; a longer name would
// be cut without a word, so it is refused instead.
bool CheckPodName(const std::string& name, std::string& error);

}  // namespace nembra::cli
