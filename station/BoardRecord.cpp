#include "station/BoardRecord.h"

#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "pod/SerialFlashStoreWalk.h"
#include "pod/TargetSequences.h"
#include "station/BoardRow.h"
#include "station/FailureFields.h"

namespace nembra::station {
namespace {

// The sections whose words the command sends, in the order it sends them.
DeviceType DeviceOf(const nembra::Job& job) { return static_cast<DeviceType>(job.device); }

std::vector<const ImageSection*> SectionsSent(const nembra::Job& job, const ProgramImage& image) {
    const bool f281x = IsF281x(DeviceOf(job));
    if (job.command == nembra::JobCommand::PodWrite || job.command == nembra::JobCommand::PodVerify)
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

std::optional<uint16_t> EraseMaskOf(const nembra::Job& job, const ProgramImage& image) {
    if (!IsF281x(DeviceOf(job))) return std::nullopt;
    if (job.command == nembra::JobCommand::PodWrite)
        return serial_flash::StoredSectorMask(image, DeviceOf(job), job.eraseAll);
    if (job.command == nembra::JobCommand::TargetWrite && image.flashSummary.hasFlashSection)
        return EraseMask(DeviceOf(job), image.flashSummary.flashSectorMask, job.eraseAll);
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

bool UsesKeys(const nembra::Job& job) {
    return job.unlockCsm && IsF281x(DeviceOf(job)) &&
           (job.command == nembra::JobCommand::TargetWrite || job.command == nembra::JobCommand::PodWrite);
}

}  // namespace

RunFacts CommandFacts(const nembra::Job& job, const ProgramImage* image) {
    RunFacts facts;
    if (!TakesFile(job.command)) return facts;
    facts.fileSha256 = FileSha256(job.filePath);
    if (image == nullptr || !image->imageLoaded) return facts;
    facts.wordsCrc32 = WordsCrc(SectionsSent(job, *image), *image);
    facts.eraseMask = EraseMaskOf(job, *image);
    return facts;
}

const char* JobCommandName(nembra::JobCommand command) {
    switch (command) {
        case nembra::JobCommand::TargetWrite: return "write";
        case nembra::JobCommand::TargetReset: return "reset";
        case nembra::JobCommand::Load: return "load";
        case nembra::JobCommand::PodWrite: return "pod-write";
        case nembra::JobCommand::PodVerify: return "pod-verify";
        case nembra::JobCommand::PodInfo: return "info";
    }
    return "info";
}

nlohmann::ordered_json BoardRecord(const nembra::Job& job, const std::string& tool, const RunFacts& run,
                                   const std::string& serial, const PodRunFacts& pod, const RunOutcome& outcome) {
    const bool file = TakesFile(job.command);
    std::error_code ec;
    const std::string absolute = file ? std::filesystem::absolute(job.filePath, ec).string() : "";
    nlohmann::ordered_json record = {
        {"time", UtcTimeText()},
        {"host", StationName()},
        {"tool", tool},
        {"command", JobCommandName(job.command)},
        {"device", DeviceInfo(DeviceOf(job)).cliName},
        {"file", file ? nlohmann::ordered_json(absolute) : nullptr},
        {"fileSha256", TextOrNull(run.fileSha256)},
        {"wordsCrc32", HexOrNull(run.wordsCrc32, 8)},
        {"eraseMask", HexOrNull(run.eraseMask, 4)},
        {"csmKeysUsed", UsesKeys(job)},
        {"podSerial", TextOrNull(serial)},
        {"firmwareVersion", pod.firmwareVersion ? nlohmann::ordered_json(*pod.firmwareVersion) : nullptr},
        {"result", outcome.ok ? 0 : 1},
        {"message", outcome.message},
        {"elapsedMs", pod.elapsedMs}};
    record.update(FailureFields(outcome.failure));
    return record;
}

}  // namespace nembra::station
