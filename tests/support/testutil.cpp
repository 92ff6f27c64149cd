#include "support/testutil.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

WindowHarness::WindowHarness() : WindowHarness(false) {}

WindowHarness::WindowHarness(bool deferCreate)
{
    QDir(dir.path()).mkpath(QStringLiteral("program"));
    if (!deferCreate)
        create();
}

WindowHarness::~WindowHarness()
{
    window.reset();
}

void WindowHarness::create()
{
    TForm_MainServices services;
    services.player = &player;
    services.dialogs = &dialogs;
    services.shell = &shell;
    services.programDir = programDir();
    services.recoveryFolder = dir.filePath(QStringLiteral("recovery"));
    services.resumeFile = resumeFile;
    services.language = language;
    services.learnerDatabase = learnerDatabase;
    services.learnerConnectOptions = learnerConnectOptions;
    window = std::make_unique<TForm_Main>(services);
    FakePlayer::flushEvents();
}

QAction *WindowHarness::action(const QString &name) const
{
    auto *found = window->findChild<QAction *>(name);
    if (!found)
        ADD_FAILURE() << "no command " << name.toStdString();
    return found;
}

QList<QAction *> WindowHarness::actions() const
{
    QList<QAction *> commands;
    for (QAction *command : window->findChildren<QAction *>()) {
        if (command->objectName().startsWith(QLatin1String("Action_")))
            commands.append(command);
    }
    return commands;
}

void WindowHarness::setOption(bool TOptionFlags::*flag, bool on)
{
    TOptionFlags options = settings().options();
    options.*flag = on;
    settings().setOptions(options);
}

QString WindowHarness::path(const QString &name) const
{
    return dir.filePath(name);
}

QString WindowHarness::programDir() const
{
    return dir.filePath(QStringLiteral("program")) + QLatin1Char('/');
}

QString WindowHarness::iniPath() const
{
    return programDir() + QStringLiteral("Quillmar.ini");
}

QString WindowHarness::writeFile(const QString &name, const QByteArray &bytes) const
{
    const QString full = QFileInfo(name).isAbsolute() ? name : path(name);
    putFile(full, bytes);
    return full;
}

void WindowHarness::openPlaying(const QString &name, double length)
{
    const QString full = writeFile(name, QByteArray("RIFF"));
    player.length = length;
    window->OpenSourceFile(full);
    player.setStateAndNotify(MediaPlayer::Playing);
    FakePlayer::flushEvents();
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QByteArray defaultOptionsPart()
{
    return "[Options]\r\n"
           "PauseWhenWriting=0\r\n"
           "SetEndPointWhenWriting=0\r\n"
           "VerifyBeforeApplying=0\r\n"
           "SelectAfterApplying=0\r\n"
           "PlayAfterApplying=0\r\n"
           "RecordRepeatPoints=1\r\n"
           "RecordDictateTime=1\r\n"
           "\r\n";
}

void putFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        ADD_FAILURE() << "cannot write " << path.toStdString();
}

void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}
