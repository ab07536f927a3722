#include "cli/WritePlan.h"

#include "ops/ImageChecks.h"
#include "pod/TargetSequences.h"

namespace nembra::cli {
namespace {

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
    // The operations' own checks, so the plan refuses exactly what they would.
    if (auto refused = TargetWriteImageRefusal(image)) plan.targetWriteRefusal = refused->line;
    if (auto refused = PodImageRefusal(image, deviceType)) plan.podWriteRefusal = refused->line;
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
