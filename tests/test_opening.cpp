// Opening a recording from outside the program: dropped onto the window, or
// given as the one argument on the command line.
#include "support/testutil.h"

#include "app/droppedfiles.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <utility>
#include <vector>

using Button = Dialogs::Button;
using Icon = Dialogs::Icon;

namespace {

std::unique_ptr<QMimeData> filesData(const QStringList &paths)
{
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls << QUrl::fromLocalFile(path);
    data->setUrls(urls);
    return data;
}

struct DropResult {
    bool enterAccepted;
    bool dropAccepted;
    Qt::DropAction action;
};

// Drags the data onto the widget and drops it there, as the window system
// delivers it; the deferred open runs afterwards.
DropResult dragAndDrop(QWidget *target, const QMimeData &data,
                       Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction)
{
    const QPoint centre = target->rect().center();
    QDragEnterEvent enter(centre, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDragMoveEvent move(centre, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    QDropEvent drop(centre, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return {enter.isAccepted() && move.isAccepted(), drop.isAccepted(), drop.dropAction()};
}

QString missingMessage(const QString &path)
{
    return QStringLiteral("文件“") + path + QStringLiteral("”不存在！");
}

QStringList openCalls(const QString &path)
{
    return {QStringLiteral("stop"), QStringLiteral("close"), QStringLiteral("url:") + path};
}

} // namespace

// The role a dropped file opens in goes by its suffix, in any case; a folder
// named like a subtitle file is not one.
TEST(Drop, EachFileOpensInItsRole)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("lesson.srt")));
    const QString folder = dir.filePath(QStringLiteral("lesson.srt"));
    struct Case {
        QStringList paths;
        DropRole role;
    };
    const Case cases[] = {
        {{QStringLiteral("/x/talk.mp3")}, DropRole::Recording},
        {{QStringLiteral("/x/TALK.FLAC")}, DropRole::Recording},
        {{QStringLiteral("/x/film.mkv")}, DropRole::Recording},
        {{QStringLiteral("/x/talk.srt")}, DropRole::Answer},
        {{QStringLiteral("/x/talk.Txt")}, DropRole::Answer},
        {{QStringLiteral("/x/talk.lrc")}, DropRole::Answer},
        {{QStringLiteral("/x/talk.pdf")}, DropRole::None},
        {{QStringLiteral("/x/talk")}, DropRole::None},
        {{folder}, DropRole::None},
        {{QStringLiteral("/x/a.mp3"), QStringLiteral("/x/b.mp3")}, DropRole::None},
    };
    for (const Case &c : cases) {
        const auto [role, path] = droppedFile(filesData(c.paths).get());
        EXPECT_EQ(role, c.role) << c.paths.join(u' ').toStdString();
        EXPECT_EQ(path, role == DropRole::None ? QString() : c.paths.first());
    }
    QMimeData remote;
    remote.setUrls({QUrl(QStringLiteral("https://example.org/talk.mp3"))});
    EXPECT_EQ(droppedFile(&remote).first, DropRole::None);
    EXPECT_EQ(droppedFile(nullptr).first, DropRole::None);
}

TEST(Drop, MissingRecordingIsReported)
{
    WindowHarness h;
    h.player.calls.clear();
    const QString gone = h.path(QStringLiteral("gone.mp3"));
    const DropResult result = dragAndDrop(h.window.get(), *filesData({gone}));
    EXPECT_TRUE(result.enterAccepted);
    FakePlayer::flushEvents();
    ASSERT_EQ(h.dialogs.messages.size(), 1);
    EXPECT_EQ(h.dialogs.messages[0].caption, QStringLiteral("系统提示"));
    EXPECT_EQ(h.dialogs.messages[0].text, missingMessage(gone));
    EXPECT_EQ(h.dialogs.messages[0].icon, Icon::Error);
    EXPECT_TRUE(h.player.calls.isEmpty());
}

TEST(Drop, RecordingOpensAsThroughCtrlO)
{
    for (const char *name : {"lesson.wav", "LESSON.MP3", "talk.Wma"}) {
        SCOPED_TRACE(name);
        WindowHarness h;
        const QString path = h.writeFile(QLatin1String(name), "RIFF");
        h.player.calls.clear();
        const DropResult result = dragAndDrop(h.window.get(), *filesData({path}));
        EXPECT_TRUE(result.enterAccepted);
        EXPECT_TRUE(result.dropAccepted);
        FakePlayer::flushEvents();
        EXPECT_TRUE(h.dialogs.messages.isEmpty());
        EXPECT_EQ(h.player.calls.mid(0, 3), openCalls(path));
        EXPECT_EQ(h.source().path(), path);
        EXPECT_EQ(h.recentList()->value(0), path);
        EXPECT_TRUE(h.doc().isOpen());
    }
}

