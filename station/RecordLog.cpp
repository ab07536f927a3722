#include "station/RecordLog.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "files/PrivateFile.h"

namespace nembra::station {

RecordLog::~RecordLog() {
    if (fd_ >= 0) ::close(fd_);
}

std::string RecordLog::InUse(const std::string& path) { return InUseText("The log file " + path); }

// Made 0600 when missing (a log that exists keeps its mode: a station may
// share one with its group) and never through a symbolic link. A lock that
// another process holds past the wait fails the command before any pod is
// touched, rather than after a board has been programmed.
bool RecordLog::Open(const std::string& path, const LockPatience& patience, std::string& error) {
    fd_ = OpenPrivateFile(path, O_WRONLY | O_APPEND, ExistingFile::Keep);
    if (fd_ < 0) {
        error = "Cannot open the log file " + path + ": " + OpenFailureText(path, errno);
        return false;
    }
    path_ = path;
    patience_ = patience;
    const LockResult lock = LockWithin(fd_, patience_);
    if (lock == LockResult::Locked) {
        ::flock(fd_, LOCK_UN);
        return true;
    }
    error = lock == LockResult::Busy ? InUse(path) : "Cannot open the log file " + path + ": " + std::strerror(errno);
    ::close(fd_);
    fd_ = -1;
    return false;
}

bool RecordLog::Append(const std::string& line, std::string& error) {
    const std::string record = line + "\n";
    const LockResult lock = fd_ >= 0 ? LockWithin(fd_, patience_) : LockResult::Failed;
    if (lock == LockResult::Busy) {
        error = InUse(path_);
        return false;
    }
    bool ok = lock == LockResult::Locked;
    if (ok) {
        const ssize_t written = ::write(fd_, record.data(), record.size());
        ok = written == static_cast<ssize_t>(record.size()) && ::fdatasync(fd_) == 0;
        ::flock(fd_, LOCK_UN);
    }
    if (!ok) error = "Cannot write the log file " + path_ + ": " + std::strerror(errno);
    return ok;
}

}  // namespace nembra::station
