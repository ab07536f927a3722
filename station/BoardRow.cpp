#include "station/BoardRow.h"

#include <pwd.h>
#include <unistd.h>

#include <ctime>
#include <random>

namespace nembra::station {
namespace {

template <typename T>
nlohmann::ordered_json OrNull(const std::optional<T>& value) {
    if (!value) return nullptr;
    return *value;
}

template <typename T>
void Take(const nlohmann::json& json, const char* key, T& into) {
    const auto it = json.find(key);
    if (it == json.end() || it->is_null()) return;
    try {
        into = it->get<T>();
    } catch (const nlohmann::json::exception&) {
        // A field of the wrong type keeps its default: the rest of the row still counts.
    }
}

template <typename T>
void TakeOptional(const nlohmann::json& json, const char* key, std::optional<T>& into) {
    T value{};
    const auto it = json.find(key);
    if (it == json.end() || it->is_null()) return;
    try {
        value = it->get<T>();
        into = value;
    } catch (const nlohmann::json::exception&) {
    }
}

}  // namespace

nlohmann::ordered_json RowToJson(const BoardRow& row) {
    return {{"time", row.time},
            {"host", row.host},
            {"tool", row.tool},
            {"command", row.command},
            {"device", row.device},
            {"file", OrNull(row.file)},
            {"fileSha256", OrNull(row.fileSha256)},
            {"wordsCrc32", OrNull(row.wordsCrc32)},
            {"eraseMask", OrNull(row.eraseMask)},
            {"csmKeysUsed", row.csmKeysUsed},
            {"podSerial", OrNull(row.podSerial)},
            {"firmwareVersion", OrNull(row.firmwareVersion)},
            {"result", row.result},
            {"message", row.message},
            {"elapsedMs", row.elapsedMs},
            {"job", row.job},
            {"station", row.station},
            {"operator", row.operatorName},
            {"boardSerial", OrNull(row.boardSerial)},
            {"step", row.step},
            {"cause", row.cause},
            {"recordId", row.recordId}};
}

BoardRow RowFromJson(const nlohmann::json& json) {
    BoardRow row;
    if (!json.is_object()) return row;
    Take(json, "time", row.time);
    Take(json, "host", row.host);
    Take(json, "tool", row.tool);
    Take(json, "command", row.command);
    Take(json, "device", row.device);
    TakeOptional(json, "file", row.file);
    TakeOptional(json, "fileSha256", row.fileSha256);
    TakeOptional(json, "wordsCrc32", row.wordsCrc32);
    TakeOptional(json, "eraseMask", row.eraseMask);
    Take(json, "csmKeysUsed", row.csmKeysUsed);
    TakeOptional(json, "podSerial", row.podSerial);
    TakeOptional(json, "firmwareVersion", row.firmwareVersion);
    Take(json, "result", row.result);
    Take(json, "message", row.message);
    Take(json, "elapsedMs", row.elapsedMs);
    Take(json, "job", row.job);
    Take(json, "station", row.station);
    Take(json, "operator", row.operatorName);
    TakeOptional(json, "boardSerial", row.boardSerial);
    Take(json, "step", row.step);
    Take(json, "cause", row.cause);
    Take(json, "recordId", row.recordId);
    return row;
}

std::string NewRecordId() {
    std::random_device random;
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string id;
    for (int i = 0; i < 4; ++i) {
        uint32_t bits = random();
        for (int d = 0; d < 8; ++d, bits >>= 4) id.push_back(kDigits[bits & 0xF]);
    }
    return id;
}

std::string UtcTimeText() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

std::string StationName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}

std::string OperatorName() {
    struct passwd entry {};
    struct passwd* found = nullptr;
    char buffer[1024];
    if (getpwuid_r(geteuid(), &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr) return found->pw_name;
    return {};
}

}  // namespace nembra::station
