#include "QtSettingsStore.h"

#include <QSettings>
#include <QString>

namespace {
QString Key(const std::string& section, const std::string& entry)
{
    return QString::fromStdString(section) + QLatin1Char('/') + QString::fromStdString(entry);
}
}  // namespace

QtSettingsStore::QtSettingsStore()
    : m_settings(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                             QString::fromLatin1(kSettingsOrganization),
                                             QString::fromLatin1(kSettingsApplication)))
{
}

QtSettingsStore::QtSettingsStore(const std::string& iniFile)
    : m_settings(std::make_unique<QSettings>(QString::fromStdString(iniFile), QSettings::IniFormat))
{
}

QtSettingsStore::~QtSettingsStore() { m_settings->sync(); }

int QtSettingsStore::GetProfileInt(const std::string& section, const std::string& entry, int defaultValue)
{
    const QVariant value = m_settings->value(Key(section, entry));
    int parsed = 0;
    // A value that is missing or not a whole number reads as the default.
    if (!value.isValid() || !ParseStoredInt(value.toString().trimmed().toStdString(), parsed))
        return defaultValue;
    return parsed;
}

bool QtSettingsStore::WriteProfileInt(const std::string& section, const std::string& entry, int value)
{
    m_settings->setValue(Key(section, entry), value);
    return m_settings->status() == QSettings::NoError && m_settings->isWritable();
}

std::string QtSettingsStore::GetProfileString(const std::string& section, const std::string& entry,
                                              const std::string& defaultValue)
{
    const QVariant value = m_settings->value(Key(section, entry));
    if (!value.isValid())
        return defaultValue;
    return value.toString().toStdString();
}

bool QtSettingsStore::WriteProfileString(const std::string& section, const std::string& entry,
                                         const std::string& value)
{
    m_settings->setValue(Key(section, entry), QString::fromStdString(value));
    return m_settings->status() == QSettings::NoError && m_settings->isWritable();
}

bool QtSettingsStore::Sync()
{
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}
