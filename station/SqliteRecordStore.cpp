#include "station/SqliteRecordStore.h"

#include "station/SqliteConnection.h"

namespace nembra::station {

std::unique_ptr<SqliteRecordStore> SqliteRecordStore::Open(const std::string& path, StoreStatus& status) {
    std::string error;
    std::unique_ptr<SqliteConnection> connection = SqliteConnection::Open(path, kSqliteBusyMs, error);
    if (!connection) {
        status = {StoreCode::Unreachable, error};
        return nullptr;
    }
    std::unique_ptr<SqliteRecordStore> store(new SqliteRecordStore(std::move(connection), path));
    status = store->Upgrade();
    if (!status.ok()) return nullptr;
    return store;
}

}  // namespace nembra::station
