// The start path with the real pieces: libmpv loading while the window is
// already up, a libmpv that cannot be loaded, and the decoder module.
#include "app/tform_main.h"
#include "dictation/dictationdocument.h"
#include "dictation/dictationline.h"
#include "platform/mpvplayer.h"
#include "playback/recording.h"
#include "sentences/audiodecoder.h"
#include "support/fakedialogs.h"
#include "support/fakeplayer.h"
#include "support/fakeshell.h"
#include "support/testutil.h"
#include "support/tonewav.h"

#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <functional>

namespace {

// A main window on the real player, as main() builds it.
struct RealWindow {
    explicit RealWindow(const QString &library = QStringLiteral("libmpv.so.2"))
        : player(QStringLiteral("null"), nullptr, library)
    {
        TForm_MainServices services{&player, &dialogs, &shell, dir.path() + QLatin1Char('/'),
                                    {},      {}};
        window = std::make_unique<TForm_Main>(services);
        window->show();
        player.startLoading();
    }
    ~RealWindow() { window.reset(); }

    void open(bool byArgument, const QString &path)
    {
        if (byArgument) {
            window->OpenFromCommandLine({QStringLiteral("quillmar"), path});
        } else {
            dialogs.fileAnswers.enqueue(path);
            window->findChild<QAction *>(QStringLiteral("Action_OpenSourceFile"))->trigger();
        }
    }

    QTemporaryDir dir;
    MpvPlayer player;
    FakeDialogs dialogs;
    FakeShell shell;
    std::unique_ptr<TForm_Main> window;
};

} // namespace

// The window sets speed, volume and loop while it is built; that must not
// start loading libmpv, which would compete with building and showing it.
TEST(StartWithLibmpv, ControlsSetBeforeLoadingAreKeptWithoutStartingIt)
{
    MpvPlayer player(QStringLiteral("null"));
    QSignalSpy started(&player, &MediaPlayer::started);
    player.setSpeed(0.8);
    player.setVolume(40);
    player.setLoopRange(0.5, 1.0);
    player.play();
    player.stop();
    player.close();
    EXPECT_FALSE(player.isStarting());
    EXPECT_EQ(player.playState(), MediaPlayer::Undefined);

    player.startLoading();
    EXPECT_TRUE(player.isStarting());
    ASSERT_TRUE(started.wait(10000));
    EXPECT_FALSE(player.isStarting());
    EXPECT_EQ(started.count(), 1);
    EXPECT_DOUBLE_EQ(player.speed(), 0.8);
    EXPECT_EQ(player.volume(), 40);
}

TEST(StartWithLibmpv, RecordingAskedForWhileLibmpvLoadsPlays)
{
    for (const bool byArgument : {true, false}) {
        SCOPED_TRACE(byArgument ? "argument" : "Ctrl+O");
        RealWindow w;
        const QString wav = w.dir.filePath(QStringLiteral("tone.wav"));
        ASSERT_TRUE(writeToneWav(wav, 2.0));
        w.open(byArgument, wav);
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return w.player.playState() == MediaPlayer::Playing; }, 5000))
            << w.dialogs.messageTexts().join(u'\n').toStdString();
        EXPECT_EQ(w.window->findChild<Recording *>()->path(), wav);
        EXPECT_TRUE(w.dialogs.messages.isEmpty());
    }
}

TEST(StartWithoutLibmpv, WindowComesUpAndOpeningSaysWhyEveryTime)
{
    RealWindow w(QStringLiteral("libquillmar-no-such-mpv.so.2"));
    EXPECT_TRUE(w.window->isVisible());
    const QString wav = w.dir.filePath(QStringLiteral("tone.wav"));
    ASSERT_TRUE(writeToneWav(wav, 1.0));
    for (const bool byArgument : {true, false}) {
        SCOPED_TRACE(byArgument ? "argument" : "Ctrl+O");
        w.dialogs.messages.clear();
        w.open(byArgument, wav);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !w.dialogs.messages.isEmpty(); }, 5000));
        const FakeDialogs::Message &message = w.dialogs.messages.first();
        EXPECT_TRUE(message.text.startsWith(QStringLiteral("无法加载播放组件 libmpv：")))
            << message.text.toStdString();
        EXPECT_TRUE(message.text.contains(QStringLiteral("libquillmar-no-such-mpv.so.2")));
        EXPECT_EQ(message.icon, Dialogs::Icon::Error);
        EXPECT_EQ(w.player.playState(), MediaPlayer::Undefined);
    }
    // Dictation goes on without sound.
    w.window->OpenDictationFile(QString());
    w.window->findChild<QLineEdit *>(QStringLiteral("LabeledEdit_Dictation"))
        ->setText(QStringLiteral("still typing"));
    Q_EMIT w.window->findChild<DictationLine *>()->applyRequested();
    EXPECT_TRUE(w.window->findChild<DictationDocument *>()->text().contains(
        QStringLiteral("still typing")));
}

