#include "settings/settingsstore.h"

#include "platform/atomicfile.h"
#include "platform/errors.h"
#include "platform/profilefile.h"
#include "settings/recentfilerules.h"
#include "settings/settingsrules.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

SettingsStore::SettingsStore(const QString &programDir, QObject *parent)
    : QObject(parent), m_programDir(programDir)
{
    setObjectName(QStringLiteral("SettingsStore"));
}

QString SettingsStore::filePath() const
{
    const QFileInfo programFolder(m_programDir);
    const QString folder = SettingsFolder(
        m_programDir, programFolder.isDir() && programFolder.isWritable(),
        QFileInfo::exists(m_programDir + SettingsFileName),
        QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
    if (folder != m_programDir)
        QDir().mkpath(folder);
    return folder + SettingsFileName;
}

void SettingsStore::ensureFile()
{
    const QString path = filePath();
    if (QFileInfo::exists(path))
        return;
    QString reason;
    if (!writeFileAtomically(path, DefaultSettingsText(), &reason))
        throw AppError(QStringLiteral("Cannot create file \"%1\". %2").arg(path, reason));
}

void SettingsStore::loadOptions()
{
    const QString path = filePath();
    for (const OptionKey &key : OptionKeys)
        m_options.*key.flag = readProfileInt(path, OptionsSection, key.name, 0) != 0;
}

void SettingsStore::saveOptions()
{
    // A file deleted meanwhile comes back with the full layout first.
    ensureFile();
    QList<QPair<QString, QString>> writes;
    for (const OptionKey &key : OptionKeys)
        writes.append({key.name, FlagText(m_options.*key.flag)});
    writeProfileStrings(filePath(), OptionsSection, writes);
}

QStringList SettingsStore::loadRecentFiles() const
{
    const QString path = filePath();
    QStringList list;
    for (int i = 0; i < MaxRecentFiles; ++i)
        list.append(readProfileString(path, LastFilesSection, RecentFileKey(i), QString()));
    return list;
}

void SettingsStore::saveRecentFiles(const QStringList &list)
{
    writeProfileStrings(filePath(), LastFilesSection, RecentFileWrites(list));
}
