#include "station/PodRun.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <memory>

#include "files/PrivateFile.h"
#include "image/LoadCoffFile.h"
#include "ops/Operations.h"
#include "pod/PodCommands.h"
#include "pod/ProtocolTrace.h"
#include "station/AccessHint.h"
#include "station/PodInfoJson.h"
#include "status/QuietStatus.h"

namespace nembra::station {
namespace {

// Output files are opened before the pod is touched, so that a path that
// cannot be written stops the command before it changes anything.
struct OutputFiles {
    std::ofstream trace;
    std::ofstream targetHex;
    std::string error;
};

// The trace holds the CSM keys of the "K" and "P" frames: it is made 0600
// (narrowed when it exists) before the stream truncates and writes it.
bool MakePrivate(const std::string& path, const char* what, std::string& error) {
    // Followed through a link as the other outputs are (--trace /dev/stderr).
    const int fd = OpenPrivateFile(path, O_WRONLY, ExistingFile::MustNarrow, Links::Followed);
    if (fd >= 0) {
        ::close(fd);
        return true;
    }
    error = std::string("Cannot create the ") + what + " file " + path + ": " + OpenFailureText(path, errno);
    return false;
}

bool OpenOutput(std::ofstream& stream, const std::string& path, const char* what, std::string& error,
                bool keysInside = false) {
    if (path.empty()) return true;
    if (keysInside && !MakePrivate(path, what, error)) return false;
    stream.open(path, std::ios::binary | std::ios::trunc);
    if (stream) return true;
    error = std::string("Cannot create the ") + what + " file " + path;
    return false;
}

nlohmann::ordered_json CommandData(const nembra::Job& job, const Session& session, bool ok) {
    nlohmann::ordered_json data = nlohmann::ordered_json::object();
    if (TakesFile(job.command)) data["file"] = job.filePath;
    if (job.command == nembra::JobCommand::PodWrite) data["podFileName"] = session.eepFileName;
    if (job.command == nembra::JobCommand::PodWrite && job.verify) data["verified"] = ok;
    if (job.command == nembra::JobCommand::PodInfo && ok)
        data.update(PodInfoJson(session.firmwareVersion, session.podFileRecord));
    return data;
}

void WriteTargetHex(const PodRequest& request, PodBackend& backend, std::ofstream& out, RunOutcome& outcome) {
    if (request.targetHexPath.empty() || backend.simPod() == nullptr) return;
    backend.simPod()->WriteTargetHex(out);
    out.flush();
    if (!out) outcome.followUp = "Cannot write the target memory file " + request.targetHexPath;
    if (!out) outcome.ok = false;
}

// The firmware version for the record: what POD Info read, else one "?" to
// the pod after the operation; none when the pod does not answer.
std::optional<uint16_t> FirmwareVersion(const PodRequest& request, OperationContext& ctx, StatusSink& quiet) {
    if (request.job.command == nembra::JobCommand::PodInfo) {
        if (ctx.session.firmwareVersion == 0) return std::nullopt;
        return ctx.session.firmwareVersion;
    }
    if (!request.readFirmwareVersion) return std::nullopt;
    PodLink& link = ctx.session.link;
    OperationContext probe{ctx.session, ctx.job, quiet, ctx.clock};
    uint16_t version = 0;
    const bool answered = ConnectPod(probe) && QueryPodVersion(link, version);
    link.ClosePod();
    if (!answered || version == 0) return std::nullopt;
    return version;
}

uint32_t ReadMs(OpsClock& clock) {
    uint32_t ms = 0;
    clock.ReadMs(ms);
    return ms;
}

}  // namespace

bool TakesFile(nembra::JobCommand command) {
    return command != nembra::JobCommand::TargetReset && command != nembra::JobCommand::PodInfo;
}

std::optional<RunOutcome> LoadSharedImage(const nembra::Job& job, ProgramImage& image, StatusSink& status) {
    DeviceType deviceType = static_cast<DeviceType>(job.device);
    RecentFiles recent;
    LoadContext load{image, deviceType, job.device, recent, status, [] {}};
    const LoadResult loaded = LoadCoffFile(load, Trim(job.filePath), false);
    if (loaded && image.imageLoaded) return std::nullopt;
    RunOutcome failed;
    failed.message = loaded.line.empty() ? "The file could not be loaded" : loaded.line;
    failed.failure = StepOutcome::Failed(Step::Load, LinkOutcome::Of(Cause::LoadFailed));
    return failed;
}

RunOutcome NoPodOutcome(const std::string& serial) {
    RunOutcome failed;
    failed.message = "No pod with the serial number " + serial + " is attached";
    failed.failure = StepOutcome::Failed(Step::Connect, LinkOutcome::Of(Cause::NoPod));
    return failed;
}

RunOutcome RunPod(const PodRequest& request, PodBackend& backend, StatusSink& status, const ProgramImage* sharedImage,
                  PodRunFacts& facts) {
    RunOutcome outcome;
    OutputFiles files;
    if (!OpenOutput(files.trace, request.tracePath, "trace", files.error, true) ||
        !OpenOutput(files.targetHex, request.targetHexPath, "target memory", files.error)) {
        outcome.message = files.error;
        return outcome;
    }
    ProtocolTrace trace(files.trace);
    // The pod reads the shared image and never loads its own.
    Session session(backend.loader(), backend.linkClock(),
                    sharedImage != nullptr ? ImageStore::MadeOnFirstUse : ImageStore::MadeNow);
    if (sharedImage != nullptr) session.deviceType = static_cast<DeviceType>(request.job.device);
    if (!request.tracePath.empty()) session.link.SetObserver(&trace);
    session.link.SetStopRequest(backend.stopRequest());
    session.link.SetPinnedSerial(backend.podSerial());
    OperationContext ctx{session, request.job, status, backend.opsClock(), sharedImage};

    const uint32_t startMs = ReadMs(backend.opsClock());
    session.link.LoadDriverLibrary();
    const OperationOutcome result = RunJob(ctx);
    facts.elapsedMs = ReadMs(backend.opsClock()) - startMs;
    QuietStatus quiet;
    facts.firmwareVersion = FirmwareVersion(request, ctx, quiet);
    session.link.ClosePod();
    session.link.UnloadDriverLibrary();
    session.link.SetObserver(nullptr);
    session.link.SetStopRequest(nullptr);

    outcome.ok = result.ok;
    outcome.messageIsError = result.lineIsError;
    outcome.message = result.line;
    outcome.failure = result.failure;
    if (!outcome.ok) {
        outcome.hint = session.link.loadFailure().empty() ? AccessHint(session.link.lastOpenFailure())
                                                          : DriverLoadHint(session.link.loadFailure(), request.driver);
    }
    outcome.data = CommandData(request.job, session, outcome.ok);
    files.trace.flush();
    if (!request.tracePath.empty() && !files.trace) {
        outcome.followUp = "Cannot write the trace file " + request.tracePath;
        outcome.ok = false;
    }
    WriteTargetHex(request, backend, files.targetHex, outcome);
    return outcome;
}

}  // namespace nembra::station
