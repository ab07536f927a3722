#include "tests/support/PgServer.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace nembra::testing {
namespace {

bool HasTools(const std::filesystem::path& bin) {
    return std::filesystem::exists(bin / "initdb") && std::filesystem::exists(bin / "pg_ctl") &&
           std::filesystem::exists(bin / "postgres");
}

std::string ServerUser() {
    for (const char* name : {"postgres", "nobody"})
        if (getpwnam(name) != nullptr) return name;
    return {};
}

}  // namespace

std::string PgServer::BinaryFolder() {
    const std::filesystem::path root = "/usr/lib/postgresql";
    std::error_code ec;
    std::filesystem::path best;
    int bestVersion = -1;
    for (const auto& entry : std::filesystem::directory_iterator(root, ec)) {
        const std::string name = entry.path().filename().string();
        const int version = std::atoi(name.c_str());
        if (version > bestVersion && HasTools(entry.path() / "bin")) {
            bestVersion = version;
            best = entry.path() / "bin";
        }
    }
    return best.string();
}

PgServer::~PgServer() {
    Stop();
    if (!folder_.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
}

bool PgServer::Run(const std::string& command, const std::string& logName) const {
    const std::string as = user_.empty() ? "" : "runuser -u " + user_ + " -- ";
    const std::string line = "cd / && " + as + command + " >>" + folder_ + "/" + logName + " 2>&1";
    return std::system(line.c_str()) == 0;
}

bool PgServer::Start(std::string& error, bool durable) {
    bin_ = BinaryFolder();
    if (bin_.empty()) {
        error = "PostgreSQL's server binaries are not installed (/usr/lib/postgresql/*/bin)";
        return false;
    }
    char pattern[] = "/tmp/nembra-pg-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        error = "cannot make a temporary folder";
        return false;
    }
    folder_ = pattern;
    durable_ = durable;
    port_ = 20000 + static_cast<int>(getpid() % 20000);
    if (geteuid() == 0) {
        user_ = ServerUser();
        const passwd* entry = user_.empty() ? nullptr : getpwnam(user_.c_str());
        if (entry == nullptr || chown(folder_.c_str(), entry->pw_uid, entry->pw_gid) != 0) {
            error = "no user to run the server as (postgres or nobody)";
            return false;
        }
    }
    if (!Run(bin_ + "/initdb -D " + folder_ + "/data -U nembra -A trust --no-locale -E UTF8 --no-sync", "initdb.log")) {
        error = "initdb failed; see " + folder_ + "/initdb.log";
        return false;
    }
    if (!Restart()) {
        error = "the server did not start; see " + folder_ + "/server.log";
        return false;
    }
    return true;
}

bool PgServer::Restart() {
    const std::string options =
        "-k " + folder_ + " -p " + std::to_string(port_) + " -c listen_addresses=''" + (durable_ ? "" : " -F");
    running_ = Run(
        bin_ + "/pg_ctl -D " + folder_ + "/data -l " + folder_ + "/server.log -o \"" + options + "\" -w -t 60 start",
        "pg_ctl.log");
    return running_;
}

bool PgServer::Stop() {
    if (!running_) return true;
    running_ = !Run(bin_ + "/pg_ctl -D " + folder_ + "/data -m fast -w -t 60 stop", "pg_ctl.log");
    return !running_;
}

std::string PgServer::url(const std::string& database) const {
    return "postgresql:///" + database + "?host=" + folder_ + "&port=" + std::to_string(port_) + "&user=nembra";
}

}  // namespace nembra::testing
