#include "platform/settings_store.h"

#include <QSettings>

static QString path_of(const QString& section, const QString& key) { return section + QLatin1Char('/') + key; }

std::optional<QString> QtSettingsStore::read(const QString& section, const QString& key) const
{
    QSettings s(QStringLiteral("Pelmora"), QStringLiteral("Pelmora"));
    const QVariant v = s.value(path_of(section, key));
    if (!v.isValid())
        return std::nullopt;
    // A value edited by hand as 9600,N,8,1 (without quotes) reads back as a list.
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(QLatin1Char(','));
    return v.toString();
}

void QtSettingsStore::write(const QString& section, const QString& key, const QString& value)
{
    QSettings s(QStringLiteral("Pelmora"), QStringLiteral("Pelmora"));
    s.setValue(path_of(section, key), value);
    s.sync();
}

std::optional<QString> MemorySettingsStore::read(const QString& section, const QString& key) const
{
    const auto it = values.find(path_of(section, key));
    if (it == values.end())
        return std::nullopt;
    return it.value();
}

void MemorySettingsStore::write(const QString& section, const QString& key, const QString& value)
{
    write_order << path_of(section, key);
    values[path_of(section, key)] = value;
}
