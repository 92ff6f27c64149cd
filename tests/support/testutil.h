#pragma once

#include "app/tform_main.h"
#include "support/fakedialogs.h"
#include "support/fakeplayer.h"
#include "support/fakeshell.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <memory>

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
    // Writes a file (creating folders) and returns its full path.
    QString writeFile(const QString &name, const QByteArray &bytes) const;

    // Opens a recording through the window and lets the fake player reach
    // Playing with the given length.
    void openPlaying(const QString &name, double length = 200.0);

    QTemporaryDir dir;
    FakePlayer player;
    FakeDialogs dialogs;
    FakeShell shell;
    std::unique_ptr<TForm_Main> window;
};

// The file's bytes; empty when it cannot be read.
QByteArray readAll(const QString &path);
// Writes the bytes as the whole file, creating folders; a failure fails the test.
void putFile(const QString &path, const QByteArray &bytes);