TEST(Drop, IsTakenAsACopySoTheRecordingStaysWhereItIs)
{
    WindowHarness h;
    const QString path = h.writeFile(QStringLiteral("a.wav"), "RIFF");
    const auto data = filesData({path});
    // The source proposes a move; the window copies.
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton,
                          Qt::ShiftModifier);
    enter.setDropAction(Qt::MoveAction);
    QApplication::sendEvent(h.window.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(enter.dropAction(), Qt::CopyAction);

    // A source that only allows a move is refused.
    const DropResult moveOnly = dragAndDrop(h.window.get(), *data, Qt::MoveAction);
    EXPECT_FALSE(moveOnly.enterAccepted);
    EXPECT_FALSE(moveOnly.dropAccepted);
    FakePlayer::flushEvents();
    EXPECT_TRUE(h.source().path().isEmpty());
}

TEST(Drop, AnythingButOneLocalRecordingIsIgnored)
{
    WindowHarness h;
    const QString wav = h.writeFile(QStringLiteral("a.wav"), "RIFF");
    const QString mp3 = h.writeFile(QStringLiteral("b.mp3"), "ID3");
    const QString text = h.writeFile(QStringLiteral("notes.txt"), "text");
    const QString noSuffix = h.writeFile(QStringLiteral("wav"), "RIFF");
    const QString other = h.writeFile(QStringLiteral("notes.odt"), "PK");

    std::vector<std::pair<const char *, std::unique_ptr<QMimeData>>> cases;
    cases.emplace_back("a file of another kind", filesData({other}));
    cases.emplace_back("a file named only like the extension", filesData({noSuffix}));
    cases.emplace_back("two recordings", filesData({wav, mp3}));
    cases.emplace_back("a recording and a text file", filesData({wav, text}));
    auto remote = std::make_unique<QMimeData>();
    remote->setUrls({QUrl(QStringLiteral("https://example.org/lesson.mp3"))});
    cases.emplace_back("a remote recording", std::move(remote));
    auto plain = std::make_unique<QMimeData>();
    plain->setText(wav);
    cases.emplace_back("a path as plain text", std::move(plain));

    h.player.calls.clear();
    for (const auto &[what, data] : cases) {
        SCOPED_TRACE(what);
        const DropResult result = dragAndDrop(h.window.get(), *data);
        EXPECT_FALSE(result.enterAccepted);
        EXPECT_FALSE(result.dropAccepted);
    }
    FakePlayer::flushEvents();
    EXPECT_TRUE(h.player.calls.isEmpty());
    EXPECT_TRUE(h.dialogs.messages.isEmpty());
    EXPECT_TRUE(h.source().path().isEmpty());
}

TEST(Drop, RecordingDroppedOntoTheDictationMemoIsOpenedNotInserted)
{
    WindowHarness h;
    h.window->OpenDictationFile(QString());
    QPlainTextEdit *memo = h.widget<QPlainTextEdit>("Memo_Dictation");
    memo->setPlainText(QStringLiteral("typed"));
    const QString path = h.writeFile(QStringLiteral("lesson.mp3"), "ID3");
    const auto data = filesData({path});
    data->setText(path); // file managers offer the path as text as well
    h.player.calls.clear();

    const DropResult result = dragAndDrop(memo->viewport(), *data);
    EXPECT_TRUE(result.dropAccepted);
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("typed"));

    h.dialogs.answers.enqueue(Button::No); // do not save the typed document
    FakePlayer::flushEvents();
    EXPECT_EQ(h.player.calls.mid(0, 3), openCalls(path));
    EXPECT_EQ(h.source().path(), path);
}

