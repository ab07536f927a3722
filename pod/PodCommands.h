#pragma once
#include <cstdint>
#include <string>

#include "pod/PodLink.h"
#include "pod/PodRecords.h"

namespace nembra {

inline constexpr uint8_t STX = 0x02;
inline constexpr uint8_t ETX = 0x03;

// Every command writes its frame (200 ms) and, when it has a reply, reads
// it; accepted only on a first byte of '!', and otherwise says why not (no
// reply in time, the byte it got instead, the driver's error, the pod
// unplugged, a stop). What a reply carries is returned through the
// command's arguments.
LinkOutcome IdentifyPod(PodLink& link);
// The version the pod reports ("KVL15": 15); 0 for another answer after its '!'.
LinkOutcome QueryPodVersion(PodLink& link, uint16_t& firmwareVersion);
LinkOutcome ReadPodInfo(PodLink& link, PodFileRecord& record);
LinkOutcome ResetTarget(PodLink& link);                                        // purges after an accepted reset
LinkOutcome StartBootLf240x(PodLink& link, uint8_t deviceCode);                // "M", 10000 ms
LinkOutcome StartBootF281x(PodLink& link, uint8_t deviceCode);                 // "N", 3000 ms
LinkOutcome SendCsmKeys(PodLink& link, bool unlock, const CsmKeyTable& keys);  // "K", 10000 ms

enum class FlashOp : uint8_t { InitFlash = 0x00, EraseSectors = 0x01, ProgramBlock = 0x02 };
LinkOutcome InitFlash(PodLink& link, uint32_t timeoutMs);
LinkOutcome EraseSectors(PodLink& link, uint16_t sectorMask, uint32_t timeoutMs);
LinkOutcome ProgramBlock(PodLink& link, uint32_t wordAddress, uint16_t wordCount, uint32_t timeoutMs);

// 'U', 'X' go out at once; 'S' is batched; 'Y', 'Z' flush the batch and wait for '!'.
LinkOutcome SendStreamWord(PodLink& link, char letter, uint16_t value, uint32_t timeoutMs);
LinkOutcome SendStreamLong(PodLink& link, uint32_t value, uint32_t timeoutMs);
// An "S" frame with the word's bytes exchanged; written when flush or the batch is full.
LinkOutcome SendFlashWord(PodLink& link, uint16_t word, bool flush);

// Serial-flash access.
LinkOutcome BeginSerialFlashAccess(PodLink& link);  // "G", no reply
LinkOutcome EndSerialFlashAccess(PodLink& link);    // "H", no reply
void AbortSerialFlashAccess(PodLink& link);         // "i", result ignored
LinkOutcome SendSectionRecord(PodLink& link, uint8_t sequence, uint32_t address, uint32_t wordCount,
                              uint32_t dataOffset);
LinkOutcome WriteSerialFlashPage(PodLink& link, uint16_t page, uint16_t byteCount);
LinkOutcome SendPasswordRecord(PodLink& link, const CsmKeyTable& keys);
LinkOutcome SendTagRecord(PodLink& link, const TagRecord& tag);
LinkOutcome SendImageRecord(PodLink& link, uint8_t deviceCode, uint8_t csmOption, uint16_t sectorMask,
                            uint8_t sectionCount);
LinkOutcome ReadImageRecord(PodLink& link, ImageRecordReply& reply);
LinkOutcome ReadPasswordRecord(PodLink& link, CsmKeyTable& keys);
LinkOutcome ReadSectionRecord(PodLink& link, uint8_t sequence, SectionRecordReply& reply);
LinkOutcome VerifySerialFlashPage(PodLink& link, uint16_t page, uint16_t byteCount);

// The 32 upper-case hex digits of the keys, KEY0 first; all F when unlock is off.
std::string CsmKeyText(bool unlock, const CsmKeyTable& keys);

}  // namespace nembra
