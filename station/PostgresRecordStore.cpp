#include "station/PostgresRecordStore.h"

#include "station/PostgresConnection.h"

namespace nembra::station {

std::unique_ptr<PostgresRecordStore> PostgresRecordStore::Open(const std::string& url, StoreStatus& status) {
    std::string error;
    std::unique_ptr<PostgresConnection> connection = PostgresConnection::Open(url, error);
    if (!connection) {
        status = {StoreCode::Unreachable, error};
        return nullptr;
    }
    std::unique_ptr<PostgresRecordStore> store(new PostgresRecordStore(std::move(connection), UrlForMessages(url)));
    status = store->Upgrade();
    if (!status.ok()) return nullptr;
    return store;
}

}  // namespace nembra::station
