#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "image/ProgramImage.h"
#include "station/FileDigest.h"
#include "station/PodRun.h"
#include "station/RunOutcome.h"

namespace nembra::station {

// What is the same for every pod of one run: the file's digest and the
// words the operation sends.
struct RunFacts {
    std::string fileSha256;              // lower-case hex; empty: no file or unreadable
    std::optional<uint32_t> wordsCrc32;  // CRC-32 of the words sent, each low byte first
    std::optional<uint16_t> eraseMask;   // the sectors the operation erases
};

// The words the job sends to the pod and the sectors it erases, from the loaded image.
RunFacts CommandFacts(const nembra::Job& job, const ProgramImage* image);

// The operation's name as the command line and the records spell it: "write", "pod-write", ...
const char* JobCommandName(nembra::JobCommand command);

// One record: UTC time, host, the tool and its version (`tool`), command,
// device, file, its SHA-256, the CRC-32 of the words sent, the erase mask,
// whether CSM keys were used (never the keys), the pod's serial number and
// firmware version, the result code, the final line, the elapsed time and
// the failing step, cause and where.
nlohmann::ordered_json BoardRecord(const nembra::Job& job, const std::string& tool, const RunFacts& run,
                                   const std::string& serial, const PodRunFacts& pod, const RunOutcome& outcome);

}  // namespace nembra::station
