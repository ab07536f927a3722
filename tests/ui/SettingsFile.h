#pragma once
#include <QSettings>
#include <QString>
#include <QVariant>

#include "tests/support/CoffBuilder.h"

namespace nembra::testing {

// A settings file in a temporary folder, with raw access to its values.
class SettingsFile {
public:
    QString path() const { return QString::fromStdString(dir.path() + "/settings.ini"); }

    void Put(const QString& key, const QVariant& value) const {
        QSettings settings(path(), QSettings::IniFormat);
        settings.setValue(key, value);
    }
    QVariant Get(const QString& key) const {
        QSettings settings(path(), QSettings::IniFormat);
        return settings.value(key);
    }
    bool Has(const QString& key) const {
        QSettings settings(path(), QSettings::IniFormat);
        return settings.contains(key);
    }
    // An existing file in the folder.
    std::string File(const std::string& name) const { return dir.Write(name, {1, 2, 3}); }

    TempDir dir;
};

}  // namespace nembra::testing
