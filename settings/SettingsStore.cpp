#include "settings/SettingsStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include "image/LoadCoffFile.h"
#include "settings/SettingsValues.h"

namespace nembra {

namespace {

const QString kMainSection = QStringLiteral("Main Configuration");
const QString kFileSection = QStringLiteral("File List");

QString RecentKey(int n) { return QStringLiteral("Recent File%1").arg(n); }
QString KeyName(int n) { return QStringLiteral("PW KEY%1").arg(n); }

bool PathExists(const std::string& path) {
    std::string storedName;
    return FindFileEntry(path, storedName);
}

void ReadMainSection(QSettings& settings, StoredSettings& values) {
    settings.beginGroup(kMainSection);
    values.deviceType = ClampDeviceType(ReadStoredNumber(settings.value("MCU Type"), 4));
    values.eraseAll = ReadStoredNumber(settings.value("EraseAll Mode"), 0);
    values.csmUnlock = ReadStoredNumber(settings.value("CSM Use Option"), 0);
    values.browseFolder = ReadStoredText(settings.value("File Directory"));
    values.eepFileName = ReadStoredText(settings.value("EEP File Name"));
    for (int n = 0; n < 8; ++n)
        values.keys[n] = static_cast<uint16_t>(ReadStoredNumber(settings.value(KeyName(n)), 0xFFFF) & 0xFFFF);
    settings.endGroup();
}

void ReadFileSection(QSettings& settings, StoredSettings& values) {
    settings.beginGroup(kFileSection);
    for (int n = 0; n < 10; ++n) {
        const std::string path = ReadStoredText(settings.value(RecentKey(n)));
        if (path.empty()) break;
        if (PathExists(path)) values.recentFiles.push_back(path);
    }
    settings.endGroup();
}

void WriteMainSection(QSettings& settings, const StoredSettings& values) {
    settings.beginGroup(kMainSection);
    settings.setValue("MCU Type", static_cast<uint32_t>(values.deviceType));
    settings.setValue("EraseAll Mode", values.eraseAll);
    settings.setValue("CSM Use Option", values.csmUnlock);
    settings.setValue("File Directory", QString::fromStdString(values.browseFolder));
    settings.setValue("EEP File Name", QString::fromStdString(values.eepFileName));
    for (int n = 0; n < 8; ++n) settings.setValue(KeyName(n), static_cast<uint32_t>(values.keys[n]));
    settings.endGroup();
}

void WriteFileSection(QSettings& settings, const std::vector<std::string>& recentFiles) {
    settings.beginGroup(kFileSection);
    int written = 0;
    for (const std::string& path : recentFiles) {
        if (path.empty()) break;
        if (!PathExists(path)) continue;
        if (written == 10) break;
        settings.setValue(RecentKey(written), QString::fromStdString(path));
        ++written;
    }
    // A key left over from a longer list would come back at the next start
    // as a second copy of a path already listed.
    for (int n = written; n < 10; ++n) settings.remove(RecentKey(n));
    settings.endGroup();
}

}  // namespace

QString SettingsStore::DefaultFilePath(const QString& programName) {
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, kSettingsOrganisation, programName);
    return settings.fileName();
}

StoredSettings SettingsStore::Load() const {
    StoredSettings values;
    if (!QFileInfo::exists(filePath_)) return values;
    QSettings settings(filePath_, QSettings::IniFormat);
    ReadMainSection(settings, values);
    ReadFileSection(settings, values);
    return values;
}

void SettingsStore::Save(const StoredSettings& values) const {
    PrepareFile();
    QSettings settings(filePath_, QSettings::IniFormat);
    WriteMainSection(settings, values);
    WriteFileSection(settings, values.recentFiles);
    settings.sync();
}

void SettingsStore::SaveBrowseFolder(const std::string& folder) const {
    PrepareFile();
    QSettings settings(filePath_, QSettings::IniFormat);
    settings.setValue(kMainSection + QStringLiteral("/File Directory"), QString::fromStdString(folder));
    settings.sync();
}

// The file is replaced through a temporary file that takes over the old
// file's permissions, so making the file owner-only once keeps it so.
void SettingsStore::PrepareFile() const {
    QDir().mkpath(QFileInfo(filePath_).absolutePath());
    const QByteArray path = QFile::encodeName(filePath_);
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return;
    ::fchmod(fd, 0600);
    ::close(fd);
}

}  // namespace nembra
