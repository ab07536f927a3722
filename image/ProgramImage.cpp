#include "image/ProgramImage.h"

#include <algorithm>

namespace nembra {

ProgramImage::ProgramImage(ImageStore when) {
    if (when == ImageStore::MadeNow) MadeStore();
}

uint8_t* ProgramImage::MadeStore() {
    if (store_ == nullptr) {
        store_ = std::make_unique_for_overwrite<uint8_t[]>(kImageStoreBytes);
        // Unwritten memory reads as erased flash even before the first clear.
        std::fill_n(store_.get(), kImageStoreBytes, uint8_t{0xFF});
    }
    return store_.get();
}

uint8_t* ProgramImage::store() {
    written_ = kImageStoreBytes;
    return MadeStore();
}

void ProgramImage::WriteStore(uint32_t offset, std::span<const uint8_t> bytes) {
    if (offset >= kImageStoreBytes) return;
    const size_t count = std::min<size_t>(bytes.size(), kImageStoreBytes - offset);
    std::copy_n(bytes.data(), count, MadeStore() + offset);
    written_ = std::max(written_, static_cast<uint32_t>(offset + count));
}

void ProgramImage::EraseStore() {
    // A store not made yet reads as erased already.
    if (store_ != nullptr) std::fill_n(store_.get(), written_, uint8_t{0xFF});
    written_ = 0;
}

uint16_t ProgramImage::DataWord(const ImageSection& section, uint32_t index) const {
    const uint64_t at = uint64_t{section.storeOffset} + 2 * uint64_t{index};
    if (store_ == nullptr || at + 1 >= kImageStoreBytes) return 0xFFFF;
    return static_cast<uint16_t>(store_[at] | (store_[at + 1] << 8));
}

void ClearImage(ProgramImage& image, DeviceType deviceType) {
    image.EraseStore();
    image.totalBytes = 0;
    // The LF240xA family never computes a summary, so it keeps what it held.
    if (IsF281x(deviceType)) image.flashSummary = FlashSummary{};
    image.sections.clear();
}

}  // namespace nembra
