#pragma once
#include <cstdint>

#include "image/DeviceTypes.h"
#include "image/ProgramImage.h"
#include "pod/PodLink.h"
#include "pod/PodRecords.h"
#include "status/StatusSink.h"

namespace nembra {

enum class TargetWriteResult : uint16_t {
    Success = 0,
    BootFailed = 1,
    DownloadFailed = 2,
    ResetFailed = 3,
    AlgorithmFailed = 4,
    FlashInitFailed = 5,
    EraseFailed = 6,
    WriteFailed = 7,
};

// What the programming sequences work on.
struct SequenceContext {
    PodLink& link;
    const ProgramImage& image;
    DeviceType deviceType;
    const CsmKeyTable& keys;
    StatusSink& status;
};

TargetWriteResult ProgramLf240x(SequenceContext& ctx);
bool SendLf240xStream(SequenceContext& ctx);
TargetWriteResult ProgramF281x(SequenceContext& ctx, bool hasFlash, bool eraseAll, bool unlock);
bool SendF281xBootStream(SequenceContext& ctx);
bool EraseFlash(SequenceContext& ctx, bool eraseAll);
bool WriteFlash(SequenceContext& ctx);

// Sector mask an erase works on for this device type.
uint16_t EraseMask(DeviceType deviceType, uint16_t flashSectorMask, bool eraseAll);

}  // namespace nembra
