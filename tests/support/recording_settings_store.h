// A settings store that tests can watch: it passes every call to the real store (or keeps the
// values itself) and records the names written, in order. It can also be told to refuse a write,
// as a full disk or a locked key would.
#pragma once

#include "settings_store.h"

#include <QMap>
#include <QStringList>
#include <QVariant>

namespace vk350 {

class RecordingSettingsStore : public SettingsStore {
public:
    // Over the real store (QSettings "Tervala", "Kelvane"), or, without one, over a map of its own.
    explicit RecordingSettingsStore(SettingsStore* inner = nullptr) : inner_(inner) {}

    QStringList writes;        // every name written (or tried, when the write failed), in order
    mutable QStringList reads; // every name read, in order
    QString refuse;            // a write of this name fails
    int flushes = 0;

    // Values of the store's own map (without an inner store).
    void Set(const QString& name, const QVariant& value) { values_[name] = value; }
    void Remove(const QString& name) { values_.remove(name); }
    QVariant Value(const QString& name) const { return values_.value(name); }

    bool Exists() const override { return inner_ ? inner_->Exists() : !values_.isEmpty(); }

    std::optional<int32_t> ReadInteger(const QString& name) const override {
        reads << name;
        if (inner_)
            return inner_->ReadInteger(name);
        const QVariant v = values_.value(name);
        bool ok = false;
        const qlonglong n = v.toString().toLongLong(&ok);
        if (!v.isValid() || !ok)
            return std::nullopt;
        return static_cast<int32_t>(static_cast<uint32_t>(n));
    }

    std::optional<QString> ReadString(const QString& name) const override {
        reads << name;
        if (inner_)
            return inner_->ReadString(name);
        const QVariant v = values_.value(name);
        if (!v.isValid())
            return std::nullopt;
        return v.toString();
    }

    bool WriteInteger(const QString& name, int32_t value) override {
        if (name == refuse)
            return false;
        writes << name;
        if (inner_)
            return inner_->WriteInteger(name, value);
        values_[name] = value;
        return true;
    }

    bool WriteString(const QString& name, const QString& value) override {
        if (name == refuse)
            return false;
        writes << name;
        if (inner_)
            return inner_->WriteString(name, value);
        values_[name] = value;
        return true;
    }

    bool Flush() override {
        ++flushes;
        return inner_ ? inner_->Flush() : true;
    }

private:
    SettingsStore* inner_;
    QMap<QString, QVariant> values_;
};

} // namespace vk350
