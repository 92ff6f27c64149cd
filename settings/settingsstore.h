#pragma once

#include "settings/optionflags.h"

#include <QObject>
#include <QString>
#include <QStringList>

// The settings file "Quillmar.ini": where it lives, its default content, the
// option flags and the stored recent-files list. Failures throw AppError.
class SettingsStore : public QObject
{
    Q_OBJECT
public:
    // programDir ends with a separator.
    SettingsStore(const QString &programDir, QObject *parent);

    // Makes sure the folder exists; every read and write goes through it.
    QString filePath() const;
    // Writes the default file when there is none; an existing file is the
    // user's, whatever it holds.
    void ensureFile();

    const TOptionFlags &options() const { return m_options; }
    void setOptions(const TOptionFlags &options) { m_options = options; }
    void loadOptions();
    void saveOptions();

    // Settings beyond the options, in a section of their own that is written
    // only once a value differs from its default: the default file stays as
    // it is.
    QString preference(const QString &key, const QString &defaultValue) const;
    void setPreference(const QString &key, const QString &value, const QString &defaultValue);

    QStringList loadRecentFiles() const;
    void saveRecentFiles(const QStringList &list);

private:
    QString m_programDir;
    TOptionFlags m_options;
};
