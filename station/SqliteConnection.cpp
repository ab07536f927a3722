#include "station/SqliteConnection.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "files/PrivateFile.h"

namespace nembra::station {
namespace {

// SQLite takes ?NNN where the store writes $NNN.
std::string SqliteParams(const std::string& sql) {
    std::string out = sql;
    for (size_t i = 0; i + 1 < out.size(); ++i)
        if (out[i] == '$' && out[i + 1] >= '0' && out[i + 1] <= '9') out[i] = '?';
    return out;
}

// A file that holds something else (a program named by mistake) is left as
// it is, its mode included: SQLite would refuse it only after the open.
bool HoldsSomethingElse(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    char header[16] = {};
    const ssize_t n = ::read(fd, header, sizeof header);
    ::close(fd);
    static constexpr char kMagic[16] = "SQLite format 3";  // and its terminating zero
    return n > 0 && (n < 16 || std::memcmp(header, kMagic, sizeof kMagic) != 0);
}

// The database and its WAL and shared-memory files take the database
// file's mode, so making it 0600 first keeps all three private.
bool MakePrivateFile(const std::string& path, std::string& error) {
    if (HoldsSomethingElse(path)) {
        error = "The file " + path + " is not an SQLite record store; it is left as it is";
        return false;
    }
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    std::error_code ec;
    if (!parent.empty() && !std::filesystem::exists(parent, ec)) {
        std::filesystem::create_directories(parent, ec);
        if (!ec) std::filesystem::permissions(parent, std::filesystem::perms::owner_all, ec);
    }
    const int fd = OpenPrivateFile(path, O_RDWR, ExistingFile::NarrowIfOwned);
    if (fd < 0) {
        error = "Cannot open the record store " + path + ": " + OpenFailureText(path, errno);
        return false;
    }
    ::close(fd);
    return true;
}

// Two connections switching a new file to WAL at the same moment both hold
// a shared lock and want an exclusive one; SQLite then answers one of them
// "database is locked" at once rather than calling its busy handler, since
// waiting could never end. Trying again after the statement has let its lock
// go lets the other switch first, and the switch becomes a no-op.
bool SwitchToWal(sqlite3* db, int busyMs, std::string& error) {
    constexpr int kRetryMs = 5;
    for (int waited = 0;; waited += kRetryMs) {
        const int code = sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
        if (code == SQLITE_OK) return true;
        if ((code != SQLITE_BUSY && code != SQLITE_LOCKED) || waited >= busyMs) {
            error = sqlite3_errmsg(db);
            return false;
        }
        sqlite3_sleep(kRetryMs);
    }
}

}  // namespace

std::unique_ptr<SqliteConnection> SqliteConnection::Open(const std::string& path, int busyMs, std::string& error) {
    if (!MakePrivateFile(path, error)) return nullptr;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW, nullptr) != SQLITE_OK) {
        error = "Cannot open the record store " + path + ": " + (db ? sqlite3_errmsg(db) : "out of memory");
        sqlite3_close(db);
        return nullptr;
    }
    std::unique_ptr<SqliteConnection> connection(new SqliteConnection(db));
    sqlite3_busy_timeout(db, busyMs);
    if (!SwitchToWal(db, busyMs, error)) {
        error = "Cannot open the record store " + path + ": " + error;
        return nullptr;
    }
    connection->Run("PRAGMA synchronous=FULL", {});
    return connection;
}

SqliteConnection::~SqliteConnection() { sqlite3_close(db_); }

SqlOutcome SqliteConnection::Run(const std::string& sql, const std::vector<SqlValue>& params) {
    SqlOutcome outcome;
    sqlite3_stmt* statement = nullptr;
    const std::string text = SqliteParams(sql);
    if (sqlite3_prepare_v2(db_, text.c_str(), static_cast<int>(text.size()), &statement, nullptr) != SQLITE_OK) {
        outcome.ok = false;
        outcome.error = sqlite3_errmsg(db_);
        return outcome;
    }
    for (size_t i = 0; i < params.size(); ++i) {
        const int at = static_cast<int>(i + 1);
        if (params[i])
            sqlite3_bind_text(statement, at, params[i]->c_str(), -1, SQLITE_TRANSIENT);
        else
            sqlite3_bind_null(statement, at);
    }
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
        SqlRow row;
        const int columns = sqlite3_column_count(statement);
        for (int c = 0; c < columns; ++c) {
            const unsigned char* cell = sqlite3_column_text(statement, c);
            if (cell == nullptr)
                row.emplace_back(std::nullopt);
            else
                row.emplace_back(std::string(reinterpret_cast<const char*>(cell)));
        }
        outcome.rows.push_back(std::move(row));
    }
    if (step != SQLITE_DONE) {
        outcome.ok = false;
        outcome.error = sqlite3_errmsg(db_);
    }
    sqlite3_finalize(statement);
    return outcome;
}

}  // namespace nembra::station
