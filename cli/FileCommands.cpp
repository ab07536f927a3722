#include "cli/FileCommands.h"

#include <sstream>

#include "cli/ConsoleStatus.h"
#include "cli/HexExport.h"
#include "cli/ImageReport.h"
#include "cli/JobFromOptions.h"
#include "image/LoadCoffFile.h"
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

CommandOutcome Inspect(const CliOptions& options, const ProgramImage& image, DeviceType deviceType,
                       const std::string& loadLine) {
    CommandOutcome outcome;
    outcome.ok = true;
    outcome.messageIsError = false;
    outcome.message = loadLine;
    std::ostringstream report;
    const ImageDigests digests = DigestsOf(options, image);
    WriteImageReport(report, options.file, image, deviceType, digests);
    outcome.report = report.str();
    outcome.data = ImageJson(options.file, image, deviceType, digests);
    return outcome;
}

CommandOutcome Export(const CliOptions& options, const ProgramImage& image) {
    CommandOutcome outcome;
    const WordMap words = ImageWords(image);
    std::string error;
    if (!WriteHexFile(options.outputPath, words, error)) {
        outcome.message = error;
        return outcome;
    }
    outcome.ok = true;
    outcome.messageIsError = false;
    outcome.message = "Intel HEX written to " + options.outputPath + " (" + std::to_string(words.size()) + " words)";
    outcome.data = {{"file", options.file}, {"output", options.outputPath}, {"wordCount", words.size()}};
    return outcome;
}

}  // namespace

CommandOutcome RunFileCommand(const CliOptions& options, const ConsoleEnvironment& console) {
    SystemOpsClock clock;
    ConsoleStatus status(console.progressOut, console.interactive, clock, console.columns);
    ProgramImage image;
    DeviceType deviceType = options.device;
    ClearImage(image, deviceType);
    RecentFiles recentFiles;
    LoadContext load{image, deviceType, options.device, recentFiles, status};
    const LoadResult loaded = RunLoadCommand(load, options.file);
    status.Finish();
    if (!image.imageLoaded) {
        CommandOutcome failed;
        failed.message = loaded.line.empty() ? "The file was not read" : loaded.line;
        failed.failure = StepOutcome::Failed(Step::Load, LinkOutcome::Of(Cause::LoadFailed));
        return failed;
    }
    return options.command == Command::Inspect ? Inspect(options, image, deviceType, loaded.line)
                                               : Export(options, image);
}

}  // namespace nembra::cli
