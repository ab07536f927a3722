#include "station/WritePlan.h"

#include "ops/ImageChecks.h"
#include "pod/TargetSequences.h"

namespace nembra::station {
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

}  // namespace nembra::station
