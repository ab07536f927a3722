#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "cli/CliOptions.h"
#include "cli/CommandOutcome.h"
#include "cli/PodCommandRunner.h"
#include "image/ProgramImage.h"
#include "station/FileDigest.h"

namespace nembra::cli {

// What is the same for every pod of one run: the file's digest and the
// words the command sends.
struct RunFacts {
    std::string fileSha256;              // lower-case hex; empty: no file or unreadable
    std::optional<uint32_t> wordsCrc32;  // CRC-32 of the words sent, each low byte first
    std::optional<uint16_t> eraseMask;   // the sectors the command erases
};

// The file's digest comes from the station library, which the job check shares.
using station::FileSha256;
// The words the command sends to the pod and the sectors it erases, from the loaded image.
RunFacts CommandFacts(const CliOptions& options, const ProgramImage* image);

// One JSON Lines record: UTC time, host, tool version, command, device, file,
// its SHA-256, the CRC-32 of the words sent, the erase mask, whether CSM
// keys were used (never the keys), the pod's serial number and firmware
// version, the result code, the final line and the elapsed time.
nlohmann::ordered_json BoardRecord(const CliOptions& options, const RunFacts& run, const std::string& serial,
                                   const PodRunFacts& pod, const CommandOutcome& outcome);

}  // namespace nembra::cli
