// Feeds arbitrary bytes to the ELF reader and checks what a read promises:
// an error and no sections, or sections of whole words taken from inside the
// file, never claiming a file byte twice, within the 32-bit word space. Then
// the same bytes go through the ELF reader and the rules (see ImageChecks.h).
#include <cstdint>
#include <cstdlib>
#include <span>

#include "fuzz/ImageChecks.h"
#include "image/ElfReader.h"

namespace {

void CheckSections(std::span<const uint8_t> bytes, const nembra::ElfRead& read) {
    uint64_t totalWords = 0;
    for (const auto& section : read.sections) {
        const uint64_t count = section.words.size();
        if (count == 0 || section.fileOffset + 2 * count > bytes.size()) std::abort();
        if (section.loadAddress + count > (uint64_t{1} << 32)) std::abort();
        if (section.name.size() > nembra::kElfMaxNameBytes) std::abort();
        const uint8_t* at = bytes.data() + section.fileOffset;
        for (uint64_t i = 0; i < count; ++i)
            if (section.words[i] != (at[2 * i] | (at[2 * i + 1] << 8))) std::abort();
        totalWords += count;
    }
    if (2 * totalWords > bytes.size()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    const nembra::ElfRead read = nembra::ReadElf(bytes);
    if (read.error) {
        if (!read.sections.empty() || nembra::ElfErrorMessage(*read.error).empty()) std::abort();
    } else {
        CheckSections(bytes, read);
    }
    nembra::fuzz::ReadAndCheck(bytes, nembra::ProgramFormat::Elf);
    return 0;
}
