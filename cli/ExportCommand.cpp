#include "cli/ExportCommand.h"

#include "cli/CommandFile.h"
#include "cli/HexExport.h"

namespace nembra::cli {
namespace {

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

ExitStatus RunExportCommand(const CliOptions& options, std::ostream& out, std::ostream& err,
                            const CliEnvironment& environment) {
    return RunOnFile(options, out, err, environment,
                     [&options](const LoadedFile& loaded) { return Export(options, loaded.image); });
}

}  // namespace nembra::cli
