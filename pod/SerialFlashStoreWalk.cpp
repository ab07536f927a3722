#include "pod/SerialFlashStoreWalk.h"

#include <algorithm>

#include "pod/SerialFlashStore.h"
#include "pod/WordBytes.h"

namespace nembra::serial_flash {

namespace {

constexpr uint32_t kField24Limit = 1u << 24;
constexpr uint32_t kMaxPages = 0x10000;

// The "V" fields are 24 bits wide and the sequence 8; a section that does not
// fit would go out as a malformed frame, so it is refused instead.
bool RecordFits(const ImageSection& section, size_t sequence) {
    return sequence <= 0xFF && section.address < kField24Limit && section.wordCount < kField24Limit &&
           section.dataOffset < kField24Limit;
}

StepOutcome SendWords(SequenceContext& ctx, const ImageSection& section, bool f281x, PageWalk& walk) {
    for (uint32_t i = 0; i < section.wordCount; ++i) {
        const uint16_t word = ctx.image.DataWord(section, i);
        if (const StepOutcome added = walk.AddWord(f281x ? SwapWordBytes(word) : word); !added) return added;
        ctx.progress.Advance();
    }
    return StepOutcome::Success();
}

}  // namespace

std::vector<const ImageSection*> StoredSections(const ProgramImage& image, bool f281x) {
    std::vector<const ImageSection*> stored;
    const size_t end =
        f281x ? static_cast<size_t>(std::max(image.flashSummary.flashSectionEnd, 0)) : image.sections.size();
    for (size_t i = 0; i < end && i < image.sections.size(); ++i)
        if (!f281x || image.sections[i].inFlash) stored.push_back(&image.sections[i]);
    return stored;
}

uint32_t StoredBytes(const ProgramImage& image, bool f281x) {
    return f281x ? image.flashSummary.flashBytes : image.totalBytes;
}

uint8_t StoredSectionCount(const ProgramImage& image, bool f281x) {
    const uint32_t count = f281x ? image.flashSummary.flashSectionCount : static_cast<uint32_t>(image.sectionCount());
    return static_cast<uint8_t>(count & 0xFF);
}

uint16_t StoredSectorMask(const ProgramImage& image, DeviceType deviceType, bool eraseAll) {
    if (!IsF281x(deviceType)) return 0;
    return EraseMask(deviceType, image.flashSummary.flashSectorMask, eraseAll);
}

StepOutcome AtSection(LinkOutcome link, size_t sequence) {
    return StepOutcome::Failed(Step::None, link, Where{Where::Kind::Section, static_cast<uint32_t>(sequence)});
}

PageWalk::PageWalk(SequenceContext& ctx, Mode mode, uint32_t streamBytes)
    : ctx_(ctx), mode_(mode), streamBytes_(streamBytes) {}

// A page ends after 264 bytes or with the stream; its words must all have
// reached the pod before it is committed.
StepOutcome PageWalk::AddWord(uint16_t value) {
    pageBytes_ += 2;
    sentBytes_ += 2;
    const bool pageEnds = pageBytes_ >= kSerialFlashPageBytes || sentBytes_ >= streamBytes_;
    if (const LinkOutcome sent = batch_.AddDataWord(ctx_.link, value, pageEnds); !sent) return AtPage(sent);
    return pageEnds ? ClosePage() : StepOutcome::Success();
}

StepOutcome PageWalk::Finish() {
    if (pageBytes_ == 0) return StepOutcome::Success();
    if (const LinkOutcome flushed = batch_.Flush(ctx_.link); !flushed) return AtPage(flushed);
    return ClosePage();
}

StepOutcome PageWalk::AtPage(LinkOutcome link) const {
    return StepOutcome::Failed(Step::None, link, Where{Where::Kind::Page, page_});
}

StepOutcome PageWalk::ClosePage() {
    if (page_ >= kMaxPages) return AtPage(LinkOutcome::Of(Cause::Unsendable));
    const auto page = static_cast<uint16_t>(page_);
    const auto bytes = static_cast<uint16_t>(pageBytes_);
    LinkOutcome closed = mode_ == Mode::Store ? WriteSerialFlashPage(ctx_.link, page, bytes)
                                              : VerifySerialFlashPage(ctx_.link, page, bytes);
    // The pod compares the page with its stored one and acknowledges only
    // when they are equal: its refusal means the page differs.
    if (mode_ == Mode::Compare && closed.cause == Cause::Refused) closed.cause = Cause::Differs;
    if (!closed) return AtPage(closed);
    ++page_;
    pageBytes_ = 0;
    return StepOutcome::Success();
}

StepOutcome WalkStoredData(SequenceContext& ctx, bool f281x, PageWalk::Mode mode) {
    const auto stored = StoredSections(ctx.image, f281x);
    uint32_t streamBytes = 0;
    for (const ImageSection* section : stored) streamBytes += 2 * section->wordCount;
    PageWalk walk(ctx, mode, streamBytes);
    for (size_t sequence = 0; sequence < stored.size(); ++sequence) {
        const ImageSection& section = *stored[sequence];
        if (mode == PageWalk::Mode::Store) {
            if (!RecordFits(section, sequence)) return AtSection(LinkOutcome::Of(Cause::Unsendable), sequence);
            // The record goes out at once; "S" frames of the previous section
            // still in the batch follow with the next batch write.
            const LinkOutcome sent = SendSectionRecord(ctx.link, static_cast<uint8_t>(sequence), section.address,
                                                       section.wordCount, section.dataOffset);
            if (!sent) return AtSection(sent, sequence);
        }
        if (const StepOutcome added = SendWords(ctx, section, f281x, walk); !added) return added;
    }
    return walk.Finish();
}

}  // namespace nembra::serial_flash
