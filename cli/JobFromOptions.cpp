#include "cli/JobFromOptions.h"

#include "ops/Operations.h"

namespace nembra::cli {

namespace {

JobCommand JobCommandOf(Command command) {
    switch (command) {
        case Command::Write: return JobCommand::TargetWrite;
        case Command::Reset: return JobCommand::TargetReset;
        case Command::Info: return JobCommand::PodInfo;
        case Command::PodWrite: return JobCommand::PodWrite;
        case Command::PodVerify: return JobCommand::PodVerify;
        case Command::Inspect:
        case Command::Export:
        case Command::List:
        case Command::JobCheck:
        case Command::JobNew:
        case Command::Records:
        case Command::Run: break;
    }
    return JobCommand::Load;
}

}  // namespace

Job JobFromOptions(const CliOptions& options) {
    Job job;
    job.command = JobCommandOf(options.command);
    job.device = static_cast<int>(options.device);
    job.filePath = options.file;
    job.eraseAll = options.eraseAll;
    job.unlockCsm = options.unlock;
    if (options.unlock)
        for (size_t n = 0; n < job.keys.size(); ++n) job.keys[n] = ParseKeyText(options.keys[n]);
    job.podFileName = options.podName;
    job.verify = options.verify;
    return job;
}

station::PodRequest RequestFromOptions(const CliOptions& options) {
    station::PodRequest request;
    request.job = JobFromOptions(options);
    request.tracePath = options.tracePath;
    request.targetHexPath = options.simTargetHexPath;
    request.readFirmwareVersion = !options.logPath.empty();
    request.driver = options.driver;
    return request;
}

}  // namespace nembra::cli
