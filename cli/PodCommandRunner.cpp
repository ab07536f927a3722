#include "cli/PodCommandRunner.h"

#include <fstream>
#include <memory>

#include "cli/AccessHint.h"
#include "cli/CliPanel.h"
#include "cli/ConsoleStatus.h"
#include "cli/PodInfoJson.h"
#include "ops/Operations.h"
#include "pod/ProtocolTrace.h"

namespace nembra::cli {
namespace {

void RunOperation(Command command, OperationContext& ctx) {
    switch (command) {
        case Command::Write: RunTargetWrite(ctx); break;
        case Command::Reset: RunTargetReset(ctx); break;
        case Command::Info: RunPodInfo(ctx); break;
        case Command::PodWrite: RunPodWrite(ctx); break;
        case Command::PodVerify: RunPodVerify(ctx); break;
        case Command::Inspect:
        case Command::Export: break;
    }
}

// Output files are opened before the pod is touched, so that a path that
// cannot be written stops the command before it changes anything.
struct OutputFiles {
    std::ofstream trace;
    std::ofstream targetHex;
    std::string error;
};

bool OpenOutput(std::ofstream& stream, const std::string& path, const char* what, std::string& error) {
    if (path.empty()) return true;
    stream.open(path, std::ios::binary | std::ios::trunc);
    if (stream) return true;
    error = std::string("Cannot create the ") + what + " file " + path;
    return false;
}

nlohmann::ordered_json CommandData(const CliOptions& options, const Session& session, bool ok) {
    nlohmann::ordered_json data = nlohmann::ordered_json::object();
    if (options.command != Command::Reset && options.command != Command::Info) data["file"] = options.file;
    if (options.command == Command::PodWrite) data["podFileName"] = session.eepFileName;
    if (options.command == Command::Info && ok)
        data.update(PodInfoJson(session.firmwareVersion, session.podFileRecord));
    return data;
}

void WriteTargetHex(const CliOptions& options, PodBackend& backend, std::ofstream& out, CommandOutcome& outcome) {
    if (options.simTargetHexPath.empty() || backend.simPod() == nullptr) return;
    backend.simPod()->WriteTargetHex(out);
    out.flush();
    if (!out) outcome.followUp = "Cannot write the target memory file " + options.simTargetHexPath;
    if (!out) outcome.ok = false;
}

}  // namespace

CommandOutcome RunPodCommand(const CliOptions& options, PodBackend& backend, const ConsoleEnvironment& console) {
    CommandOutcome outcome;
    OutputFiles files;
    if (!OpenOutput(files.trace, options.tracePath, "trace", files.error) ||
        !OpenOutput(files.targetHex, options.simTargetHexPath, "target memory", files.error)) {
        outcome.message = files.error;
        return outcome;
    }
    ProtocolTrace trace(files.trace);
    Session session(backend.loader(), backend.linkClock());
    if (!options.tracePath.empty()) session.link.SetObserver(&trace);
    CliPanel panel(options);
    ConsoleStatus status(console.progressOut, console.interactive, backend.opsClock(), console.columns);
    OperationContext ctx{session, panel, status, backend.opsClock()};

    session.link.LoadDriverLibrary();
    RunOperation(options.command, ctx);
    status.Finish();
    session.link.ClosePod();
    session.link.UnloadDriverLibrary();
    session.link.SetObserver(nullptr);

    outcome.ok = status.hasLine() && !status.lastIsError();
    outcome.messageIsError = !outcome.ok;
    outcome.message = status.hasLine() ? status.lastText() : "The operation ended without a result";
    if (!outcome.ok) outcome.hint = AccessHint(session.link.lastOpenFailure());
    outcome.data = CommandData(options, session, outcome.ok);
    files.trace.flush();
    if (!options.tracePath.empty() && !files.trace) {
        outcome.followUp = "Cannot write the trace file " + options.tracePath;
        outcome.ok = false;
    }
    WriteTargetHex(options, backend, files.targetHex, outcome);
    return outcome;
}

}  // namespace nembra::cli
