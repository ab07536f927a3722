#pragma once
#include <string>

#include "pod/PodRecords.h"
#include "pod/TargetSequences.h"

namespace nembra {

inline constexpr uint32_t kSerialFlashPageBytes = 264;

bool StoreInSerialFlash(SequenceContext& ctx, bool eraseAll, bool csmOn, const std::string& podFileName,
                        const LocalDateTime& now);
bool WriteSerialFlashData(SequenceContext& ctx, bool f281x);
bool VerifySerialFlash(SequenceContext& ctx);
bool CheckSectionRecords(SequenceContext& ctx, bool f281x);
bool VerifySerialFlashData(SequenceContext& ctx, bool f281x);

TagRecord MakeTagRecord(const std::string& podFileName, const LocalDateTime& now);

}  // namespace nembra
