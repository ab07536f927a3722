#include "station/RecordSpool.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "files/PrivateFile.h"
#include "files/WriteAll.h"

namespace nembra::station {
namespace {

// Holds the spool's descriptor and its flock.
class LockedSpool {
public:
    LockedSpool(const std::string& path, int flags, const LockPatience& patience, std::string& error) {
        fd_ = OpenPrivateFile(path, flags, ExistingFile::MustNarrow);
        if (fd_ < 0) {
            error = "Cannot open the spool file " + path + ": " + OpenFailureText(path, errno);
            return;
        }
        const LockResult lock = LockWithin(fd_, patience);
        if (lock != LockResult::Locked) {
            error = lock == LockResult::Busy ? InUseText("The spool file " + path)
                                             : "Cannot lock the spool file " + path + ": " + std::strerror(errno);
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~LockedSpool() {
        if (fd_ >= 0) ::close(fd_);
    }
    LockedSpool(const LockedSpool&) = delete;
    LockedSpool& operator=(const LockedSpool&) = delete;
    int fd() const { return fd_; }

private:
    int fd_ = -1;
};

std::vector<std::string> ReadLines(int fd) {
    std::string text;
    char buffer[65536];
    ssize_t n = 0;
    ::lseek(fd, 0, SEEK_SET);
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, buffer + n);
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) lines.push_back(line);
    return lines;
}

}  // namespace

std::string RecordSpool::PathFor(const std::string& jobFile) { return jobFile + ".spool.jsonl"; }

bool RecordSpool::Append(const BoardRow& row, std::string& error) {
    LockedSpool spool(path_, O_WRONLY | O_APPEND, patience_, error);
    if (spool.fd() < 0) return false;
    // One write of one whole line: a reader never sees half a row.
    BoardRow named = row;
    if (named.recordId.empty()) named.recordId = NewRecordId();
    const std::string line = RowToJson(named).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    if (!WriteAll(spool.fd(), line) || ::fsync(spool.fd()) != 0) {
        error = "Cannot write the spool file " + path_ + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

RecordSpool::Replay RecordSpool::ReplayInto(RecordStore& store, std::string& error) {
    Replay replay;
    if (::access(path_.c_str(), F_OK) != 0) return replay;
    LockedSpool spool(path_, O_RDWR, patience_, error);
    if (spool.fd() < 0) {
        replay.status = {StoreCode::Failed, error};
        return replay;
    }
    const std::vector<std::string> lines = ReadLines(spool.fd());
    std::string rest;
    for (size_t i = 0; i < lines.size(); ++i) {
        const nlohmann::json json = nlohmann::json::parse(lines[i], nullptr, false);
        // A line that is not a row stays for a person to look at; once the
        // store refuses, every later row stays too, in order.
        const bool tried = !json.is_discarded() && replay.status.ok();
        if (tried) replay.status = store.Record(RowFromJson(json));
        if (tried && replay.status.ok()) {
            ++replay.written;
            continue;
        }
        rest += lines[i] + "\n";
        ++replay.kept;
    }
    if (replay.written == 0) return replay;
    if (::ftruncate(spool.fd(), 0) != 0 || ::lseek(spool.fd(), 0, SEEK_SET) != 0 || !WriteAll(spool.fd(), rest) ||
        ::fsync(spool.fd()) != 0)
        error = "Cannot rewrite the spool file " + path_ + ": " + std::strerror(errno);
    return replay;
}

size_t RecordSpool::Pending() const {
    const int fd = ::open(path_.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return 0;
    const size_t count = ReadLines(fd).size();
    ::close(fd);
    return count;
}

std::string ReplaySpool(RecordSpool& spool, RecordStore& store) {
    if (spool.Pending() == 0) return {};
    std::string error;
    const RecordSpool::Replay replay = spool.ReplayInto(store, error);
    std::string note;
    if (replay.written > 0)
        note = std::to_string(replay.written) + " record(s) from the spool " + spool.path() + " written to the store";
    if (replay.kept > 0)
        note += (note.empty() ? "" : "; ") + std::to_string(replay.kept) + " record(s) still wait in the spool " +
                spool.path() + ": " + (replay.status.message.empty() ? error : replay.status.message);
    return note;
}

}  // namespace nembra::station
