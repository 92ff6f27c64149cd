// Start-up, closing, help, pages and opening a recording, on fakes.
#include "support/testutil.h"

#include "playback/tdragtrackbar.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using Button = Dialogs::Button;
using Icon = Dialogs::Icon;

TEST(StartUp, WindowShowsItsInitialState)
{
    WindowHarness h;
    TForm_Main &w = *h.window;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Quillmar奎尔玛"));
    EXPECT_TRUE(w.windowState().testFlag(Qt::WindowMaximized));
    EXPECT_EQ(h.widget<QLabel>("Label_SourceFileName")->text(), QStringLiteral("  语音文件"));
    EXPECT_EQ(h.widget<QLabel>("Label_DictationFileName")->text(),
              QStringLiteral("  听写文件: 未指定"));
    EXPECT_EQ(h.widget<QLabel>("Label_AnswerFileName")->text(), QStringLiteral("  答案文件"));
    EXPECT_EQ(h.widget<QLabel>("Label_LoopInfo")->text(),
              QStringLiteral("  循环开始点: 未设定 结束点: 未设定"));
    EXPECT_EQ(h.widget<QLabel>("Label_CurrentPostion")->text(), QStringLiteral("播放位置信息 "));
    EXPECT_EQ(h.widget<QTabWidget>("PageControl1")->currentIndex(), 0);
    EXPECT_EQ(h.widget<QTabWidget>("PageControl1")->tabText(0), QStringLiteral("听写内容"));
    EXPECT_EQ(h.widget<QTabWidget>("PageControl1")->tabText(1), QStringLiteral("答案"));
    EXPECT_FALSE(h.widget<QPlainTextEdit>("Memo_Dictation")->isEnabled());
    EXPECT_FALSE(h.widget<QLineEdit>("LabeledEdit_Dictation")->isEnabled());
    EXPECT_FALSE(h.widget<QPushButton>("Button_Apply")->isEnabled());
    EXPECT_TRUE(h.widget<QPlainTextEdit>("Memo_Answer")->isReadOnly());
    EXPECT_EQ(h.loop().start(), -1.0);
    EXPECT_EQ(h.loop().end(), -1.0);
    EXPECT_FALSE(h.transport().isDragging());
    EXPECT_EQ(h.widget<TDragTrackBar>("DragTrackBar1")->maximum(), 5000);
    EXPECT_TRUE(h.widget<QTimer>("Timer1")->isActive());
    EXPECT_EQ(h.widget<QTimer>("Timer1")->interval(), 100);
    EXPECT_TRUE(h.dialogs.messages.isEmpty());
    // Start-up closes the (empty) player: stop, then close.
    EXPECT_EQ(h.player.calls, (QStringList{QStringLiteral("stop"), QStringLiteral("close")}));
    // Every hint is the caption.
    for (QAction *command : h.actions())
        EXPECT_EQ(command->toolTip(), command->text()) << command->objectName().toStdString();
}

TEST(StartUp, FirstTickShowsTheStatusAndStopsTheTimer)
{
    WindowHarness h;
    h.player.statusText = QStringLiteral("已停止");
    h.transport().tick();
    EXPECT_EQ(h.widget<QLabel>("Label_CurrentPostion")->text(), QStringLiteral("已停止 "));
    EXPECT_FALSE(h.widget<QTimer>("Timer1")->isActive());
}

TEST(Window, RefusesToShrinkBelow640x480)
{
    WindowHarness h;
    TForm_Main &w = *h.window;
    w.setWindowState(Qt::WindowNoState);
    w.show();
    w.resize(300, 200);
    EXPECT_GE(w.frameGeometry().width(), 640);
    EXPECT_GE(w.frameGeometry().height(), 480);
}

TEST(Window, DictationLineWidthFollowsTheWindow)
{
    WindowHarness h;
    TForm_Main &w = *h.window;
    // The line is laid out while the pages show, with something open.
    w.OpenDictationFile(QString());
    w.setWindowState(Qt::WindowNoState);
    w.show();
    w.resize(900, 700);
    QApplication::processEvents(); // let the layout follow the new size
    EXPECT_EQ(h.widget<QLineEdit>("LabeledEdit_Dictation")->width(),
              w.frameGeometry().width() - 75 - 100);
}

TEST(CloseQuery, AsksBeforeQuittingAndNoKeepsTheWindow)
{
    WindowHarness h;
    h.dialogs.answers.enqueue(Button::No);
    EXPECT_FALSE(h.window->FormCloseQuery());
    ASSERT_EQ(h.dialogs.messages.size(), 1);
    const FakeDialogs::Message &m = h.dialogs.messages.first();
    EXPECT_EQ(m.caption, QStringLiteral("系统提示"));
    EXPECT_EQ(m.text, QStringLiteral("确实要退出吗？"));
    EXPECT_EQ(m.buttons, (QList<Button>{Button::Yes, Button::No}));
    EXPECT_EQ(m.icon, Icon::Information);
    EXPECT_EQ(m.defaultButton, Button::No);

    // No answer at all takes the default button: No.
    EXPECT_FALSE(h.window->FormCloseQuery());
    h.dialogs.answers.enqueue(Button::Yes);
    EXPECT_TRUE(h.window->FormCloseQuery());
}

