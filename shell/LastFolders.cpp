#include "LastFolders.h"

#include "engine/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QString LastFolder(SettingsStore& store, const char* kind)
{
    // Stored as the file name's bytes, which need not be valid text.
    const std::string stored = store.GetProfileString(kSectionFolders, kind, std::string());
    if (stored.empty())
        return QString();
    const QString folder = QFile::decodeName(QByteArray::fromStdString(stored));
    return QFileInfo(folder).isDir() ? folder : QString();
}

void RememberFolder(SettingsStore& store, const char* kind, const QString& path, bool isFolder)
{
    if (path.isEmpty())
        return;
    const QFileInfo info(path);
    const QString folder = isFolder ? info.absoluteFilePath() : info.absolutePath();
    store.WriteProfileString(kSectionFolders, kind, QFile::encodeName(folder).toStdString());
}

QString InLastFolder(SettingsStore& store, const char* kind, const QString& name)
{
    if (name.contains(QLatin1Char('/')))
        return name;
    const QString folder = LastFolder(store, kind);
    if (folder.isEmpty())
        return name;
    return name.isEmpty() ? folder : QDir(folder).filePath(name);
}
