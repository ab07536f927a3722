#include "cli/JobNewCommand.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "cli/JobCheckCommand.h"
#include "cli/OutcomeOutput.h"
#include "files/PrivateFile.h"
#include "files/WriteAll.h"
#include "station/FileDigest.h"
#include "station/JobFile.h"

namespace nembra::cli {
namespace {

// The program as the job names it: relative to the job file's folder.
std::string ProgramForJob(const std::string& program, const std::string& jobFile) {
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::absolute(jobFile, ec).parent_path();
    const std::filesystem::path relative = std::filesystem::absolute(program, ec).lexically_relative(folder);
    return relative.empty() ? program : relative.string();
}

// A new file is made in place (O_EXCL, never through a link); a replaced one
// is written beside it and renamed over it, which replaces a link itself
// rather than the file it points to.
bool WriteJobText(const std::string& path, const std::string& text, bool force, std::string& error) {
    const std::string target = force ? path + ".new" : path;
    if (force) ::unlink(target.c_str());
    const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = errno == EEXIST ? "The job file " + path + " exists; give --force to replace it"
                                : "Cannot create the job file " + target + ": " + OpenFailureText(target, errno);
        return false;
    }
    const bool written = WriteAll(fd, text) && ::fsync(fd) == 0;
    ::close(fd);
    if (written && (!force || std::rename(target.c_str(), path.c_str()) == 0)) return true;
    error = "Cannot write the job file " + path + ": " + std::generic_category().message(errno);
    ::unlink(target.c_str());
    return false;
}

}  // namespace

ExitStatus RunJobNewCommand(const CliOptions& options, std::ostream& out, std::ostream& err) {
    station::Job job = options.newJob.job;
    const std::string& path = options.file;
    if (job.name.empty()) job.name = std::filesystem::path(path).stem().string();
    job.program = ProgramForJob(options.newJob.program, path);
    job.programSha256 = station::FileSha256(options.newJob.program);
    CommandOutcome failed;
    if (job.programSha256.empty()) {
        failed.message = "Cannot read the program " + options.newJob.program + "; no job was written";
    } else if (WriteJobText(path, station::JobToToml(job), options.newJob.force, failed.message)) {
        err << "Wrote the job file " << path << "\n";
        CliOptions check = options;
        check.command = Command::JobCheck;
        return RunJobCheckCommand(check, out, err);
    }
    PrintOutcome(options, failed, out, err);
    return ExitStatus::Failed;
}

}  // namespace nembra::cli