TEST(CloseQuery, ExitCommandRunsTheQuery)
{
    WindowHarness h;
    h.window->show();
    h.dialogs.answers.enqueue(Button::No);
    h.action(QStringLiteral("Action_Close"))->trigger();
    EXPECT_TRUE(h.window->isVisible());
    EXPECT_EQ(h.dialogs.messageTexts(), QStringList{QStringLiteral("确实要退出吗？")});
    h.dialogs.answers.enqueue(Button::Yes);
    h.action(QStringLiteral("Action_Close"))->trigger();
    EXPECT_FALSE(h.window->isVisible());
}

TEST(Help, WithoutAHelpFileTheGuideOpensInTheProgramsOwnWindow)
{
    WindowHarness h;
    h.action(QStringLiteral("Action_Help"))->trigger();
    EXPECT_TRUE(h.dialogs.messages.isEmpty());
    EXPECT_TRUE(h.shell.opened.isEmpty());
    auto *help = h.w().findChild<QMainWindow *>(QStringLiteral("Form_Help"));
    ASSERT_TRUE(help);
    EXPECT_TRUE(help->isVisible());
}

TEST(Help, PresentHelpFileOpensByFullPathFromAnyWorkingFolder)
{
    WindowHarness h;
    const QString help = h.writeFile(QStringLiteral("program/Quillmar.chm"), "help");
    const QString previous = QDir::currentPath();
    QDir::setCurrent(QDir::tempPath());
    h.action(QStringLiteral("Action_Help"))->trigger();
    QDir::setCurrent(previous);
    EXPECT_EQ(h.shell.opened, QStringList{help});
    EXPECT_TRUE(h.dialogs.messages.isEmpty());
}

TEST(Pages, F8TogglesAndFocusesTheLineOnlyWhenEnabled)
{
    WindowHarness h;
    TForm_Main &w = *h.window;
    w.show();
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    h.action(QStringLiteral("Action_ChangePageControlPage"))->trigger();
    EXPECT_EQ(h.widget<QTabWidget>("PageControl1")->currentIndex(), 1);
    h.action(QStringLiteral("Action_ChangePageControlPage"))->trigger();
    EXPECT_EQ(h.widget<QTabWidget>("PageControl1")->currentIndex(), 0);
    EXPECT_FALSE(
        h.widget<QLineEdit>("LabeledEdit_Dictation")->hasFocus()); // no document: line disabled

    h.window->OpenDictationFile(QString());
    h.action(QStringLiteral("Action_ChangePageControlPage"))->trigger();
    EXPECT_FALSE(h.widget<QLineEdit>("LabeledEdit_Dictation")->hasFocus());
    h.action(QStringLiteral("Action_ChangePageControlPage"))->trigger();
    EXPECT_EQ(h.widget<QTabWidget>("PageControl1")->currentIndex(), 0);
    EXPECT_TRUE(h.widget<QLineEdit>("LabeledEdit_Dictation")->hasFocus());
}

TEST(OpenSource, ExistingFileReachesThePlayerInOrder)
{
    WindowHarness h;
    const QString path = h.writeFile(QStringLiteral("lesson1.mp3"), "ID3");
    h.player.calls.clear();
    h.dialogs.fileAnswers.enqueue(path);
    h.action(QStringLiteral("Action_OpenSourceFile"))->trigger();

    ASSERT_EQ(h.dialogs.fileDialogs.size(), 1);
    const FakeDialogs::FileDialog &dialog = h.dialogs.fileDialogs[0];
    EXPECT_FALSE(dialog.save);
    EXPECT_EQ(dialog.request.title, QStringLiteral("请选择语音文件"));
    // The classic formats first, then every format the player takes.
    EXPECT_TRUE(dialog.request.filter.startsWith(
        QStringLiteral("音频文件 (*.mp3;*.wma;*.wav)|*.mp3;*.wma;*.wav|所有支持的文件 (")));
    EXPECT_TRUE(dialog.request.filter.contains(QStringLiteral("*.opus")));
    EXPECT_TRUE(dialog.request.fileMustExist);
    EXPECT_TRUE(dialog.request.fileName.isEmpty());

    EXPECT_EQ(h.player.calls, (QStringList{QStringLiteral("stop"), QStringLiteral("close"),
                                           QStringLiteral("url:") + path}));
    EXPECT_EQ(h.source().path(), path);
    EXPECT_EQ(h.widget<QLabel>("Label_SourceFileName")->text(),
              QStringLiteral("  语音文件: ") + path);
    EXPECT_EQ(h.doc().fileName(), h.path(QStringLiteral("lesson1.txt")));
    EXPECT_TRUE(h.doc().isOpen());

    // The next dialog starts with the current recording.
    h.action(QStringLiteral("Action_OpenSourceFile"))->trigger();
    EXPECT_EQ(h.dialogs.fileDialogs[1].request.fileName, path);
}

