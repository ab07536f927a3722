#include "cli/BoardRecord.h"

#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "cli/FailureFields.h"
#include "cli/HelpText.h"
#include "pod/SerialFlashStoreWalk.h"
#include "pod/TargetSequences.h"
#include "station/BoardRow.h"

namespace nembra::cli {
namespace {

// The sections whose words the command sends, in the order it sends them.
std::vector<const ImageSection*> SectionsSent(const CliOptions& options, const ProgramImage& image) {
    const bool f281x = IsF281x(options.device);
    if (options.command == Command::PodWrite || options.command == Command::PodVerify)
        return serial_flash::StoredSections(image, f281x);
    std::vector<const ImageSection*> sections;
    const bool flashOnly = f281x && image.flashSummary.hasFlashSection;
    for (const ImageSection& section : image.sections)
        if (!flashOnly || section.inFlash) sections.push_back(&section);
    return sections;
}

uint32_t WordsCrc(const std::vector<const ImageSection*>& sections, const ProgramImage& image) {
    uLong crc = crc32(0L, Z_NULL, 0);
    for (const ImageSection* section : sections) {
        const uint64_t end = uint64_t{section->storeOffset} + 2ull * section->wordCount;
        if (end > kImageStoreBytes) continue;
        crc = crc32(crc, image.store() + section->storeOffset, static_cast<uInt>(2ull * section->wordCount));
    }
    return static_cast<uint32_t>(crc);
}

std::optional<uint16_t> EraseMaskOf(const CliOptions& options, const ProgramImage& image) {
    if (!IsF281x(options.device)) return std::nullopt;
    if (options.command == Command::PodWrite)
        return serial_flash::StoredSectorMask(image, options.device, options.eraseAll);
    if (options.command == Command::Write && image.flashSummary.hasFlashSection)
        return EraseMask(options.device, image.flashSummary.flashSectorMask, options.eraseAll);
    return std::nullopt;
}

nlohmann::ordered_json HexOrNull(std::optional<uint32_t> value, int digits) {
    if (!value) return nullptr;
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, static_cast<unsigned>(*value));
    return text;
}

nlohmann::ordered_json TextOrNull(const std::string& text) {
    if (text.empty()) return nullptr;
    return text;
}

bool UsesKeys(const CliOptions& options) {
    return options.unlock && IsF281x(options.device) &&
           (options.command == Command::Write || options.command == Command::PodWrite);
}

}  // namespace

RunFacts CommandFacts(const CliOptions& options, const ProgramImage* image) {
    RunFacts facts;
    if (!TakesFile(options.command)) return facts;
    facts.fileSha256 = FileSha256(options.file);
    if (image == nullptr || !image->imageLoaded) return facts;
    facts.wordsCrc32 = WordsCrc(SectionsSent(options, *image), *image);
    facts.eraseMask = EraseMaskOf(options, *image);
    return facts;
}

nlohmann::ordered_json BoardRecord(const CliOptions& options, const RunFacts& run, const std::string& serial,
                                   const PodRunFacts& pod, const CommandOutcome& outcome) {
    const bool file = TakesFile(options.command);
    std::error_code ec;
    const std::string absolute = file ? std::filesystem::absolute(options.file, ec).string() : "";
    nlohmann::ordered_json record = {
        {"time", station::UtcTimeText()},
        {"host", station::StationName()},
        {"tool", kVersionText},
        {"command", CommandName(options.command)},
        {"device", DeviceInfo(options.device).cliName},
        {"file", file ? nlohmann::ordered_json(absolute) : nullptr},
        {"fileSha256", TextOrNull(run.fileSha256)},
        {"wordsCrc32", HexOrNull(run.wordsCrc32, 8)},
        {"eraseMask", HexOrNull(run.eraseMask, 4)},
        {"csmKeysUsed", UsesKeys(options)},
        {"podSerial", TextOrNull(serial)},
        {"firmwareVersion", pod.firmwareVersion ? nlohmann::ordered_json(*pod.firmwareVersion) : nullptr},
        {"result", outcome.ok ? 0 : 1},
        {"message", outcome.message},
        {"elapsedMs", pod.elapsedMs}};
    record.update(FailureFields(outcome.failure));
    return record;
}

}  // namespace nembra::cli
