// Transport, the tick, the loop commands and the seek bar, on a scripted player.
#include "support/testutil.h"

#include "playback/tdragtrackbar.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

QString seek(double seconds)
{
    return QStringLiteral("seek:") + QString::number(seconds);
}

QStringList seeks(const QStringList &calls)
{
    QStringList result;
    for (const QString &call : calls) {
        if (call.startsWith(QLatin1String("seek:")))
            result << call;
    }
    return result;
}

QString loopLabel(const char *start, const char *end)
{
    return QStringLiteral("  循环开始点: ") + QString::fromUtf8(start) + QStringLiteral(" 结束点: ")
           + QString::fromUtf8(end);
}

struct Playing : WindowHarness {
    Playing()
    {
        openPlaying(QStringLiteral("lesson.mp3"), 200.0);
        player.calls.clear();
    }
    void run(const char *name) { action(QLatin1String(name))->trigger(); }
    void at(double position) { player.position = position; }
    TForm_Main &w() { return *window; }
};

} // namespace

TEST(Transport, PlayPauseFollowsTheState)
{
    Playing h;
    h.run("Action_PlayAndPause");
    EXPECT_EQ(h.player.calls, QStringList{QStringLiteral("pause")});
    FakePlayer::flushEvents();
    QAction *toggle = h.action(QStringLiteral("Action_PlayAndPause"));
    EXPECT_EQ(toggle->text(), QStringLiteral("播放(&P)"));
    EXPECT_EQ(toggle->toolTip(), QStringLiteral("播放"));
    EXPECT_EQ(toggle->property("imageIndex").toInt(), 29);

    h.run("Action_PlayAndPause");
    FakePlayer::flushEvents();
    EXPECT_EQ(h.player.calls.last(), QStringLiteral("play"));
    EXPECT_EQ(toggle->text(), QStringLiteral("暂停(&P)"));
    EXPECT_EQ(toggle->toolTip(), QStringLiteral("暂停"));
    EXPECT_EQ(toggle->property("imageIndex").toInt(), 27);

    // Transitional states change neither the player nor the command.
    for (int state : {MediaPlayer::Transitioning, MediaPlayer::Ready}) {
        h.player.calls.clear();
        h.player.setStateAndNotify(state);
        FakePlayer::flushEvents();
        h.run("Action_PlayAndPause");
        EXPECT_TRUE(h.player.calls.isEmpty());
        EXPECT_EQ(toggle->text(), QStringLiteral("暂停(&P)"));
    }
}

TEST(Transport, StopOnlyWhenActiveAndStopClearsTheLoop)
{
    Playing h;
    h.loop().setPoints(1.0, 2.0);
    h.run("Action_StopPlaying");
    FakePlayer::flushEvents();
    EXPECT_EQ(h.player.calls, QStringList{QStringLiteral("stop")});
    EXPECT_EQ(h.loop().start(), -1.0);
    EXPECT_EQ(h.loop().end(), -1.0);
    EXPECT_EQ(h.widget<QLabel>("Label_LoopInfo")->text(), loopLabel("未设定", "未设定"));
    EXPECT_EQ(h.widget<TDragTrackBar>("DragTrackBar1")->selStart(), -1);

    h.player.calls.clear();
    h.run("Action_StopPlaying"); // already stopped
    EXPECT_TRUE(h.player.calls.isEmpty());
}

TEST(Tick, FollowsTheRecordingWithoutALoop)
{
    Playing h;
    h.player.statusText = QStringLiteral("正在播放");
    h.at(75.25);
    h.transport().tick();
    EXPECT_EQ(h.widget<QLabel>("Label_CurrentPostion")->text(),
              QStringLiteral("正在播放 01:15.250 / 03:20.000 "));
    EXPECT_EQ(h.widget<TDragTrackBar>("DragTrackBar1")->value(), 1881);
    EXPECT_TRUE(h.widget<QTimer>("Timer1")->isActive());
    EXPECT_TRUE(seeks(h.player.calls).isEmpty());
}

