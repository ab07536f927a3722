#pragma once
#include <string>

namespace nembra::cli {

// The --log file, opened for appending before any pod is touched. Several
// processes may append at once: each record is one line written with one
// write() under an exclusive flock, so lines never interleave.
class RecordLog {
public:
    RecordLog() = default;
    ~RecordLog();
    RecordLog(const RecordLog&) = delete;
    RecordLog& operator=(const RecordLog&) = delete;

    // False, with the reason, when the file cannot be opened for appending.
    bool Open(const std::string& path, std::string& error);
    bool isOpen() const { return fd_ >= 0; }
    // Appends `line` and a newline; false, with the reason, when not all of it was written.
    bool Append(const std::string& line, std::string& error);

private:
    int fd_ = -1;
    std::string path_;
};

}  // namespace nembra::cli
