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

LinkOutcome Simple(PodLink& link, char letter, size_t replyBytes, uint32_t timeoutMs) {
    return link.Exchange(FrameText(letter).Finish(), replyBytes, timeoutMs);
}

LinkOutcome Send(PodLink& link, const FrameText& frame, size_t replyBytes, uint32_t timeoutMs) {
    if (!frame.ok()) return LinkOutcome::Of(Cause::Unsendable);
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

LinkOutcome IdentifyPod(PodLink& link) { return Simple(link, 'I', 1, kShortReplyMs); }

LinkOutcome QueryPodVersion(PodLink& link, uint16_t& firmwareVersion) {
    firmwareVersion = 0;
    std::array<uint8_t, kVersionReply - 1> chars{};
    const LinkOutcome answered = link.Exchange(FrameText('?').Finish(), kVersionReply, kShortReplyMs, chars);
    if (!answered) return answered;
    firmwareVersion = ParseVersion(chars);
    return answered;
}

LinkOutcome ReadPodInfo(PodLink& link, PodFileRecord& record) {
    record.bytes.fill(0);
    PodFileRecord read;
    const LinkOutcome answered = link.Exchange(FrameText('J').Finish(), kPodInfoReply, kShortReplyMs, read.bytes);
    if (!answered) return answered;
    record = read;
    return answered;
}

LinkOutcome ResetTarget(PodLink& link) {
    const LinkOutcome reset = Simple(link, 'R', 1, kResetMs);
    if (!reset) return reset;
    // Whatever the pod sent after its '!' belongs to the target that was
    // just reset; none of it may be taken for the next command's reply.
    link.PurgePod();
    return reset;
}

// Device codes and the CSM option go out as "%X" fields that the pod reads
// as one digit each, so they are written with a width of 1.
LinkOutcome StartBootLf240x(PodLink& link, uint8_t deviceCode) {
    return Send(link, FrameText('M').Hex(deviceCode, 1), 1, kBootLf240xMs);
}

LinkOutcome StartBootF281x(PodLink& link, uint8_t deviceCode) {
    return Send(link, FrameText('N').Hex(deviceCode, 1), 1, kBootF281xMs);
}

LinkOutcome SendCsmKeys(PodLink& link, bool unlock, const CsmKeyTable& keys) {
    return Send(link, FrameText('K').Hex(unlock ? 1 : 0, 1).Text(CsmKeyText(unlock, keys)), 1, kAlgorithmMs);
}

LinkOutcome InitFlash(PodLink& link, uint32_t timeoutMs) {
    return Send(link, FrameText('O').Hex(static_cast<uint8_t>(FlashOp::InitFlash), 2), 1, timeoutMs);
}

LinkOutcome EraseSectors(PodLink& link, uint16_t sectorMask, uint32_t timeoutMs) {
    FrameText frame('O');
    frame.Hex(static_cast<uint8_t>(FlashOp::EraseSectors), 2).Hex(sectorMask, 4);
    return Send(link, frame, 1, timeoutMs);
}

LinkOutcome ProgramBlock(PodLink& link, uint32_t wordAddress, uint16_t wordCount, uint32_t timeoutMs) {
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
