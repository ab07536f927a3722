#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "pod/FrameBatch.h"
#include "pod/PodCommands.h"
#include "pod/TargetSequences.h"

namespace nembra::serial_flash {

// The sections the pod keeps: every section for LF240xA, the flash sections
// (within the first flashSectionEnd) for F281x.
std::vector<const ImageSection*> StoredSections(const ProgramImage& image, bool f281x);
// Bytes of the stored data stream.
uint32_t StoredBytes(const ProgramImage& image, bool f281x);
// The summary record's section count and sector mask.
uint8_t StoredSectionCount(const ProgramImage& image, bool f281x);
uint16_t StoredSectorMask(const ProgramImage& image, DeviceType deviceType, bool eraseAll);

// A failure at the stored section with this sequence number.
StepOutcome AtSection(LinkOutcome link, size_t sequence);

// Streams the stored data words as "S" frames, cut into 264-byte pages
// counted over the whole stream; each page is closed by "W" (store) or "L"
// (compare), which is the only acknowledged traffic of the data phase.
class PageWalk {
public:
    enum class Mode { Store, Compare };
    PageWalk(SequenceContext& ctx, Mode mode, uint32_t streamBytes);

    // Adds one word (already in the order the pod keeps it). A failure says
    // at which page; a page the pod does not acknowledge in Compare mode
    // differs from its stored page.
    StepOutcome AddWord(uint16_t value);
    // Closes a page left open (only when the stream ended on a short page).
    StepOutcome Finish();

private:
    StepOutcome ClosePage();
    StepOutcome AtPage(LinkOutcome link) const;

    SequenceContext& ctx_;
    Mode mode_;
    uint32_t streamBytes_;
    uint32_t sentBytes_ = 0;
    FrameBatch batch_;  // the walk's own, apart from the link's
    uint32_t page_ = 0;
    uint32_t pageBytes_ = 0;
};

// Sends the words of the stored sections through a page walk; in Store mode
// each section's record goes ahead of its words.
StepOutcome WalkStoredData(SequenceContext& ctx, bool f281x, PageWalk::Mode mode);

}  // namespace nembra::serial_flash