TEST(Tick, PullsBeforeStartAndWrapsPastEnd)
{
    Playing h;
    h.loop().setPoints(12.345, 15.0);
    const QString before = h.widget<QLabel>("Label_CurrentPostion")->text();

    h.at(3.0); // before the start: pulled, no refresh
    h.transport().tick();
    EXPECT_EQ(seeks(h.player.calls), QStringList{seek(12.345)});
    EXPECT_EQ(h.widget<QLabel>("Label_CurrentPostion")->text(), before);

    h.player.calls.clear();
    h.at(15.0); // exactly at the end: no wrap
    h.transport().tick();
    EXPECT_TRUE(seeks(h.player.calls).isEmpty());

    h.at(15.001); // past the end: back to the start
    h.transport().tick();
    EXPECT_EQ(seeks(h.player.calls), QStringList{seek(12.345)});

    h.player.calls.clear();
    h.at(12.345); // exactly at the start: stays
    h.transport().tick();
    EXPECT_TRUE(seeks(h.player.calls).isEmpty());
}

TEST(Tick, StartOfZeroOrUnsetWrapsToTheBeginning)
{
    Playing h;
    h.at(0.0);
    h.action(QStringLiteral("Action_SetStartPoint"))->trigger(); // start 0.0 stored
    EXPECT_EQ(h.loop().start(), 0.0);
    h.loop().setPoints(0.0, 5.0);
    h.at(5.2);
    h.transport().tick();
    EXPECT_EQ(seeks(h.player.calls), QStringList{seek(0)});

    h.player.calls.clear();
    h.loop().setPoints(-1.0, 5.0);
    h.at(5.2);
    h.transport().tick();
    EXPECT_EQ(seeks(h.player.calls), QStringList{seek(0)});
}

TEST(Tick, OnlyStartSetLetsTheRecordingPlayOut)
{
    Playing h;
    h.loop().setPoints(10.0, -1.0);
    h.at(199.9);
    h.transport().tick();
    EXPECT_TRUE(seeks(h.player.calls).isEmpty());
}

TEST(Tick, StopsWhenNotPlayingAndIsRearmedByAStateChange)
{
    Playing h;
    h.player.setStateAndNotify(MediaPlayer::Paused);
    FakePlayer::flushEvents();
    h.at(42.0);
    h.player.statusText = QStringLiteral("已暂停");
    h.transport().tick(); // the one refresh after the pause
    EXPECT_FALSE(h.widget<QTimer>("Timer1")->isActive());
    EXPECT_EQ(h.widget<QLabel>("Label_CurrentPostion")->text(),
              QStringLiteral("已暂停 00:42.000 / 03:20.000 "));
    // A paused player is not pulled into the loop.
    h.loop().setPoints(50.0, 60.0);
    h.transport().tick();
    EXPECT_TRUE(seeks(h.player.calls).isEmpty());

    h.player.setStateAndNotify(MediaPlayer::Playing);
    FakePlayer::flushEvents();
    EXPECT_TRUE(h.widget<QTimer>("Timer1")->isActive());
}

TEST(Tick, LoopIsEnforcedWhileDraggingButTheDisplayIsHeld)
{
    Playing h;
    h.loop().setPoints(1.0, 2.0);
    h.transport().seekBarPressed();
    ASSERT_TRUE(h.transport().isDragging());
    h.widget<TDragTrackBar>("DragTrackBar1")->setValue(4000);
    h.widget<QLabel>("Label_CurrentPostion")->setText(QStringLiteral("preview"));
    h.at(1.5);
    h.transport().tick();
    EXPECT_EQ(h.widget<QLabel>("Label_CurrentPostion")->text(), QStringLiteral("preview"));
    EXPECT_EQ(h.widget<TDragTrackBar>("DragTrackBar1")->value(), 4000);
    h.at(2.5);
    h.transport().tick();
    EXPECT_EQ(seeks(h.player.calls), QStringList{seek(1)});
}

TEST(Tick, UnknownLengthKeepsTheThumb)
{
    Playing h;
    h.widget<TDragTrackBar>("DragTrackBar1")->setValue(1234);
    h.player.length = 0.0;
    h.at(3.0);
    h.transport().tick();
    EXPECT_EQ(h.widget<TDragTrackBar>("DragTrackBar1")->value(), 1234);
    EXPECT_EQ(h.widget<QLabel>("Label_CurrentPostion")->text().section(QLatin1Char(' '), 1),
              QStringLiteral("00:03.000 / 00:00.000 "));
}

TEST(Tick, FailingPlayerCallEndsTheTickAndIsShown)
{
    Playing h;
    h.loop().setPoints(1.0, 2.0);
    h.player.failing << QStringLiteral("pos");
    h.guard().run([&] { h.transport().tick(); });
    EXPECT_EQ(h.dialogs.messages.size(), 1);
    EXPECT_EQ(h.dialogs.messages[0].caption, QStringLiteral("Quillmar奎尔玛"));
}

