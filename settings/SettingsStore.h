#pragma once
#include <QString>
#include <string>
#include <vector>

#include "image/DeviceTypes.h"
#include "pod/PodRecords.h"

namespace nembra {

// Everything kept from one run to the next.
struct StoredSettings {
    DeviceType deviceType = kDefaultDeviceType;
    uint32_t eraseAll = 0;
    uint32_t csmUnlock = 0;
    std::string browseFolder;
    std::string eepFileName;
    CsmKeyTable keys = kNoPassword;
    std::vector<std::string> recentFiles;
};

inline constexpr const char* kSettingsOrganisation = "Corvane";

// The per-user settings file (INI, sections "Main Configuration" and "File
// List"). It holds the CSM password, so it is kept readable by its owner
// only; every write replaces the file atomically, so a crash mid-write
// leaves the previous settings intact.
class SettingsStore {
public:
    explicit SettingsStore(QString filePath) : filePath_(std::move(filePath)) {}

    // Where the program of this name keeps its settings for this user.
    static QString DefaultFilePath(const QString& programName);

    // Missing values, values of the wrong kind and garbage read as defaults;
    // recent paths that no longer exist are dropped.
    StoredSettings Load() const;
    // Writes every value; recent paths that no longer exist are not written,
    // and recent-file keys beyond the last one written are removed.
    void Save(const StoredSettings& values) const;
    void SaveBrowseFolder(const std::string& folder) const;

    const QString& filePath() const { return filePath_; }

private:
    void PrepareFile() const;

    QString filePath_;
};

}  // namespace nembra
