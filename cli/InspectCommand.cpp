#include "cli/InspectCommand.h"

#include <sstream>

#include "cli/CommandFile.h"
#include "cli/ImageReport.h"
#include "cli/JobFromOptions.h"
#include "station/BoardRecord.h"

namespace nembra::cli {
namespace {

// The digests a board record of either write command would carry.
ImageDigests DigestsOf(const CliOptions& options, const ProgramImage& image) {
    CliOptions write = options;
    write.command = Command::Write;
    const station::RunFacts targetWrite = station::CommandFacts(JobFromOptions(write), &image);
    write.command = Command::PodWrite;
    return {targetWrite.fileSha256, targetWrite.wordsCrc32,
            station::CommandFacts(JobFromOptions(write), &image).wordsCrc32};
}

CommandOutcome Inspect(const CliOptions& options, const LoadedFile& loaded) {
    CommandOutcome outcome;
    outcome.ok = true;
    outcome.messageIsError = false;
    outcome.message = loaded.line;
    std::ostringstream report;
    const ImageDigests digests = DigestsOf(options, loaded.image);
    WriteImageReport(report, options.file, loaded.image, loaded.deviceType, digests);
    outcome.report = report.str();
    outcome.data = ImageJson(options.file, loaded.image, loaded.deviceType, digests);
    return outcome;
}

}  // namespace

ExitStatus RunInspectCommand(const CliOptions& options, std::ostream& out, std::ostream& err,
                             const CliEnvironment& environment) {
    return RunOnFile(options, out, err, environment,
                     [&options](const LoadedFile& loaded) { return Inspect(options, loaded); });
}

}  // namespace nembra::cli
