// Feeds arbitrary bytes to the COFF reader as a file and checks what a
// successful read promises: every kept section lies inside the store, back to
// back, and the flash totals add up; and what the image rules promise: an
// image they pass lies in the device's memory, and a refusal is one line.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "image/CoffReader.h"
#include "image/ImageRules.h"

namespace {

// The reader takes a path, so each input is written to one scratch file.
const std::string& ScratchFile() {
    static const std::string path = [] {
        char name[] = "/tmp/nembra-fuzz-coff-XXXXXX";
        const int fd = ::mkstemp(name);
        if (fd < 0) std::abort();
        ::close(fd);
        return std::string(name);
    }();
    return path;
}

bool WriteScratch(const uint8_t* data, size_t size) {
    std::FILE* file = std::fopen(ScratchFile().c_str(), "wb");
    if (!file) return false;
    const bool ok = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && ok;
}

void CheckImage(const nembra::ProgramImage& image, nembra::DeviceType type) {
    uint64_t offset = 0;
    for (const auto& section : image.sections) {
        if (section.wordCount == 0 || section.storeOffset != offset) std::abort();
        offset += 2 * uint64_t{section.wordCount};
        if (!nembra::IsF281x(type) && (section.inFlash || section.sectorMask)) std::abort();
    }
    if (offset > nembra::kImageStoreBytes || offset != image.totalBytes) std::abort();
    if (!nembra::IsF281x(type)) return;
    const auto& sum = image.flashSummary;
    if (sum.flashBytes + sum.nonFlashBytes != image.totalBytes) std::abort();
    if (sum.flashSectionCount + sum.nonFlashSectionCount != image.sectionCount()) std::abort();
}

// No device has memory at or above 0x400000 words; the LF240xA has 16 bits.
void CheckRules(const nembra::ProgramImage& image, nembra::DeviceType type) {
    const nembra::RuleBreak broken = nembra::CheckImageRules(image.sections, type);
    if (broken.rule != nembra::ImageRule::None) {
        const std::string message = nembra::RuleBreakMessage(broken, image.sections, type);
        if (message.empty() || message.find('\n') != std::string::npos) std::abort();
        return;
    }
    const uint64_t top = nembra::IsF281x(type) ? 0x400000 : 0x10000;
    for (const auto& section : image.sections)
        if (uint64_t{section.address} + section.wordCount > top) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static nembra::ProgramImage image;
    if (!WriteScratch(data, size)) return 0;
    for (nembra::DeviceType type : {nembra::DeviceType{1}, nembra::DeviceType{2}, nembra::DeviceType{4}}) {
        if (nembra::ReadCoffFile(ScratchFile(), type, image) != nembra::CoffResult::Ok) continue;
        nembra::ComputeFlashSummary(image, type);
        CheckImage(image, type);
        CheckRules(image, type);
    }
    return 0;
}
