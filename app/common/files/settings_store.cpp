#include "settings_store.h"

#include <QStringList>

namespace vk350 {

std::optional<bool> SettingsStore::ReadBool(const QString& name) const {
    const std::optional<int32_t> v = ReadInteger(name);
    if (!v)
        return std::nullopt;
    return *v != 0;
}

QtSettingsStore::QtSettingsStore() : settings_(QStringLiteral("Tervala"), QStringLiteral("Kelvane")) {}

bool QtSettingsStore::Exists() const {
    return !settings_.allKeys().isEmpty();
}

std::optional<int32_t> QtSettingsStore::ReadInteger(const QString& name) const {
    const QVariant v = settings_.value(name);
    if (!v.isValid() || v.typeId() == QMetaType::QStringList)
        return std::nullopt;
    bool ok = false;
    const qlonglong n = v.toString().trimmed().toLongLong(&ok);
    if (!ok || n < INT32_MIN || n > qlonglong(UINT32_MAX))
        return std::nullopt;
    return static_cast<int32_t>(static_cast<uint32_t>(n));
}

std::optional<QString> QtSettingsStore::ReadString(const QString& name) const {
    const QVariant v = settings_.value(name);
    if (!v.isValid())
        return std::nullopt;
    // A text with commas written by another program reads as a list in the INI format.
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(QLatin1Char(','));
    return v.toString();
}

bool QtSettingsStore::WriteInteger(const QString& name, int32_t value) {
    if (!settings_.isWritable())
        return false;
    settings_.setValue(name, int(value));
    return true;
}

bool QtSettingsStore::WriteString(const QString& name, const QString& value) {
    if (!settings_.isWritable())
        return false;
    settings_.setValue(name, value);
    return true;
}

bool QtSettingsStore::Flush() {
    settings_.sync();
    return settings_.status() == QSettings::NoError;
}

} // namespace vk350
