#include "image/ProgramImage.h"

#include <algorithm>

namespace nembra {

ProgramImage::ProgramImage(ImageStore when) {
    if (when == ImageStore::MadeNow) store();
}

uint8_t* ProgramImage::store() {
    if (store_ == nullptr) {
        store_ = std::make_unique_for_overwrite<uint8_t[]>(kImageStoreBytes);
        // Unwritten memory reads as erased flash even before the first clear.
        std::fill_n(store_.get(), kImageStoreBytes, uint8_t{0xFF});
    }
    return store_.get();
}

uint16_t ProgramImage::DataWord(const ImageSection& section, uint32_t index) const {
    const uint64_t at = uint64_t{section.storeOffset} + 2 * uint64_t{index};
    if (store_ == nullptr || at + 1 >= kImageStoreBytes) return 0xFFFF;
    return static_cast<uint16_t>(store_[at] | (store_[at + 1] << 8));
}

void ClearImage(ProgramImage& image, DeviceType deviceType) {
    std::fill_n(image.store(), kImageStoreBytes, uint8_t{0xFF});
    image.totalBytes = 0;
    // The LF240xA family never computes a summary, so it keeps what it held.
    if (IsF281x(deviceType)) image.flashSummary = FlashSummary{};
    image.sections.clear();
}

}  // namespace nembra
