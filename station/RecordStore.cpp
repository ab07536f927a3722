#include "station/RecordStore.h"

#include <cstdlib>
#include <filesystem>

#include "station/JobFile.h"
#include "station/PostgresConnection.h"
#include "station/PostgresRecordStore.h"
#include "station/SqliteRecordStore.h"

namespace nembra::station {

std::string DefaultStorePath() {
    const char* data = std::getenv("XDG_DATA_HOME");
    std::filesystem::path folder;
    if (data != nullptr && *data == '/') {
        folder = data;
    } else {
        const char* home = std::getenv("HOME");
        folder = std::filesystem::path(home != nullptr && *home ? home : ".") / ".local" / "share";
    }
    return (folder / "nembra" / "records.sqlite").string();
}

std::string StoreLocation(const std::string& store, const std::string& jobFile) {
    if (store.empty()) return DefaultStorePath();
    if (IsPostgresUrl(store)) return store;
    return JobPath(jobFile, store);
}

std::unique_ptr<RecordStore> OpenRecordStore(const std::string& location, StoreStatus& status) {
    if (IsPostgresUrl(location)) return PostgresRecordStore::Open(location, status);
    return SqliteRecordStore::Open(location, status);
}

}  // namespace nembra::station
