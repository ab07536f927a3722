#pragma once
#include <string>

namespace nembra::testing {

// A throw-away PostgreSQL server from the distribution's binaries: a
// cluster in a temporary folder, listening only on a Unix socket there. The
// server refuses to run as root, so under root the folder is handed to the
// "postgres" (or "nobody") user and the server runs as that user.
class PgServer {
public:
    // The folder holding initdb and pg_ctl (the newest version), or empty.
    static std::string BinaryFolder();

    PgServer() = default;
    ~PgServer();
    PgServer(const PgServer&) = delete;
    PgServer& operator=(const PgServer&) = delete;

    // Makes the cluster and starts the server; `durable` false turns fsync
    // off, which tests may do and benchmarks should not.
    bool Start(std::string& error, bool durable = false);
    bool Stop();
    bool Restart();

    // postgresql:///DATABASE?host=FOLDER&port=PORT&user=nembra
    std::string url(const std::string& database = "postgres") const;

private:
    bool Run(const std::string& command, const std::string& logName) const;

    std::string bin_;
    std::string folder_;
    std::string user_;  // empty: this process's user
    int port_ = 0;
    bool durable_ = false;
    bool running_ = false;
};

}  // namespace nembra::testing
