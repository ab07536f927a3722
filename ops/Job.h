#pragma once
#include <string>

#include "image/DeviceTypes.h"
#include "pod/PodRecords.h"

namespace nembra {

// The six things an operator can ask of the pod and the program file.
enum class JobCommand { TargetWrite, TargetReset, Load, PodWrite, PodVerify, PodInfo };

// What one operation is asked to do, as plain values: the window fills it
// from its controls when a button is clicked, the command line from its
// arguments. The operations read it and nothing else of a front-end.
struct Job {
    JobCommand command = JobCommand::TargetWrite;
    // The device list's selection, which a Load makes the device type; -1
    // when nothing is selected.
    int device = kDefaultDeviceType;
    // The program file; read when no image is loaded, and by Load always.
    std::string filePath;
    bool eraseAll = false;
    bool unlockCsm = false;
    // The eight password words, as the front-end read them from what was
    // typed (ParseKeyText); read only with unlockCsm.
    CsmKeyTable keys = kNoPassword;
    // The POD File Name as typed; empty: the loaded file's name.
    std::string podFileName;
    // POD Write: a POD Verify after a successful store.
    bool verify = false;
};

}  // namespace nembra
