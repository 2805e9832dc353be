#pragma once
#include <QMap>
#include <QString>
#include <optional>

// The per-user settings store: text values by section and key.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // Empty when the key is not stored.
    virtual std::optional<QString> read(const QString& section, const QString& key) const = 0;
    virtual void write(const QString& section, const QString& key, const QString& value) = 0;
};

// QSettings, organisation and application "Pelmora" (~/.config/Pelmora/Pelmora.conf on Linux).
class QtSettingsStore : public SettingsStore {
public:
    std::optional<QString> read(const QString& section, const QString& key) const override;
    void write(const QString& section, const QString& key, const QString& value) override;
};

class MemorySettingsStore : public SettingsStore {
public:
    std::optional<QString> read(const QString& section, const QString& key) const override;
    void write(const QString& section, const QString& key, const QString& value) override;
    // Keys in the order they were written, as "section/key".
    QStringList write_order;
    QMap<QString, QString> values;
};
