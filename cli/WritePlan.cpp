#include "cli/WritePlan.h"

#include <cstdio>

#include "ops/Operations.h"
#include "pod/TargetSequences.h"

namespace nembra::cli {
namespace {

constexpr const char* kNoSectionData = "The selected COFF file don't have valid section data";

// The checks POD Write and POD Verify make before they contact the pod, in
// their order, with their messages.
std::string PodWriteRefusal(const ProgramImage& image, bool f281x, int32_t sections, uint32_t bytes) {
    if (image.sectionCount() <= 0 || image.totalBytes == 0) return kNoSectionData;
    if (sections > kPodMaxSections) {
        char text[64];
        std::snprintf(text, sizeof text, "The supported section count is to %d", kPodMaxSections);
        return text;
    }
    if (bytes > kPodMaxBytes) return "The data size is bigger than serial flash size in KVL47Q POD";
    if (f281x && !image.flashSummary.hasFlashSection) return "There is no valid section for flash region";
    return {};
}

void PlanF281x(const ProgramImage& image, DeviceType deviceType, WritePlan& plan) {
    const FlashSummary& summary = image.flashSummary;
    plan.intelligentEraseMask = EraseMask(deviceType, summary.flashSectorMask, false);
    plan.eraseAllMask = EraseMask(deviceType, summary.flashSectorMask, true);
    if (summary.hasFlashSection) {
        plan.flashWords = summary.flashBytes / 2;
        plan.skippedWords = summary.nonFlashBytes / 2;
    } else {
        plan.ramWords = summary.nonFlashBytes / 2;
    }
    plan.podSectionCount = summary.flashSectionCount;
    plan.podBytes = summary.flashBytes;
}

}  // namespace

WritePlan MakeWritePlan(const ProgramImage& image, DeviceType deviceType) {
    WritePlan plan;
    plan.f281x = IsF281x(deviceType);
    if (plan.f281x) {
        PlanF281x(image, deviceType, plan);
    } else {
        // The pod's flash algorithm places every word of every section.
        plan.flashWords = image.totalBytes / 2;
        plan.podSectionCount = image.sectionCount();
        plan.podBytes = image.totalBytes;
    }
    if (image.sectionCount() <= 0 || image.totalBytes == 0) plan.targetWriteRefusal = kNoSectionData;
    plan.podWriteRefusal = PodWriteRefusal(image, plan.f281x, plan.podSectionCount, plan.podBytes);
    return plan;
}

std::string SectorLetters(uint16_t mask) {
    std::string letters;
    for (int index = 0; index < 16; ++index) {
        if ((mask & (1u << index)) == 0) continue;
        if (!letters.empty()) letters += ", ";
        letters += SectorLetter(index);
    }
    return letters.empty() ? "none" : letters;
}

}  // namespace nembra::cli
