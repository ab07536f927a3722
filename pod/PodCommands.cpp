#include "pod/PodCommands.h"

#include <array>
#include <cstring>
#include <string_view>

#include "pod/PodCommandsFrame.h"

namespace nembra {

namespace {

constexpr uint32_t kShortReplyMs = 200;
constexpr uint32_t kResetMs = 1000;
constexpr uint32_t kBootLf240xMs = 10000;
constexpr uint32_t kBootF281xMs = 3000;
constexpr uint32_t kAlgorithmMs = 10000;
constexpr size_t kVersionReply = 6;
constexpr size_t kPodInfoReply = 16;

bool Simple(PodLink& link, char letter, size_t replyBytes, uint32_t timeoutMs) {
    return link.Exchange(FrameText(letter).Finish(), replyBytes, timeoutMs);
}

bool Send(PodLink& link, const FrameText& frame, size_t replyBytes, uint32_t timeoutMs) {
    if (!frame.ok()) return false;
    return link.Exchange(frame.Finish(), replyBytes, timeoutMs);
}

// The five version characters as text up to the first zero byte; "KVL" and
// two decimal digits give their value, anything else 0.
uint16_t ParseVersion(const std::array<uint8_t, kVersionReply - 1>& chars) {
    const auto* first = reinterpret_cast<const char*>(chars.data());
    const std::string_view text(first, strnlen(first, chars.size()));
    if (text.size() != 5 || text.substr(0, 3) != "KVL") return 0;
    const char tens = text[3];
    const char ones = text[4];
    if (tens < '0' || tens > '9' || ones < '0' || ones > '9') return 0;
    return static_cast<uint16_t>((tens - '0') * 10 + (ones - '0'));
}

}  // namespace

bool IdentifyPod(PodLink& link) { return Simple(link, 'I', 1, kShortReplyMs); }

bool QueryPodVersion(PodLink& link, uint16_t& firmwareVersion) {
    firmwareVersion = 0;
    std::array<uint8_t, kVersionReply - 1> chars{};
    if (!link.Exchange(FrameText('?').Finish(), kVersionReply, kShortReplyMs, chars)) return false;
    firmwareVersion = ParseVersion(chars);
    return true;
}

bool ReadPodInfo(PodLink& link, PodFileRecord& record) {
    record.bytes.fill(0);
    PodFileRecord read;
    if (!link.Exchange(FrameText('J').Finish(), kPodInfoReply, kShortReplyMs, read.bytes)) return false;
    record = read;
    return true;
}

bool ResetTarget(PodLink& link) {
    if (!Simple(link, 'R', 1, kResetMs)) return false;
    // Whatever the pod sent after its '!' belongs to the target that was
    // just reset; none of it may be taken for the next command's reply.
    link.PurgePod();
    return true;
}

// Device codes and the CSM option go out as "%X" fields that the pod reads
// as one digit each, so they are written with a width of 1.
bool StartBootLf240x(PodLink& link, uint8_t deviceCode) {
    return Send(link, FrameText('M').Hex(deviceCode, 1), 1, kBootLf240xMs);
}

bool StartBootF281x(PodLink& link, uint8_t deviceCode) {
    return Send(link, FrameText('N').Hex(deviceCode, 1), 1, kBootF281xMs);
}

bool SendCsmKeys(PodLink& link, bool unlock, const CsmKeyTable& keys) {
    return Send(link, FrameText('K').Hex(unlock ? 1 : 0, 1).Text(CsmKeyText(unlock, keys)), 1, kAlgorithmMs);
}

bool InitFlash(PodLink& link, uint32_t timeoutMs) {
    return Send(link, FrameText('O').Hex(static_cast<uint8_t>(FlashOp::InitFlash), 2), 1, timeoutMs);
}

bool EraseSectors(PodLink& link, uint16_t sectorMask, uint32_t timeoutMs) {
    FrameText frame('O');
    frame.Hex(static_cast<uint8_t>(FlashOp::EraseSectors), 2).Hex(sectorMask, 4);
    return Send(link, frame, 1, timeoutMs);
}

bool ProgramBlock(PodLink& link, uint32_t wordAddress, uint16_t wordCount, uint32_t timeoutMs) {
    FrameText frame('O');
    frame.Hex(static_cast<uint8_t>(FlashOp::ProgramBlock), 2).Hex(wordAddress, 6).Hex(wordCount, 4);
    return Send(link, frame, 1, timeoutMs);
}

std::string CsmKeyText(bool unlock, const CsmKeyTable& keys) {
    std::string text;
    for (uint16_t key : keys) AppendHex(text, unlock ? key : 0xFFFF, 4);
    return text;
}

}  // namespace nembra