TEST(LoopCommands, SetStartThenEndShowsTheRegion)
{
    Playing h;
    h.at(12.345);
    h.run("Action_SetStartPoint");
    EXPECT_EQ(h.widget<QLabel>("Label_LoopInfo")->text(), loopLabel("00:12.345", "至结尾"));
    EXPECT_EQ(h.widget<TDragTrackBar>("DragTrackBar1")->selStart(), 308);
    EXPECT_EQ(h.widget<TDragTrackBar>("DragTrackBar1")->selEnd(), 5000);
    h.at(15.0);
    h.run("Action_SetEndPoint");
    EXPECT_EQ(h.loop().start(), 12.345);
    EXPECT_EQ(h.loop().end(), 15.0);
    EXPECT_EQ(h.widget<QLabel>("Label_LoopInfo")->text(), loopLabel("00:12.345", "00:15.000"));
    EXPECT_EQ(h.widget<TDragTrackBar>("DragTrackBar1")->selStart(), 308);
    EXPECT_EQ(h.widget<TDragTrackBar>("DragTrackBar1")->selEnd(), 375);
}

TEST(LoopCommands, RefusalsKeepLabelAndSelection)
{
    Playing h;
    h.loop().setPoints(10.0, 20.0);
    const QString label = h.widget<QLabel>("Label_LoopInfo")->text();
    h.at(10.0);
    h.run("Action_SetEndPoint"); // end at the start
    h.at(25.0);
    h.run("Action_SetStartPoint"); // start after the end
    h.at(20.0);
    h.run("Action_SetStartPoint"); // start at the end
    EXPECT_EQ(h.loop().start(), 10.0);
    EXPECT_EQ(h.loop().end(), 20.0);
    EXPECT_EQ(h.widget<QLabel>("Label_LoopInfo")->text(), label);
    EXPECT_EQ(h.widget<TDragTrackBar>("DragTrackBar1")->selStart(), 250);
    EXPECT_EQ(h.widget<TDragTrackBar>("DragTrackBar1")->selEnd(), 500);
}

TEST(LoopCommands, PointsAtZero)
{
    Playing h;
    h.at(0.0);
    h.run("Action_SetEndPoint"); // an end of 0 is not stored, but rendered
    EXPECT_EQ(h.loop().end(), -1.0);
    EXPECT_EQ(h.widget<QLabel>("Label_LoopInfo")->text(), loopLabel("00:00.000", "00:00.000"));
    h.run("Action_SetStartPoint");
    EXPECT_EQ(h.loop().start(), 0.0);
    EXPECT_EQ(h.widget<QLabel>("Label_LoopInfo")->text(), loopLabel("00:00.000", "至结尾"));
}

TEST(LoopCommands, NudgesFollowTheRules)
{
    Playing h;
    h.loop().setPoints(1.0, 1.05);
    h.run("Action_MicroBackEndPoint"); // would reach the start: refused
    EXPECT_EQ(h.loop().end(), 1.05);
    h.run("Action_MicroForwardStartPoint"); // past the end: refused
    EXPECT_EQ(h.loop().start(), 1.0);
    h.run("Action_MicroBackStartPoint");
    EXPECT_DOUBLE_EQ(h.loop().start(), 0.9);
    h.run("Action_MicroForwardEndPoint");
    EXPECT_DOUBLE_EQ(h.loop().end(), 1.15);

    // An end of 0.05 without a start nudged to or below zero becomes unset.
    h.loop().setPoints(-1.0, 0.05);
    h.run("Action_MicroBackEndPoint");
    EXPECT_EQ(h.loop().end(), -1.0);
    EXPECT_EQ(h.widget<QLabel>("Label_LoopInfo")->text(), loopLabel("未设定", "未设定"));

    // Start nudged below zero becomes unset; an unset start stays unset.
    h.loop().setPoints(0.05, 3.0);
    h.run("Action_MicroBackStartPoint");
    EXPECT_EQ(h.loop().start(), -1.0);
    h.run("Action_MicroBackStartPoint");
    EXPECT_EQ(h.loop().start(), -1.0);
    EXPECT_EQ(h.widget<QLabel>("Label_LoopInfo")->text(), loopLabel("00:00.000", "00:03.000"));

    // The end may pass the recording's length.
    h.loop().setPoints(-1.0, 199.95);
    h.run("Action_MicroForwardEndPoint");
    EXPECT_DOUBLE_EQ(h.loop().end(), 200.05);
}

