#pragma once

#include "app/tform_main.h"
#include "dictation/answerpane.h"
#include "dictation/dictationdocument.h"
#include "dictation/dictationline.h"
#include "platform/guard.h"
#include "playback/loopregion.h"
#include "playback/recording.h"
#include "playback/tdragtrackbar.h"
#include "playback/transport.h"
#include "settings/recentfiles.h"
#include "settings/settingsstore.h"
#include "support/fakedialogs.h"
#include "support/fakeplayer.h"
#include "support/fakeshell.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <ostream>

#include <gtest/gtest.h>

// A main window on fakes, with its program folder in a temporary directory
// (settings and help file land there).
struct WindowHarness {
    WindowHarness();
    ~WindowHarness();

    // Creates the window (runs the start-up sequence). Called by the
    // constructor unless deferred, so tests can prepare the program folder.
    explicit WindowHarness(bool deferCreate);
    void create();

    QString path(const QString &name) const; // inside the temporary folder
    QString programDir() const;
    QString iniPath() const; // the settings file in the program folder
    // Writes a file (creating folders) and returns its full path.
    QString writeFile(const QString &name, const QByteArray &bytes) const;

    // Opens a recording through the window and lets the fake player reach
    // Playing with the given length.
    void openPlaying(const QString &name, double length = 200.0);

    TForm_Main &w() { return *window; }
    // A child of the window by object name; fails the test when missing.
    template <typename T>
    T *widget(const char *name) const
    {
        T *found = window->findChild<T *>(QLatin1String(name));
        if (!found)
            ADD_FAILURE() << "no " << name << " in the window";
        return found;
    }
    template <typename T>
    T &feature() const
    {
        T *found = window->findChild<T *>();
        if (!found)
            ADD_FAILURE() << "feature missing from the window";
        return *found;
    }
    LoopRegion &loop() const { return feature<LoopRegion>(); }
    Transport &transport() const { return feature<Transport>(); }
    Recording &source() const { return feature<Recording>(); }
    DictationDocument &doc() const { return feature<DictationDocument>(); }
    DictationLine &line() const { return feature<DictationLine>(); }
    AnswerPane &answer() const { return feature<AnswerPane>(); }
    SettingsStore &settings() const { return feature<SettingsStore>(); }
    RecentFiles &recent() const { return feature<RecentFiles>(); }
    const QStringList *recentList() const { return &recent().list(); }
    QAction *action(const QString &name) const;
    QList<QAction *> actions() const;
    void setOption(bool TOptionFlags::*flag, bool on);
    // What Enter in the line or the apply button does.
    void clickApply() const { Q_EMIT line().applyRequested(); }
    // A guard like the window's, showing errors through the fake dialogs.
    const Guard &guard() const { return m_guard; }

    QTemporaryDir dir;
    // Where the window keeps the place in each recording; set before create().
    QString resumeFile;
    // The interface language the window is started in; set before create().
    InterfaceLanguage language = InterfaceLanguage::Chinese;
    // The learner database; empty: none (set before create()).
    QString learnerDatabase;
    // Its connection options (set before create()).
    QString learnerConnectOptions;
    FakePlayer player;
    FakeDialogs dialogs;
    FakeShell shell;
    std::unique_ptr<TForm_Main> window;

private:
    Guard m_guard{&dialogs, TForm_Main::applicationTitle()};
};

// The [Options] part of the settings file written at first start, with the
// blank line after it, byte for byte.
QByteArray defaultOptionsPart();

// The file's bytes; empty when it cannot be read.
QByteArray readAll(const QString &path);
// Writes the bytes as the whole file, creating folders; a failure fails the test.
void putFile(const QString &path, const QByteArray &bytes);

// Failures show texts, not UTF-16 code units.
void PrintTo(const QString &text, std::ostream *out);
