#include <array>

#include "pod/PodCommands.h"
#include "pod/PodCommandsFrame.h"

namespace nembra {

namespace {

constexpr uint32_t kRecordMs = 200;
constexpr uint32_t kPageMs = 3000;
constexpr size_t kImageRecordReply = 7;
constexpr size_t kPasswordReply = 17;
constexpr size_t kSectionReply = 10;

LinkOutcome Send(PodLink& link, const FrameText& frame, size_t replyBytes, uint32_t timeoutMs) {
    if (!frame.ok()) return LinkOutcome::Of(Cause::Unsendable);
    return link.Exchange(frame.Finish(), replyBytes, timeoutMs);
}

uint32_t ReadBigEndian24(const uint8_t* bytes) {
    return (uint32_t{bytes[0]} << 16) | (uint32_t{bytes[1]} << 8) | bytes[2];
}

LinkOutcome PageCommand(PodLink& link, char letter, uint16_t page, uint16_t byteCount) {
    return Send(link, FrameText(letter).Hex(page, 4).Hex(byteCount, 4), 1, kPageMs);
}

}  // namespace

LinkOutcome BeginSerialFlashAccess(PodLink& link) { return Send(link, FrameText('G'), 0, 0); }

LinkOutcome EndSerialFlashAccess(PodLink& link) { return Send(link, FrameText('H'), 0, 0); }

void AbortSerialFlashAccess(PodLink& link) { static_cast<void>(Send(link, FrameText('i'), 0, 0)); }

LinkOutcome SendSectionRecord(PodLink& link, uint8_t sequence, uint32_t address, uint32_t wordCount,
                              uint32_t dataOffset) {
    FrameText frame('V');
    frame.Hex(sequence, 2).Hex(address, 6).Hex(wordCount, 6).Hex(dataOffset, 6);
    return Send(link, frame, 1, kRecordMs);
}

LinkOutcome WriteSerialFlashPage(PodLink& link, uint16_t page, uint16_t byteCount) {
    return PageCommand(link, 'W', page, byteCount);
}

LinkOutcome VerifySerialFlashPage(PodLink& link, uint16_t page, uint16_t byteCount) {
    return PageCommand(link, 'L', page, byteCount);
}

LinkOutcome SendPasswordRecord(PodLink& link, const CsmKeyTable& keys) {
    return Send(link, FrameText('P').Text(CsmKeyText(true, keys)), 1, kRecordMs);
}

LinkOutcome SendTagRecord(PodLink& link, const TagRecord& tag) {
    FrameText frame('T');
    for (uint8_t byte : tag) frame.Hex(byte, 2);
    return Send(link, frame, 1, kRecordMs);
}

LinkOutcome SendImageRecord(PodLink& link, uint8_t deviceCode, uint8_t csmOption, uint16_t sectorMask,
                            uint8_t sectionCount) {
    // Both "%X" fields must stay single digits, or the pod would read the
    // record shifted.
    FrameText frame('Q');
    frame.Hex(deviceCode, 1).Hex(csmOption, 1).Hex(sectorMask, 4).Hex(sectionCount, 2);
    return Send(link, frame, 1, kRecordMs);
}

LinkOutcome ReadImageRecord(PodLink& link, ImageRecordReply& reply) {
    reply = {};
    std::array<uint8_t, kImageRecordReply - 1> bytes{};
    const LinkOutcome answered = link.Exchange(FrameText('h').Finish(), kImageRecordReply, kRecordMs, bytes);
    if (!answered) return answered;
    reply.storeMarker = bytes[0];
    reply.deviceCode = bytes[1];
    reply.csmOption = bytes[2];
    reply.unused1 = bytes[3];
    reply.unused2 = bytes[4];
    reply.sectionCount = bytes[5];
    return answered;
}

LinkOutcome ReadPasswordRecord(PodLink& link, CsmKeyTable& keys) {
    std::array<uint8_t, kPasswordReply - 1> bytes{};
    const LinkOutcome answered = link.Exchange(FrameText('g').Finish(), kPasswordReply, kRecordMs, bytes);
    if (!answered) return answered;
    for (size_t i = 0; i < keys.size(); ++i) keys[i] = static_cast<uint16_t>((bytes[2 * i] << 8) | bytes[2 * i + 1]);
    return answered;
}

LinkOutcome ReadSectionRecord(PodLink& link, uint8_t sequence, SectionRecordReply& reply) {
    reply = {};
    std::array<uint8_t, kSectionReply - 1> bytes{};
    const LinkOutcome answered =
        link.Exchange(FrameText('l').Hex(sequence, 2).Finish(), kSectionReply, kRecordMs, bytes);
    if (!answered) return answered;
    reply.address = ReadBigEndian24(bytes.data());
    reply.wordCount = ReadBigEndian24(bytes.data() + 3);
    reply.dataOffset = ReadBigEndian24(bytes.data() + 6);
    return answered;
}

}  // namespace nembra
