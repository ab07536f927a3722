#pragma once
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include <nlohmann/json.hpp>

#include "image/DeviceTypes.h"
#include "image/ProgramImage.h"

namespace nembra::cli {

// What identifies a program on a line: the file's SHA-256 and the CRC-32 of
// the words each write command sends, as the board records give them.
struct ImageDigests {
    std::string fileSha256;  // empty: unreadable
    std::optional<uint32_t> targetWriteCrc32;
    std::optional<uint32_t> podWriteCrc32;
};

// The human-readable inspect output: the digests, sections, totals, flash
// summary, pod file name and the write plan.
void WriteImageReport(std::ostream& out, const std::string& file, const ProgramImage& image, DeviceType deviceType,
                      const ImageDigests& digests);

// The same as one JSON object (the plan under "plan").
nlohmann::ordered_json ImageJson(const std::string& file, const ProgramImage& image, DeviceType deviceType,
                                 const ImageDigests& digests);

}  // namespace nembra::cli
