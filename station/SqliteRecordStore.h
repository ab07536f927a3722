#pragma once
#include <memory>
#include <string>

#include "station/SqlRecordStore.h"

namespace nembra::station {

// How long a process waits for another one's write to an SQLite store.
inline constexpr int kSqliteBusyMs = 10000;

// The record store in an SQLite file (WAL, a busy timeout, mode 0600).
class SqliteRecordStore : public SqlRecordStore {
public:
    static std::unique_ptr<SqliteRecordStore> Open(const std::string& path, StoreStatus& status);

private:
    using SqlRecordStore::SqlRecordStore;
};

}  // namespace nembra::station