TEST(LoopCommands, GuardsWhenNothingPlays)
{
    WindowHarness h;
    h.player.calls.clear();
    for (const char *name :
         {"Action_SetStartPoint", "Action_SetEndPoint", "Action_SetEndPointAndPause",
          "Action_DeleteStartPoint", "Action_DeleteEndPoint", "Action_MicroBackStartPoint",
          "Action_MicroForwardEndPoint", "Action_SetEndpointAsStartpoint"}) {
        h.action(QLatin1String(name))->trigger();
    }
    EXPECT_TRUE(h.player.calls.isEmpty());
    EXPECT_EQ(h.widget<QLabel>("Label_LoopInfo")->text(), loopLabel("未设定", "未设定"));
    // Esc with no recording writes the label again.
    h.widget<QLabel>("Label_LoopInfo")->setText(QString());
    h.action(QStringLiteral("Action_ClearLoopPoint"))->trigger();
    EXPECT_EQ(h.widget<QLabel>("Label_LoopInfo")->text(), loopLabel("未设定", "未设定"));
}

TEST(LoopCommands, EndAndPauseDeleteAndEndAsStart)
{
    Playing h;
    h.loop().setPoints(2.0, -1.0);
    h.at(4.5);
    h.run("Action_SetEndPointAndPause");
    EXPECT_EQ(h.player.calls.first(), QStringLiteral("pause"));
    EXPECT_EQ(h.loop().end(), 4.5);

    h.run("Action_SetEndpointAsStartpoint");
    EXPECT_EQ(h.loop().start(), 4.5);
    EXPECT_EQ(h.loop().end(), -1.0);
    h.run("Action_SetEndpointAsStartpoint"); // no end: nothing
    EXPECT_EQ(h.loop().start(), 4.5);

    h.loop().setPoints(1.0, 3.0);
    h.run("Action_DeleteStartPoint");
    EXPECT_EQ(h.loop().start(), -1.0);
    EXPECT_EQ(h.loop().end(), 3.0);
    h.run("Action_DeleteEndPoint");
    EXPECT_EQ(h.loop().end(), -1.0);
    h.loop().setPoints(1.0, 3.0);
    h.run("Action_ClearLoopPoint");
    EXPECT_EQ(h.loop().start(), -1.0);
    EXPECT_EQ(h.loop().end(), -1.0);
}

TEST(LoopCommands, HoursAppearOnBothTextsWithAnEndPastOneHour)
{
    Playing h;
    h.player.length = 4000.0;
    h.loop().setPoints(3500.0, 3700.0);
    EXPECT_EQ(h.widget<QLabel>("Label_LoopInfo")->text(),
              loopLabel("00:58:20.000", "01:01:40.000"));
    EXPECT_EQ(h.widget<TDragTrackBar>("DragTrackBar1")->selStart(), 4375);
    EXPECT_EQ(h.widget<TDragTrackBar>("DragTrackBar1")->selEnd(), 4625);
}

TEST(LoopCommands, UnknownLengthKeepsThePreviousSelection)
{
    Playing h;
    h.loop().setPoints(10.0, 20.0);
    h.player.length = 0.0;
    h.loop().setPoints(10.0, 30.0);
    EXPECT_EQ(h.widget<TDragTrackBar>("DragTrackBar1")->selEnd(), 500);
    EXPECT_EQ(h.widget<QLabel>("Label_LoopInfo")->text(), loopLabel("00:10.000", "00:30.000"));
}

TEST(SeekBar, DragPreviewsAndReleaseSeeks)
{
    Playing h;
    h.player.statusText = QStringLiteral("正在播放");
    h.transport().seekBarPressed();
    EXPECT_TRUE(h.transport().isDragging());
    h.widget<TDragTrackBar>("DragTrackBar1")->setValue(2500);
    h.transport().seekBarMoved(true);
    EXPECT_EQ(h.widget<QLabel>("Label_CurrentPostion")->text(),
              QStringLiteral("正在播放 01:40.000 / 03:20.000 "));
    h.widget<TDragTrackBar>("DragTrackBar1")->setValue(5000);
    h.transport().seekBarMoved(false); // right button only: no preview
    EXPECT_EQ(h.widget<QLabel>("Label_CurrentPostion")->text(),
              QStringLiteral("正在播放 01:40.000 / 03:20.000 "));
    h.transport().seekBarReleased();
    EXPECT_FALSE(h.transport().isDragging());
    EXPECT_EQ(seeks(h.player.calls), QStringList{seek(200)});
}

