#pragma once

#include "settings/optionflags.h"

#include <QObject>
#include <QString>
#include <QStringList>

// The settings file "Quillmar.ini": where it lives, its default content, the
// option flags and the stored recent-files list. Reading never fails (what
// cannot be read reads as its default). A write that fails stops nothing:
// the values stay in effect for this run, and writeFailed() says why, the
// first time only.
class SettingsStore : public QObject
{
    Q_OBJECT
public:
    // programDir ends with a separator.
    SettingsStore(const QString &programDir, QObject *parent);

    // Every read and write goes through it.
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

Q_SIGNALS:
    // The settings file cannot be written: options, preferences and the
    // recent list last for this run only. Emitted once a run.
    void writeFailed(const QString &reason);

private:
    // The path to write to, its folder made; empty after reporting why not.
    QString writablePath();
    // Runs a write; an AppError it throws is reported instead.
    template <typename Write>
    void write(Write &&write);
    void reportFailure(const QString &reason);

    bool m_failureReported = false;
    QString m_programDir;
    TOptionFlags m_options;
};
