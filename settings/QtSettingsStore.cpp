#include "QtSettingsStore.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QString>

#include <atomic>
#include <cstdio>
#include <vector>
#include <sys/stat.h>

namespace {
// Once per run: the program opens its settings in many places.
void WarnNotAFile(const std::string& path)
{
    static std::atomic<bool> warned{false};
    if (warned.exchange(true))
        return;
    std::fprintf(stderr, "Quil: \"%s\" is not a regular file; the default settings are used\n", path.c_str());
}

// The first of the files that QSettings reads for the user that exists but is
// not a regular file (links followed), or "".
std::string IrregularSettingsFile(const std::vector<QString>& candidates)
{
    for (const QString& candidate : candidates) {
        const QByteArray path = QFile::encodeName(candidate);
        struct stat info {};
        if (::stat(path.constData(), &info) == 0 && !S_ISREG(info.st_mode))
            return path.toStdString();
    }
    return {};
}

std::vector<QString> UserSettingsFiles()
{
    QString home = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (home.isEmpty())
        home = QDir::homePath() + QStringLiteral("/.config");
    const QString organization = home + QLatin1Char('/') + QString::fromLatin1(kSettingsOrganization);
    return {organization + QLatin1Char('/') + QString::fromLatin1(kSettingsApplication) + QStringLiteral(".conf"),
            organization + QStringLiteral(".conf")};
}

QString Key(const std::string& section, const std::string& entry)
{
    return QString::fromStdString(section) + QLatin1Char('/') + QString::fromStdString(entry);
}
}  // namespace

QtSettingsStore::QtSettingsStore()
{
    const std::string refused = IrregularSettingsFile(UserSettingsFiles());
    if (!refused.empty()) {
        WarnNotAFile(refused);
        m_pMemory = std::make_unique<MemorySettingsStore>();
        return;
    }
    m_settings = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                             QString::fromLatin1(kSettingsOrganization),
                                             QString::fromLatin1(kSettingsApplication));
}

QtSettingsStore::QtSettingsStore(const std::string& iniFile)
{
    const QString file = QFile::decodeName(QByteArray::fromStdString(iniFile));
    const std::string refused = IrregularSettingsFile({file});
    if (!refused.empty()) {
        WarnNotAFile(refused);
        m_pMemory = std::make_unique<MemorySettingsStore>();
        return;
    }
    m_settings = std::make_unique<QSettings>(file, QSettings::IniFormat);
}

QtSettingsStore::~QtSettingsStore()
{
    if (m_settings)
        m_settings->sync();
}

int QtSettingsStore::GetProfileInt(const std::string& section, const std::string& entry, int defaultValue)
{
    if (m_pMemory)
        return m_pMemory->GetProfileInt(section, entry, defaultValue);
    const QVariant value = m_settings->value(Key(section, entry));
    int parsed = 0;
    // A value that is missing or not a whole number reads as the default.
    if (!value.isValid() || !ParseStoredInt(value.toString().trimmed().toStdString(), parsed))
        return defaultValue;
    return parsed;
}

bool QtSettingsStore::WriteProfileInt(const std::string& section, const std::string& entry, int value)
{
    if (m_pMemory)
        return m_pMemory->WriteProfileInt(section, entry, value);
    m_settings->setValue(Key(section, entry), value);
    return m_settings->status() == QSettings::NoError && m_settings->isWritable();
}

std::string QtSettingsStore::GetProfileString(const std::string& section, const std::string& entry,
                                              const std::string& defaultValue)
{
    if (m_pMemory)
        return m_pMemory->GetProfileString(section, entry, defaultValue);
    const QVariant value = m_settings->value(Key(section, entry));
    if (!value.isValid())
        return defaultValue;
    return value.toString().toStdString();
}

bool QtSettingsStore::WriteProfileString(const std::string& section, const std::string& entry,
                                         const std::string& value)
{
    if (m_pMemory)
        return m_pMemory->WriteProfileString(section, entry, value);
    m_settings->setValue(Key(section, entry), QString::fromStdString(value));
    return m_settings->status() == QSettings::NoError && m_settings->isWritable();
}

bool QtSettingsStore::Sync()
{
    if (m_pMemory)
        return false;
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}