// The decoder module is taken from the first file that is one; without any,
// decoding says so in one line instead of failing some other way.
TEST(DecoderModule, LoadsTheFirstUsableFileOrSaysWhy)
{
    QTemporaryDir dir;
    const QString tone = dir.filePath(QStringLiteral("tone.wav"));
    ASSERT_TRUE(writeToneWav(tone, 0.5));
    const QString missing = dir.filePath(QStringLiteral("libquillmar_decoder.so"));
    const QString text = dir.filePath(QStringLiteral("text.so"));
    putFile(text, "not a library\n");
    const QString otherLibrary =
        QLibraryInfo::path(QLibraryInfo::LibrariesPath) + QStringLiteral("/libQt6Core.so.6");
    const QStringList program = DecoderModule::defaultCandidates();
    ASSERT_FALSE(program.isEmpty());

    const struct {
        const char *name;
        QStringList candidates;
        bool loads;
    } rows[] = {
        {"the program's", program, true},
        {"after a missing file", {missing, program.last()}, true},
        {"none", {}, false},
        {"missing", {missing}, false},
        {"not a library", {text}, false},
        {"a library without the decoder", {otherLibrary}, false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const DecoderModule module(row.candidates);
        EXPECT_EQ(module.isLoaded(), row.loads) << module.error().toStdString();
        const DecodeResult result = module.decode(tone, {}, 0.01);
        EXPECT_EQ(result.envelope.has_value(), row.loads);
        if (row.loads) {
            EXPECT_NEAR(result.envelope->duration, 0.5, 0.02);
            continue;
        }
        EXPECT_TRUE(result.error.startsWith(QStringLiteral("无法加载解码组件：")))
            << result.error.toStdString();
        EXPECT_FALSE(result.error.contains(QLatin1Char('\n')));
        EXPECT_EQ(result.error, module.error());
        for (const QString &file : row.candidates)
            EXPECT_TRUE(result.error.contains(QFileInfo(file).fileName()))
                << result.error.toStdString();
    }
}

// The empty window does without the player: it is loaded once a recording is
// about to be chosen, and a drag of anything else or a plain start leaves it.
TEST(StartWithoutPlayer, ThePlayerLoadsWhenARecordingIsAboutToBeChosen)
{
    struct Case {
        const char *what;
        std::function<void(TForm_Main &, FakeDialogs &, const QString &folder)> act;
        int loads;
    };
    const auto drag = [](TForm_Main &window, const QString &path) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &enter);
    };
    const Case cases[] = {
        {"start-up and showing", [](TForm_Main &, FakeDialogs &, const QString &) {}, 0},
        {"the open dialog",
         [](TForm_Main &window, FakeDialogs &, const QString &) {
             window.findChild<QAction *>(QStringLiteral("Action_OpenSourceFile"))->trigger();
         },
         1},
        {"a recording dragged over the window",
         [drag](TForm_Main &window, FakeDialogs &, const QString &folder) {
             drag(window, folder + QStringLiteral("/lesson.mp3"));
         },
         1},
        {"a transcript dragged over the window",
         [drag](TForm_Main &window, FakeDialogs &, const QString &folder) {
             drag(window, folder + QStringLiteral("/lesson.txt"));
         },
         0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        FakePlayer player;
        FakeDialogs dialogs;
        FakeShell shell;
        int loads = 0;
        TForm_MainServices services{&player, &dialogs, &shell, dir.path() + QLatin1Char('/'),
                                    {},      {}};
        services.preparePlayer = [&loads] { ++loads; };
        TForm_Main window(services);
        window.show();
        c.act(window, dialogs, dir.path());
        EXPECT_EQ(loads, c.loads);
    }
}
