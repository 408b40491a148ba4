// The per-user settings store of the editor, the key Tervala/Kelvane, behind an interface so
// that tests can watch which values are read and in which order they are written. Integers and
// colours are 32-bit numbers, booleans 0 or 1, paths text. Window thread only.
#pragma once

#include <QSettings>
#include <QString>
#include <cstdint>
#include <optional>

namespace vk350 {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // True when the key holds any value at all.
    virtual bool Exists() const = 0;
    // Empty when the value is missing or is not a 32-bit number. A number written unsigned
    // (a colour above 0x7FFFFFFF) reads back as the same 32 bits.
    virtual std::optional<int32_t> ReadInteger(const QString& name) const = 0;
    // Empty when the value is missing.
    virtual std::optional<QString> ReadString(const QString& name) const = 0;
    // False when the value cannot be written; the caller stops writing there.
    virtual bool WriteInteger(const QString& name, int32_t value) = 0;
    virtual bool WriteString(const QString& name, const QString& value) = 0;
    // Puts what was written on disk; false when that failed.
    virtual bool Flush() = 0;

    // Helpers over the two kinds.
    std::optional<bool> ReadBool(const QString& name) const;
    bool WriteBool(const QString& name, bool value) { return WriteInteger(name, value ? 1 : 0); }
};

// The real store: QSettings("Tervala", "Kelvane").
class QtSettingsStore : public SettingsStore {
public:
    QtSettingsStore();

    bool Exists() const override;
    std::optional<int32_t> ReadInteger(const QString& name) const override;
    std::optional<QString> ReadString(const QString& name) const override;
    bool WriteInteger(const QString& name, int32_t value) override;
    bool WriteString(const QString& name, const QString& value) override;
    bool Flush() override;

private:
    mutable QSettings settings_;
};

} // namespace vk350
