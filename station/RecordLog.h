#pragma once
#include <string>

#include "files/BoundedLock.h"

namespace nembra::station {

// The --log file, opened for appending before any pod is touched. Several
// processes may append at once: each record is one line written with one
// write() under an exclusive flock, so lines never interleave. The flock is
// waited for no longer than the patience allows.
class RecordLog {
public:
    RecordLog() = default;
    ~RecordLog();
    RecordLog(const RecordLog&) = delete;
    RecordLog& operator=(const RecordLog&) = delete;

    // False, with the reason, when the file cannot be opened for appending
    // or another process holds its lock for the whole wait.
    bool Open(const std::string& path, const LockPatience& patience, std::string& error);
    bool isOpen() const { return fd_ >= 0; }
    // Appends `line` and a newline; false, with the reason, when not all of it was written.
    bool Append(const std::string& line, std::string& error);

    // "The log file PATH is in use by another process".
    static std::string InUse(const std::string& path);

private:
    int fd_ = -1;
    std::string path_;
    LockPatience patience_;
};

}  // namespace nembra::station
