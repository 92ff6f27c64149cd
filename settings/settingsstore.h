#pragma once

#include "settings/optionflags.h"
#include "settings/preferences.h"

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

    // Settings beyond the options, in a section of their own, each read and
    // written as its entry in settings/preferences.h says.
    bool flag(const PreferenceKey &key) const;
    int whole(const PreferenceKey &key) const;
    double number(const PreferenceKey &key) const;
    QString text(const PreferenceKey &key) const;
    void setFlag(const PreferenceKey &key, bool on);
    void setWhole(const PreferenceKey &key, int value);
    void setNumber(const PreferenceKey &key, double value);
    void setText(const PreferenceKey &key, const QString &text);
    // The text stored under a key of that section, `missing` when there is none.
    QString preference(const QString &key, const QString &missing) const;

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
    // The key's value as read, the default for anything it does not accept.
    double value(const PreferenceKey &key) const;
    void setPreference(const PreferenceKey &key, const QString &text);

    bool m_failureReported = false;
    QString m_programDir;
    TOptionFlags m_options;
};
