#include "image/ProgramLoad.h"

#include <new>

#include "image/ImageBuilder.h"
#include "image/ImageRules.h"

namespace nembra {

LoadFault ReadProgramBytes(std::span<const uint8_t> bytes, const FormatEntry& format, DeviceType deviceType,
                           ProgramImage& image) {
    try {
        ImageBuilder builder(image, deviceType, format);
        if (LoadFault fault = format.read(bytes, builder); !fault.ok()) return fault;
        builder.Finish();
        return {};
    } catch (const std::bad_alloc&) {
        return {CoffResult::MemoryError};
    }
}

LoadFault LoadProgramBytes(std::span<const uint8_t> bytes, DeviceType deviceType, ProgramImage& image) {
    const FormatEntry& format = FormatFor(ProgramFormatOf(bytes));
    if (LoadFault fault = ReadProgramBytes(bytes, format, deviceType, image); !fault.ok()) return fault;
    try {
        // Whatever the format, the image must fit the device before a pod sees it.
        if (const RuleBreak broken = CheckImageRules(image.sections, deviceType); broken.rule != ImageRule::None) {
            LoadFault fault{CoffResult::RuleBroken};
            fault.rule = broken;
            return fault;
        }
    } catch (const std::bad_alloc&) {
        return {CoffResult::MemoryError};
    }
    ComputeFlashSummary(image, deviceType);
    return {};
}

}  // namespace nembra
