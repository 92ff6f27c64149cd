#include "settings/settingsstore.h"

#include "platform/atomicfile.h"
#include "platform/errors.h"
#include "platform/profilefile.h"
#include "settings/recentfilerules.h"
#include "settings/settingsrules.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

// Why a folder could not be made: the nearest part of its path that exists
// is a file, or may not be written.
QString whyNoFolder(const QString &folder)
{
    QFileInfo part(QDir::cleanPath(folder));
    while (!part.exists() && !part.isRoot() && part.absoluteFilePath() != part.absolutePath())
        part = QFileInfo(part.absolutePath());
    if (part.exists() && !part.isDir())
        return QCoreApplication::translate("SettingsStore", "“%1”是一个文件，不是文件夹")
            .arg(part.absoluteFilePath());
    if (part.exists() && !part.isWritable())
        return QCoreApplication::translate("SettingsStore", "没有在“%1”中写入的权限")
            .arg(part.absoluteFilePath());
    return QCoreApplication::translate("SettingsStore", "原因不明");
}

} // namespace

SettingsStore::SettingsStore(const QString &programDir, QObject *parent)
    : QObject(parent), m_programDir(programDir)
{
    setObjectName(QStringLiteral("SettingsStore"));
}

QString SettingsStore::filePath() const
{
    const QFileInfo programFolder(m_programDir);
    return SettingsFolder(m_programDir, programFolder.isDir() && programFolder.isWritable(),
                          QFileInfo::exists(m_programDir + SettingsFileName),
                          QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
           + SettingsFileName;
}

void SettingsStore::reportFailure(const QString &reason)
{
    if (m_failureReported)
        return;
    m_failureReported = true;
    Q_EMIT writeFailed(reason);
}

QString SettingsStore::writablePath()
{
    const QString path = filePath();
    const QString folder = QFileInfo(path).path() + QLatin1Char('/');
    if (folder != m_programDir && !QDir().mkpath(folder)) {
        reportFailure(QCoreApplication::translate("SettingsStore", "无法创建设置文件夹“%1”：%2")
                          .arg(folder, whyNoFolder(folder)));
        return {};
    }
    return path;
}

template <typename Write>
void SettingsStore::write(Write &&write)
{
    const QString path = writablePath();
    if (path.isEmpty())
        return;
    try {
        write(path);
    } catch (const AppError &error) {
        reportFailure(error.text());
    }
}

void SettingsStore::ensureFile()
{
    if (QFileInfo::exists(filePath()))
        return;
    write([](const QString &path) {
        QString reason;
        if (!writeFileAtomically(path, DefaultSettingsText(), &reason))
            throw AppError(QCoreApplication::translate("SettingsStore", "无法创建文件“%1”：%2")
                               .arg(QDir::toNativeSeparators(path), reason));
    });
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
    write([&writes](const QString &path) { writeProfileStrings(path, OptionsSection, writes); });
}

namespace {

const QString PreferencesSection = QStringLiteral("Preferences");

} // namespace

QString SettingsStore::preference(const QString &key, const QString &missing) const
{
    return readProfileString(filePath(), PreferencesSection, key, missing);
}

double SettingsStore::value(const PreferenceKey &key) const
{
    const std::optional<double> stored = preferenceValue(key, preference(key.name, key.fallback));
    return stored ? *stored : preferenceValue(key, key.fallback).value_or(0.0);
}

bool SettingsStore::flag(const PreferenceKey &key) const
{
    Q_ASSERT(key.type == PreferenceType::Flag);
    return value(key) != 0;
}

int SettingsStore::whole(const PreferenceKey &key) const
{
    Q_ASSERT(key.type == PreferenceType::Whole);
    return static_cast<int>(value(key));
}

double SettingsStore::number(const PreferenceKey &key) const
{
    Q_ASSERT(key.type == PreferenceType::Number);
    return value(key);
}

QString SettingsStore::text(const PreferenceKey &key) const
{
    Q_ASSERT(key.type == PreferenceType::Text);
    return preference(key.name, key.fallback);
}

void SettingsStore::setFlag(const PreferenceKey &key, bool on)
{
    Q_ASSERT(key.type == PreferenceType::Flag);
    setPreference(key, preferenceText(key, on ? 1 : 0));
}

void SettingsStore::setWhole(const PreferenceKey &key, int value)
{
    Q_ASSERT(key.type == PreferenceType::Whole);
    setPreference(key, preferenceText(key, value));
}

void SettingsStore::setNumber(const PreferenceKey &key, double value)
{
    Q_ASSERT(key.type == PreferenceType::Number);
    setPreference(key, preferenceText(key, value));
}

void SettingsStore::setText(const PreferenceKey &key, const QString &text)
{
    Q_ASSERT(key.type == PreferenceType::Text);
    setPreference(key, text);
}

void SettingsStore::setPreference(const PreferenceKey &key, const QString &text)
{
    // A key that is not there yet is written only for a value of its own.
    const QString missing(QChar(0xFFFF));
    const QString stored = preference(key.name, missing);
    if (stored == text || (stored == missing && text == key.fallback))
        return;
    write(
        [&](const QString &path) { writeProfileString(path, PreferencesSection, key.name, text); });
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
    write([&list](const QString &path) {
        writeProfileStrings(path, LastFilesSection, RecentFileWrites(list));
    });
}