TEST(SeekBar, NothingWhileStopped)
{
    WindowHarness h;
    h.player.calls.clear();
    h.transport().seekBarPressed();
    EXPECT_FALSE(h.transport().isDragging());
    h.widget<TDragTrackBar>("DragTrackBar1")->setValue(3000);
    h.transport().seekBarMoved(true);
    h.transport().seekBarReleased();
    EXPECT_TRUE(h.player.calls.isEmpty());
    EXPECT_EQ(h.widget<TDragTrackBar>("DragTrackBar1")->value(), 3000);
}

TEST(SeekBar, FailedSeekStillEndsTheDrag)
{
    Playing h;
    h.transport().seekBarPressed();
    h.player.failing << QStringLiteral("seek");
    h.guard().run([&] { h.transport().seekBarReleased(); });
    EXPECT_FALSE(h.transport().isDragging());
    EXPECT_EQ(h.dialogs.messages.size(), 1);
}

TEST(SeekBar, RealMouseClickSeeksThere)
{
    Playing h;
    h.w().setWindowState(Qt::WindowNoState);
    h.w().resize(1000, 700);
    h.w().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&h.w()));
    TDragTrackBar *bar = h.widget<TDragTrackBar>("DragTrackBar1");
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, bar->height() / 2));
    const QStringList done = seeks(h.player.calls);
    ASSERT_EQ(done.size(), 1);
    EXPECT_NEAR(done[0].mid(5).toDouble(), 100.0, 4.0);
    EXPECT_FALSE(h.transport().isDragging());
}

// Real key events: the window's shortcuts come before the focused editor.
TEST(Keyboard, EditingKeysAdjustTheLoopInsteadOfEditing)
{
    Playing h;
    h.w().setWindowState(Qt::WindowNoState);
    h.w().show();
    QApplication::setActiveWindow(&h.w());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&h.w()));
    h.loop().setPoints(2.0, 4.0);
    QApplication::clipboard()->setText(QStringLiteral("PASTED"));

    QLineEdit *line = h.widget<QLineEdit>("LabeledEdit_Dictation");
    ASSERT_TRUE(line->isEnabled());
    line->setFocus();
    line->setText(QStringLiteral("abc"));
    line->selectAll();
    QTest::keyClick(line, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_DOUBLE_EQ(h.loop().start(), 1.9);
    EXPECT_EQ(line->text(), QStringLiteral("abc"));
    QTest::keyClick(line, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_DOUBLE_EQ(h.loop().start(), 2.0);
    EXPECT_EQ(line->text(), QStringLiteral("abc"));
    QTest::keyClick(line, Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(h.loop().end(), 3.9);
    QTest::keyClick(line, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(h.loop().end(), 4.0);
    EXPECT_EQ(line->text(), QStringLiteral("abc"));

    QPlainTextEdit *memo = h.widget<QPlainTextEdit>("Memo_Dictation");
    memo->setFocus();
    memo->setPlainText(QStringLiteral("text"));
    memo->selectAll();
    QTest::keyClick(memo, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("text"));
    EXPECT_DOUBLE_EQ(h.loop().start(), 1.9);

    line->setFocus();
    QTest::keyClick(line, Qt::Key_Escape);
    EXPECT_EQ(h.loop().start(), -1.0);
    EXPECT_EQ(h.loop().end(), -1.0);
    EXPECT_EQ(line->text(), QStringLiteral("abc"));
}

TEST(Keyboard, KeyIsConsumedEvenWhenTheCommandChangesNothing)
{
    WindowHarness h; // nothing plays: the nudge is refused
    h.window->setWindowState(Qt::WindowNoState);
    h.window->show();
    QApplication::setActiveWindow(h.window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(h.window.get()));
    h.window->OpenDictationFile(QString());
    QApplication::clipboard()->setText(QStringLiteral("PASTED"));
    QLineEdit *line = h.widget<QLineEdit>("LabeledEdit_Dictation");
    line->setFocus();
    QTest::keyClick(line, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_TRUE(line->text().isEmpty());
}
