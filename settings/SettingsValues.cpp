#include "settings/SettingsValues.h"

#include "ops/Operations.h"

namespace nembra {

namespace {

bool FromText(const QString& text, uint32_t& number) {
    bool ok = false;
    const qulonglong parsed = text.trimmed().toULongLong(&ok, 10);
    if (!ok || parsed > 0xFFFFFFFFull) return false;
    number = static_cast<uint32_t>(parsed);
    return true;
}

bool FromInteger(const QVariant& value, uint32_t& number) {
    bool ok = false;
    const qlonglong parsed = value.toLongLong(&ok);
    if (!ok || parsed < 0 || parsed > 0xFFFFFFFFll) return false;
    number = static_cast<uint32_t>(parsed);
    return true;
}

}  // namespace

uint32_t ReadStoredNumber(const QVariant& value, uint32_t defaultValue) {
    uint32_t number = defaultValue;
    switch (value.typeId()) {
        case QMetaType::QString: return FromText(value.toString(), number) ? number : defaultValue;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong: return FromInteger(value, number) ? number : defaultValue;
        default: return defaultValue;
    }
}

std::string ReadStoredText(const QVariant& value) {
    if (value.typeId() != QMetaType::QString) return {};
    return value.toString().toStdString();
}

DeviceType ClampDeviceType(uint32_t stored) {
    const uint32_t low = stored & 0xFF;
    return static_cast<DeviceType>(low > 4 ? 4 : low);
}

StoredOptions OptionsToStore(const Job& controls) {
    StoredOptions options;
    const int selected = controls.device;
    options.deviceType = selected < 0 ? kDefaultDeviceType : ClampDeviceType(static_cast<uint32_t>(selected));
    if (!IsF281x(options.deviceType)) return options;
    options.eraseAll = controls.eraseAll ? 1 : 0;
    options.csmUnlock = controls.unlockCsm ? 1 : 0;
    if (options.csmUnlock == 0) return options;
    bool allZero = true;
    for (int n = 0; n < 8; ++n) {
        options.keys[n] = controls.keys[static_cast<size_t>(n)];
        allZero = allZero && options.keys[n] == 0;
    }
    if (allZero) options.keys = kNoPassword;
    return options;
}

}  // namespace nembra