TEST(Drop, TextDraggedIntoTheMemoIsStillTheEditorsToTake)
{
    WindowHarness h;
    h.window->OpenDictationFile(QString());
    QPlainTextEdit *memo = h.widget<QPlainTextEdit>("Memo_Dictation");
    QMimeData data;
    data.setText(QStringLiteral("some words"));
    const QPoint centre = memo->viewport()->rect().center();
    QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(memo->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
}

TEST(CommandLine, OneArgumentOpensOnceTheEventLoopRuns)
{
    WindowHarness h;
    const QString path = h.writeFile(QStringLiteral("lesson.wav"), "RIFF");
    h.player.calls.clear();
    h.window->OpenFromCommandLine({QStringLiteral("quillmar"), path});
    // Not before start-up has finished.
    EXPECT_TRUE(h.player.calls.isEmpty());
    FakePlayer::flushEvents();
    EXPECT_TRUE(h.dialogs.messages.isEmpty());
    EXPECT_EQ(h.player.calls.mid(0, 3), openCalls(path));
    EXPECT_EQ(h.source().path(), path);
}

TEST(CommandLine, RelativePathIsTakenFromTheWorkingFolder)
{
    WindowHarness h;
    const QString path = h.writeFile(QStringLiteral("sub/lesson.mp3"), "ID3");
    const QString previous = QDir::currentPath();
    QDir::setCurrent(h.path(QStringLiteral("sub")));
    h.window->OpenFromCommandLine({QStringLiteral("quillmar"), QStringLiteral("lesson.mp3")});
    QDir::setCurrent(previous); // the path is resolved when the open is scheduled
    FakePlayer::flushEvents();
    EXPECT_EQ(h.source().path(), QFileInfo(path).absoluteFilePath());
}

TEST(CommandLine, MissingFileIsReported)
{
    WindowHarness h;
    const QString gone = h.path(QStringLiteral("gone.mp3"));
    h.player.calls.clear();
    h.window->OpenFromCommandLine({QStringLiteral("quillmar"), gone});
    FakePlayer::flushEvents();
    EXPECT_EQ(h.dialogs.messageTexts(), QStringList{missingMessage(gone)});
    EXPECT_TRUE(h.player.calls.isEmpty());
}

TEST(CommandLine, NoArgumentOrSeveralOpenNothing)
{
    WindowHarness h;
    const QString a = h.writeFile(QStringLiteral("a.wav"), "RIFF");
    const QString b = h.writeFile(QStringLiteral("b.wav"), "RIFF");
    h.player.calls.clear();
    h.window->OpenFromCommandLine({QStringLiteral("quillmar")});
    h.window->OpenFromCommandLine({QStringLiteral("quillmar"), a, b});
    FakePlayer::flushEvents();
    EXPECT_TRUE(h.player.calls.isEmpty());
    EXPECT_TRUE(h.dialogs.messages.isEmpty());
}

namespace {

// What an open leaves behind, to compare an open made while the player was
// still starting with the same open made once it had started.
struct OpenOutcome {
    QStringList calls;
    QString source;
    QStringList recent;
    QStringList messages;
    int state;
    bool documentOpen;

    bool operator==(const OpenOutcome &) const = default;
};

void PrintTo(const OpenOutcome &o, std::ostream *out)
{
    *out << "calls " << o.calls.join(u' ').toStdString() << ", source " << o.source.toStdString()
         << ", recent " << o.recent.join(u' ').toStdString() << ", messages "
         << o.messages.join(u' ').toStdString() << ", state " << o.state << ", document "
         << o.documentOpen;
}

OpenOutcome outcomeOf(WindowHarness &h)
{
    return {h.player.calls,           h.source().path(),    *h.recentList(),
            h.dialogs.messageTexts(), h.player.playState(), h.doc().isOpen()};
}

} // namespace

// The player loads libmpv after the window shows; what the learner asks for
// meanwhile waits for it and then happens as it would have.
TEST(OpenWhilePlayerStarts, WaitsForThePlayerThenOpensAsOnceStarted)
{
    struct Row {
        const char *name;
        const char *file;
        bool exists;
        // Held until the player has started, without blocking the window;
        // otherwise setUrl() itself waits.
        bool held;
        std::function<void(WindowHarness &, const QString &)> open;
    };
    const auto argument = [](WindowHarness &h, const QString &path) {
        h.window->OpenFromCommandLine({QStringLiteral("quillmar"), path});
    };
    const Row rows[] = {
        {"argument", "lesson.wav", true, true, argument},
        {"missing argument", "gone.mp3", false, true, argument},
        {"drop", "lesson.mp3", true, true,
         [](WindowHarness &h, const QString &path) {
             EXPECT_TRUE(dragAndDrop(h.window.get(), *filesData({path})).dropAccepted);
         }},
        {"Ctrl+O", "lesson.wma", true, false,
         [](WindowHarness &h, const QString &path) {
             h.dialogs.fileAnswers.enqueue(path);
             h.action(QStringLiteral("Action_OpenSourceFile"))->trigger();
         }},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const auto run = [&row](bool starting) {
            WindowHarness h;
            const QString name = QLatin1String(row.file);
            const QString path = row.exists ? h.writeFile(name, "RIFF") : h.path(name);
            h.player.starting = starting;
            h.player.calls.clear();
            row.open(h, path);
            FakePlayer::flushEvents();
            if (starting) {
                const bool untouched = h.player.calls.isEmpty() && h.source().path().isEmpty()
                                       && h.dialogs.messages.isEmpty();
                EXPECT_EQ(untouched, row.held);
                h.player.finishStarting();
                FakePlayer::flushEvents();
            }
            OpenOutcome outcome = outcomeOf(h);
            // The temporary folders differ between the two runs.
            outcome.calls.replaceInStrings(h.dir.path(), QStringLiteral("<dir>"));
            outcome.source.replace(h.dir.path(), QStringLiteral("<dir>"));
            outcome.recent.replaceInStrings(h.dir.path(), QStringLiteral("<dir>"));
            outcome.messages.replaceInStrings(h.dir.path(), QStringLiteral("<dir>"));
            return outcome;
        };
        const OpenOutcome started = run(false);
        EXPECT_EQ(started.source.isEmpty(), !row.exists);
        EXPECT_EQ(started.messages.isEmpty(), row.exists);
        EXPECT_EQ(run(true), started);
    }
}
