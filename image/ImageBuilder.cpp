#include "image/ImageBuilder.h"

#include "image/SectionRules.h"

namespace nembra {
namespace {

// The flash summary and the pod's records count sections in 16 bits.
constexpr size_t kMostSections = 0xFFFF;

}  // namespace

LoadFault ImageBuilder::Family(DeviceFamily family) {
    if ((family == DeviceFamily::F281x) != IsF281x(deviceType_)) return format_.familyMismatch;
    return {};
}

LoadFault ImageBuilder::Begin() {
    ClearImage(image_, deviceType_);
    storeBytes_ = 0;
    return {};
}

LoadFault ImageBuilder::Section(const FoundSection& found) {
    if (IsDroppedSection(found, deviceType_, format_.namesSections)) return {};
    const uint64_t bytes = 2 * uint64_t{found.wordCount};
    if (storeBytes_ + bytes > kImageStoreBytes) return FaultAt(CoffResult::TooLarge, found.fileOffset);
    if (!found.unreadable.ok()) return found.unreadable;
    if (image_.sections.size() >= kMostSections) return FaultAt(format_.tooManySections, found.fileOffset);

    ImageSection section;
    section.name = std::string(found.name);
    section.address = found.address;
    section.wordCount = found.wordCount;
    section.dataOffset = storeBytes_;
    section.storeOffset = storeBytes_;
    MarkFlashRegion(section, deviceType_);
    image_.WriteStore(storeBytes_, found.bytes);
    storeBytes_ += static_cast<uint32_t>(bytes);
    image_.sections.push_back(std::move(section));
    return {};
}

void ImageBuilder::Finish() {
    if (!image_.sections.empty()) image_.totalBytes = storeBytes_;
}

}  // namespace nembra
