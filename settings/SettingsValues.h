#pragma once
#include <QVariant>
#include <string>

#include "image/DeviceTypes.h"
#include "ops/Job.h"
#include "pod/PodRecords.h"

namespace nembra {

// A stored unsigned 32-bit number; a missing value, one of another kind or
// one that is not a plain decimal number in range reads as the default.
uint32_t ReadStoredNumber(const QVariant& value, uint32_t defaultValue);
// A stored text; anything but a text reads as empty.
std::string ReadStoredText(const QVariant& value);
// Low 8 bits first, then at most the last device list entry.
DeviceType ClampDeviceType(uint32_t stored);

// What the end of a run stores for the option controls, read as a job from
// them (the keys only while "Unlock CSM" is ticked): the LF240xA family
// always stores the defaults, whatever the disabled controls show; an F281x
// password of all zeros is stored as no password, the option kept.
struct StoredOptions {
    DeviceType deviceType = kDefaultDeviceType;
    uint32_t eraseAll = 0;
    uint32_t csmUnlock = 0;
    CsmKeyTable keys = kNoPassword;
};
StoredOptions OptionsToStore(const Job& controls);

}  // namespace nembra
