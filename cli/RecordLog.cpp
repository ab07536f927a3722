#include "cli/RecordLog.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace nembra::cli {

RecordLog::~RecordLog() {
    if (fd_ >= 0) ::close(fd_);
}

bool RecordLog::Open(const std::string& path, std::string& error) {
    fd_ = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ >= 0) {
        path_ = path;
        return true;
    }
    error = "Cannot open the log file " + path + ": " + std::strerror(errno);
    return false;
}

bool RecordLog::Append(const std::string& line, std::string& error) {
    const std::string record = line + "\n";
    bool ok = fd_ >= 0 && ::flock(fd_, LOCK_EX) == 0;
    if (ok) {
        const ssize_t written = ::write(fd_, record.data(), record.size());
        ok = written == static_cast<ssize_t>(record.size()) && ::fdatasync(fd_) == 0;
        ::flock(fd_, LOCK_UN);
    }
    if (!ok) error = "Cannot write the log file " + path_ + ": " + std::strerror(errno);
    return ok;
}

}  // namespace nembra::cli