TEST(OpenSource, PlayOrPauseAfterOpeningDoesNotPauseTheStartingRecording)
{
    WindowHarness h;
    const QString path = h.writeFile(QStringLiteral("a.wav"), "RIFF");
    // The state before must differ, or the check below could not see a change.
    ASSERT_NE(h.player.state, MediaPlayer::Transitioning);
    h.window->OpenSourceFile(path);
    EXPECT_EQ(h.player.state, MediaPlayer::Transitioning);
    // Nor once the window has heard of the transitional state.
    FakePlayer::flushEvents();
    EXPECT_FALSE(h.player.calls.contains(QStringLiteral("pause")));
    EXPECT_FALSE(h.player.calls.contains(QStringLiteral("play")));
}

TEST(OpenSource, CancelledDialogChangesNothing)
{
    WindowHarness h;
    h.player.calls.clear();
    h.action(QStringLiteral("Action_OpenSourceFile"))->trigger();
    EXPECT_TRUE(h.player.calls.isEmpty());
    EXPECT_EQ(h.widget<QLabel>("Label_SourceFileName")->text(), QStringLiteral("  语音文件"));
}

TEST(OpenSource, MissingFileMessageAndFolderNamedLikeARecording)
{
    WindowHarness h;
    const QString opened = h.writeFile(QStringLiteral("keep.mp3"), "ID3");
    h.window->OpenSourceFile(opened);
    h.player.calls.clear();
    for (const QString &bad :
         {h.path(QStringLiteral("gone.mp3")), h.path(QStringLiteral("folder.mp3"))}) {
        QDir().mkpath(h.path(QStringLiteral("folder.mp3")));
        h.dialogs.clear();
        h.dialogs.fileAnswers.enqueue(bad);
        h.action(QStringLiteral("Action_OpenSourceFile"))->trigger();
        ASSERT_EQ(h.dialogs.messages.size(), 1);
        const FakeDialogs::Message &m = h.dialogs.messages[0];
        EXPECT_EQ(m.caption, QStringLiteral("系统提示"));
        EXPECT_EQ(m.text, QStringLiteral("文件“") + bad + QStringLiteral("”不存在！"));
        EXPECT_EQ(m.icon, Icon::Error);
        EXPECT_EQ(m.buttons, QList<Button>{Button::Ok});
    }
    EXPECT_TRUE(h.player.calls.isEmpty());
    EXPECT_EQ(h.source().path(), opened);
}

TEST(CloseSource, ClearsLabelLoopAndPlayer)
{
    WindowHarness h;
    h.openPlaying(QStringLiteral("a.mp3"));
    h.loop().setPoints(1.0, 2.0);
    h.player.calls.clear();
    h.dialogs.answers.enqueue(Button::No); // the new document's header is unsaved
    h.action(QStringLiteral("Action_CloseSourceFile"))->trigger();
    EXPECT_EQ(h.dialogs.messageTexts(), QStringList{QStringLiteral("您当前听写的内容要保存吗？")});
    EXPECT_EQ(h.widget<QLabel>("Label_SourceFileName")->text(),
              QStringLiteral("  语音文件: 未指定"));
    EXPECT_EQ(h.loop().start(), -1.0);
    EXPECT_EQ(h.loop().end(), -1.0);
    EXPECT_EQ(h.player.calls, (QStringList{QStringLiteral("stop"), QStringLiteral("close")}));
    EXPECT_FALSE(h.doc().isOpen());
}

TEST(ErrorDisplay, FailingPlayerCallIsShownWithTheTitle)
{
    WindowHarness h;
    const QString path = h.writeFile(QStringLiteral("a.mp3"), "ID3");
    h.player.failing << QStringLiteral("url");
    h.guard().run([&] { h.window->OpenSourceFile(path); });
    ASSERT_EQ(h.dialogs.messages.size(), 1);
    EXPECT_EQ(h.dialogs.messages[0].caption, QStringLiteral("Quillmar奎尔玛"));
    EXPECT_EQ(h.dialogs.messages[0].text, QStringLiteral("播放器调用失败: url."));
    EXPECT_EQ(h.dialogs.messages[0].icon, Icon::Error);
    // The steps before the failure stay done.
    EXPECT_TRUE(h.source().path().isEmpty());
}

TEST(ErrorDisplay, FullStopOnlyAfterCharactersSortingAfterIt)
{
    WindowHarness h;
    h.guard().showError(QStringLiteral("Ends with a stop."));
    h.guard().showError(QStringLiteral("Ends with a comma,"));
    h.guard().showError(QStringLiteral("无法播放"));
    EXPECT_EQ(h.dialogs.messageTexts(),
              (QStringList{QStringLiteral("Ends with a stop."),
                           QStringLiteral("Ends with a comma,"), QStringLiteral("无法播放.")}));
}

TEST(ErrorDisplay, AsynchronousPlayerErrorIsShown)
{
    WindowHarness h;
    Q_EMIT h.player.errorOccurred(QStringLiteral("无法播放文件"));
    EXPECT_EQ(h.dialogs.messageTexts(), QStringList{QStringLiteral("无法播放文件.")});
}
