#pragma once
#include <string>

#include "image/DeviceTypes.h"
#include "image/ProgramImage.h"
#include "image/RecentFiles.h"
#include "pod/PodLink.h"
#include "pod/PodRecords.h"

namespace nembra {

// The program-wide values of one run, held apart from any widget so that
// the window and the command line run the same operations on them.
struct Session {
    // `imageStore`: MadeOnFirstUse for a session that reads a shared image
    // and never loads its own.
    Session(DriverLoader& loader, LinkClock& clock, ImageStore imageStore = ImageStore::MadeNow)
        : image(imageStore), link(loader, clock) {}

    DeviceType deviceType = kDefaultDeviceType;
    CsmKeyTable csmKeyTable = kNoPassword;
    ProgramImage image;
    PodLink link;
    RecentFiles recentFiles;
    std::string eepFileName;
    PodFileRecord podFileRecord;
    uint16_t firmwareVersion = 0;  // as POD Info last read it: 15 is version 1.5
};

}  // namespace nembra
