#pragma once
#include <cstddef>
#include <string>

#include "files/BoundedLock.h"
#include "station/BoardRow.h"
#include "station/RecordStore.h"

namespace nembra::station {

// The rows a run could not write to its store, one JSON object a line in a
// private file beside the job, kept until the store answers again. Several
// processes may share it: every change happens under an flock that is
// waited for no longer than the patience allows.
class RecordSpool {
public:
    explicit RecordSpool(std::string path, LockPatience patience = {})
        : path_(std::move(path)), patience_(std::move(patience)) {}

    // "<job file>.spool.jsonl".
    static std::string PathFor(const std::string& jobFile);

    const std::string& path() const { return path_; }

    // Keeps a row (named with a new record id when it has none, so that a
    // replay that is repeated stores it once); false with the reason when it
    // cannot be written either.
    bool Append(const BoardRow& row, std::string& error);

    struct Replay {
        size_t written = 0;  // rows the store took and the spool let go
        size_t kept = 0;     // rows still in the spool
        StoreStatus status;  // the store's first refusal, if any
    };
    // Writes every kept row to the store, oldest first, stopping at the first
    // refusal; what was written leaves the spool, the rest stays, in order.
    // A missing spool is an empty one.
    Replay ReplayInto(RecordStore& store, std::string& error);

    // How many rows wait in the spool (0 when it is missing).
    size_t Pending() const;

private:
    std::string path_;
    LockPatience patience_;
};

// Writes the rows a former run left in the spool to the store, oldest
// first; says what it wrote and what still waits, empty when the spool is.
std::string ReplaySpool(RecordSpool& spool, RecordStore& store);

}  // namespace nembra::station
