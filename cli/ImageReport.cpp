#include "cli/ImageReport.h"

#include <cstdarg>
#include <cstdio>

#include "station/WritePlan.h"

namespace nembra::cli {
namespace {

std::string Hex(uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
}

std::string Row(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Row(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list sizing;
    va_copy(sizing, args);
    const int length = std::vsnprintf(nullptr, 0, format, sizing);
    va_end(sizing);
    std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    if (length > 0) std::vsnprintf(text.data(), text.size() + 1, format, args);
    va_end(args);
    return text;
}

std::string CrcText(std::optional<uint32_t> crc) {
    if (!crc) return "-";
    char text[16];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(*crc));
    return text;
}

nlohmann::ordered_json CrcJson(std::optional<uint32_t> crc) {
    if (!crc) return nullptr;
    return CrcText(crc);
}

using station::WritePlan;

// "A, B, C" for the set bits, or "none".
std::string SectorLetters(uint16_t mask) {
    std::string letters;
    for (int index = 0; index < 16; ++index) {
        if ((mask & (1u << index)) == 0) continue;
        if (!letters.empty()) letters += ", ";
        letters += SectorLetter(index);
    }
    return letters.empty() ? "none" : letters;
}

std::string MaskText(uint16_t mask) { return Hex(mask, 4) + " (" + SectorLetters(mask) + ")"; }

void WriteSections(std::ostream& out, const ProgramImage& image) {
    out << "Sections:\n";
    out << Row("  %-3s %-20s %-10s %-10s %-10s %-5s %s\n", "#", "Name", "Address", "Words", "Offset", "Flash",
               "Sectors");
    int index = 0;
    for (const ImageSection& s : image.sections) {
        out << Row("  %-3d %-20s %-10s %-10s %-10s %-5s %s\n", index++, s.name.c_str(), Hex(s.address, 6).c_str(),
                   Hex(s.wordCount, 4).c_str(), Hex(s.dataOffset, 6).c_str(), s.inFlash ? "yes" : "no",
                   s.inFlash ? MaskText(s.sectorMask).c_str() : "-");
    }
    out << Row("Totals:              %d sections, %u words (%u bytes)\n", image.sectionCount(), image.totalBytes / 2,
               image.totalBytes);
}

void WriteFlashSummary(std::ostream& out, const FlashSummary& f) {
    out << "Flash summary:\n";
    out << Row("  in flash:           %u sections, %u bytes, sectors %s\n", f.flashSectionCount, f.flashBytes,
               MaskText(f.flashSectorMask).c_str());
    out << Row("  last flash section: %d (index + 1)\n", f.flashSectionEnd);
    out << Row("  outside flash:      %u sections, %u bytes\n", f.nonFlashSectionCount, f.nonFlashBytes);
}

void WritePlanText(std::ostream& out, const WritePlan& plan) {
    out << "Target Write plan:\n";
    if (!plan.targetWriteRefusal.empty()) out << "  refused:            " << plan.targetWriteRefusal << "\n";
    if (plan.f281x) {
        out << "  intelligent erase:  sectors " << MaskText(plan.intelligentEraseMask) << "\n";
        out << "  erase all:          sectors " << MaskText(plan.eraseAllMask) << "\n";
    } else {
        out << "  erase:              none (the LF240xA sequence sends no erase command)\n";
    }
    out << Row("  words to flash:     %u\n", plan.flashWords);
    out << Row("  words to RAM:       %u\n", plan.ramWords);
    if (plan.skippedWords > 0)
        out << Row("  not written:        %u words of sections outside flash\n", plan.skippedWords);
    out << "POD Write:            ";
    if (plan.podWriteRefusal.empty())
        out << Row("accepted (%d of %d sections, %u of %u bytes)\n", plan.podSectionCount, 70, plan.podBytes, 0x80000u);
    else
        out << "refused: " << plan.podWriteRefusal << "\n";
}

}  // namespace

void WriteImageReport(std::ostream& out, const std::string& file, const ProgramImage& image, DeviceType deviceType,
                      const ImageDigests& digests) {
    const DeviceEntry& device = DeviceInfo(deviceType);
    out << "File:                 " << file << "\n";
    out << "SHA-256:              " << (digests.fileSha256.empty() ? "-" : digests.fileSha256) << "\n";
    out << "Words CRC-32:         Target Write " << CrcText(digests.targetWriteCrc32) << ", POD Write "
        << CrcText(digests.podWriteCrc32) << "\n";
    out << "Device:               " << device.listText << " (" << device.cliName << ", " << static_cast<int>(deviceType)
        << ")\n";
    out << "POD file name:        " << image.podFileName << "\n";
    WriteSections(out, image);
    if (IsF281x(deviceType)) WriteFlashSummary(out, image.flashSummary);
    WritePlanText(out, station::MakeWritePlan(image, deviceType));
}

nlohmann::ordered_json ImageJson(const std::string& file, const ProgramImage& image, DeviceType deviceType,
                                 const ImageDigests& digests) {
    nlohmann::ordered_json sections = nlohmann::ordered_json::array();
    for (const ImageSection& s : image.sections) {
        sections.push_back({{"name", s.name},
                            {"address", s.address},
                            {"wordCount", s.wordCount},
                            {"dataOffset", s.dataOffset},
                            {"inFlash", s.inFlash},
                            {"sectorMask", s.sectorMask}});
    }
    nlohmann::ordered_json summary = nullptr;
    if (IsF281x(deviceType)) {
        const FlashSummary& f = image.flashSummary;
        summary = {{"hasFlashSection", f.hasFlashSection},
                   {"flashSectorMask", f.flashSectorMask},
                   {"flashSectionCount", f.flashSectionCount},
                   {"flashSectionEnd", f.flashSectionEnd},
                   {"flashBytes", f.flashBytes},
                   {"nonFlashSectionCount", f.nonFlashSectionCount},
                   {"nonFlashBytes", f.nonFlashBytes}};
    }
    const WritePlan plan = station::MakeWritePlan(image, deviceType);
    nlohmann::ordered_json planJson = {{"intelligentEraseMask", plan.intelligentEraseMask},
                                       {"eraseAllMask", plan.eraseAllMask},
                                       {"flashWords", plan.flashWords},
                                       {"ramWords", plan.ramWords},
                                       {"skippedWords", plan.skippedWords},
                                       {"targetWriteAccepted", plan.targetWriteRefusal.empty()},
                                       {"podWriteAccepted", plan.podWriteRefusal.empty()},
                                       {"podWriteRefusal", plan.podWriteRefusal}};
    return {{"file", file},
            {"fileSha256",
             digests.fileSha256.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(digests.fileSha256)},
            {"wordsCrc32",
             {{"targetWrite", CrcJson(digests.targetWriteCrc32)}, {"podWrite", CrcJson(digests.podWriteCrc32)}}},
            {"deviceType", deviceType},
            {"podFileName", image.podFileName},
            {"totalBytes", image.totalBytes},
            {"sections", sections},
            {"flashSummary", summary},
            {"plan", planJson}};
}

}  // namespace nembra::cli
