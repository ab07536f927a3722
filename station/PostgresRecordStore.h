#pragma once
#include <memory>
#include <string>

#include "station/SqlRecordStore.h"

namespace nembra::station {

// The record store on a PostgreSQL server that several stations share.
class PostgresRecordStore : public SqlRecordStore {
public:
    static std::unique_ptr<PostgresRecordStore> Open(const std::string& url, StoreStatus& status);

private:
    using SqlRecordStore::SqlRecordStore;
};

}  // namespace nembra::station
