// What a learner does in the first hour and the practice aids, through the
// window on the scripted player.
#include "support/testutil.h"
#include "support/tonewav.h"

#include "feedback/feedbackstrip.h"
#include "playback/resumestore.h"
#include "sentences/sentencetrack.h"
#include "settings/settingsrules.h"

#include <QAction>
#include <QApplication>
#include <QDataStream>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Button = Dialogs::Button;

// A 16-bit mono 8 kHz wav: tone for the positive lengths, silence for the
// negative ones.
void writeSegments(const QString &path, std::initializer_list<double> seconds)
{
    constexpr int Rate = 8000;
    QByteArray samples;
    QDataStream out(&samples, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    for (double length : seconds) {
        const int count = int(std::abs(length) * Rate);
        for (int i = 0; i < count; ++i)
            out << qint16(length > 0 ? 12000 * std::sin(i * 2 * M_PI * 300 / Rate) : 0);
    }
    putFile(path, monoWav(samples, Rate));
}

struct Practice : WindowHarness {
    explicit Practice(bool now = true) : WindowHarness(true)
    {
        if (now)
            create();
    }
    void create()
    {
        WindowHarness::create();
        settings().setOptions(TOptionFlags());
        w().setWait([](int) {});
    }
    void type(const QString &text)
    {
        widget<QLineEdit>("LabeledEdit_Dictation")->setText(text);
        clickApply();
    }
    QString playTooltip() { return action(QStringLiteral("Action_PlayAndPause"))->toolTip(); }
};

TEST(FirstHour, PlayButtonShowsPlayOnceTheRecordingIsClosed)
{
    Practice h;
    h.openPlaying(QStringLiteral("a.mp3"));
    ASSERT_EQ(h.playTooltip(), QStringLiteral("暂停"));
    // Closing stops, then releases: the stop notice arrives after the close.
    h.dialogs.answers.enqueue(Button::No); // the new document is not kept
    h.action(QStringLiteral("Action_CloseSourceFile"))->trigger();
    FakePlayer::flushEvents();
    EXPECT_EQ(h.playTooltip(), QStringLiteral("播放"));
}

TEST(FirstHour, TypingAfterASeekBarClickGoesToTheLine)
{
    Practice h;
    h.w().show();
    QApplication::setActiveWindow(&h.w());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&h.w()));
    h.openPlaying(QStringLiteral("a.mp3"));
    auto *line = h.widget<QLineEdit>("LabeledEdit_Dictation");
    ASSERT_TRUE(line->hasFocus());
    auto *bar = h.widget<TDragTrackBar>("DragTrackBar1");
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->rect().center());
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("ab"));
    EXPECT_EQ(line->text(), QStringLiteral("ab"));
}

TEST(FirstHour, TheNewestRecordIsInView)
{
    Practice h;
    h.w().show();
    h.openPlaying(QStringLiteral("a.mp3"));
    for (int i = 0; i < 30; ++i)
        h.type(QStringLiteral("line %1").arg(i));
    QScrollBar *scroll = h.widget<QPlainTextEdit>("Memo_Dictation")->verticalScrollBar();
    ASSERT_GT(scroll->maximum(), 0);
    EXPECT_EQ(scroll->value(), scroll->maximum());
}

TEST(FirstHour, AFileThatWouldNotSurviveSavingIsReportedAndKept)
{
    Practice h;
    // UTF-8 with one stray byte: read as GB18030, it would not be written back.
    const QByteArray bytes("\xe5\x90\xac\xe5\x86\x99\xe3\x80\x82\r\nstray \xff byte\r\n");
    const QString file = h.writeFile(QStringLiteral("mixed.txt"), bytes);
    h.dialogs.answers.enqueue(Button::Yes);
    h.w().OpenDictationFile(file);
    ASSERT_EQ(h.dialogs.messages.size(), 1);
    EXPECT_TRUE(h.dialogs.messages.first().text.contains(file));
    EXPECT_EQ(h.dialogs.messages.first().icon, Dialogs::Icon::Warning);
    EXPECT_EQ(readAll(file + QStringLiteral(".bak")), bytes);
    EXPECT_TRUE(h.doc().isOpen());

    // A file that reads back exactly asks nothing.
    h.dialogs.clear();
    h.w().OpenDictationFile(h.writeFile(QStringLiteral("clean.txt"), "\xb0\xa1\r\n"));
    EXPECT_TRUE(h.dialogs.messages.isEmpty());
}

TEST(FirstHour, OptionsDialogBelongsToTheWindow)
{
    Practice h;
    QWidget *parent = nullptr;
    QTimer::singleShot(0, [&parent] {
        if (QWidget *dialog = QApplication::activeModalWidget()) {
            parent = dialog->parentWidget();
            dialog->close();
        }
    });
    h.widget<QAction>("Menu_SettingOptions")->trigger();
    EXPECT_EQ(parent, &h.w());
}

TEST(Speed, StepsStayWithinHalfAndOneAndAHalf)
{
    Practice h;
    h.openPlaying(QStringLiteral("a.mp3"));
    auto *label = h.widget<QLabel>("Label_Speed");
    EXPECT_TRUE(label->text().isEmpty());
    for (int i = 0; i < 7; ++i)
        h.action(QStringLiteral("Action_SlowDown"))->trigger();
    EXPECT_DOUBLE_EQ(h.player.speedFactor, 0.5);
    EXPECT_EQ(label->text(), QStringLiteral("0.5× "));
    for (int i = 0; i < 12; ++i)
        h.action(QStringLiteral("Action_SpeedUp"))->trigger();
    EXPECT_DOUBLE_EQ(h.player.speedFactor, 1.5);
    h.action(QStringLiteral("Action_NormalSpeed"))->trigger();
    EXPECT_DOUBLE_EQ(h.player.speedFactor, 1.0);
    EXPECT_TRUE(label->text().isEmpty());
}

TEST(Speed, PreferencesAreWrittenOnlyOnceTheyDifferAndComeBack)
{
    Practice h;
    const QString ini = h.settings().filePath();
    EXPECT_EQ(readAll(ini), DefaultSettingsText());
    h.openPlaying(QStringLiteral("a.mp3"));
    h.action(QStringLiteral("Action_NormalSpeed"))->trigger(); // already the default
    const QByteArray before = readAll(ini);
    EXPECT_FALSE(before.contains("[Preferences]"));
    h.action(QStringLiteral("Action_SlowDown"))->trigger();
    h.action(QStringLiteral("Action_ExactLoop"))->trigger();
    const QByteArray after = readAll(ini);
    EXPECT_TRUE(after.startsWith(before));
    EXPECT_EQ(after.mid(before.size()),
              QByteArray("\r\n[Preferences]\r\nSpeed=0.9\r\nExactLoop=0\r\n"));

    WindowHarness again(true);
    putFile(again.programDir() + QStringLiteral("Quillmar.ini"), readAll(ini));
    again.create();
    EXPECT_DOUBLE_EQ(again.player.speedFactor, 0.9);
    EXPECT_FALSE(again.action(QStringLiteral("Action_ExactLoop"))->isChecked());
}

struct JumpCase {
    const char *name;
    double from, loopStart, loopEnd, step, expected;
};

TEST(Jumps, ClampToTheRecordingAndStayInsideTheLoop)
{
    const JumpCase cases[] = {
        {"back near the start", 1.0, -1, -1, -2, 0.0},
        {"forward near the end", 199.0, -1, -1, 2, 200.0},
        {"back inside the loop stops at its start", 11.0, 10.0, 20.0, -2, 10.0},
        {"back from after the loop goes on", 23.0, 10.0, 20.0, -2, 21.0},
        {"forward over the loop end is left to the loop", 19.0, 10.0, 20.0, 2, 21.0},
    };
    for (const JumpCase &c : cases) {
        SCOPED_TRACE(c.name);
        Practice h;
        h.openPlaying(QStringLiteral("a.mp3"), 200.0);
        h.loop().setPoints(c.loopStart, c.loopEnd);
        h.player.position = c.from;
        h.action(QLatin1String(c.step < 0 ? "Action_JumpBack" : "Action_JumpForward"))->trigger();
        EXPECT_DOUBLE_EQ(h.player.position, c.expected);
    }
}

TEST(ExactLoop, ThePlayerLoopFollowsTheLoopPoints)
{
    Practice h;
    h.openPlaying(QStringLiteral("a.mp3"));
    h.player.position = 3.0;
    h.action(QStringLiteral("Action_SetStartPoint"))->trigger();
    EXPECT_LT(h.player.loopB, 0); // a start alone is the tick's
    h.player.position = 5.0;
    h.action(QStringLiteral("Action_SetEndPoint"))->trigger();
    EXPECT_DOUBLE_EQ(h.player.loopA, 3.0);
    EXPECT_DOUBLE_EQ(h.player.loopB, 5.0);
    h.action(QStringLiteral("Action_DeleteStartPoint"))->trigger();
    EXPECT_DOUBLE_EQ(h.player.loopA, 0.0);
    h.action(QStringLiteral("Action_ExactLoop"))->trigger(); // off: today's tick alone
    EXPECT_LT(h.player.loopB, 0);
    h.action(QStringLiteral("Action_ExactLoop"))->trigger();
    h.action(QStringLiteral("Action_ClearLoopPoint"))->trigger();
    EXPECT_LT(h.player.loopB, 0);
}

TEST(Volume, KeysStepThePlayerVolume)
{
    Practice h;
    EXPECT_EQ(h.player.volumePercent, 100);
    h.action(QStringLiteral("Action_VolumeDown"))->trigger();
    h.action(QStringLiteral("Action_VolumeDown"))->trigger();
    EXPECT_EQ(h.player.volumePercent, 80);
    for (int i = 0; i < 5; ++i)
        h.action(QStringLiteral("Action_VolumeUp"))->trigger();
    EXPECT_EQ(h.player.volumePercent, 100);
}

TEST(Sentences, CommandsLoopOneSentenceAfterAnother)
{
    Practice h;
    const QString wav = h.path(QStringLiteral("three.wav"));
    writeSegments(wav, {-0.6, 1.0, -0.9, 1.2, -0.9, 0.8, -0.6});
    auto &track = h.feature<SentenceTrack>();
    QSignalSpy status(&track, &SentenceTrack::statusChanged);
    // Looping freely, as without sentence by sentence dictation.
    h.action(QStringLiteral("Action_SentenceMode"))->trigger();
    h.w().OpenSourceFile(wav);
    h.player.length = 6.0;
    h.player.setStateAndNotify(MediaPlayer::Playing);
    FakePlayer::flushEvents();
    QTRY_COMPARE_WITH_TIMEOUT(track.sentences().size(), 3, 10000);

    h.player.position = 0.1;
    h.action(QStringLiteral("Action_NextSentence"))->trigger();
    const Sentence first = track.sentences().at(0);
    EXPECT_DOUBLE_EQ(h.loop().start(), first.start);
    EXPECT_DOUBLE_EQ(h.loop().end(), first.end);
    EXPECT_DOUBLE_EQ(h.player.position, first.start);
    EXPECT_EQ(h.widget<QLabel>("Label_Sentence")->text(), QStringLiteral("第 1/3 句"));
    h.action(QStringLiteral("Action_NextSentence"))->trigger();
    EXPECT_DOUBLE_EQ(h.loop().start(), track.sentences().at(1).start);
    h.action(QStringLiteral("Action_PreviousSentence"))->trigger();
    EXPECT_DOUBLE_EQ(h.loop().start(), first.start);
    h.player.position = first.end - 0.1;
    h.action(QStringLiteral("Action_RepeatSentence"))->trigger();
    EXPECT_DOUBLE_EQ(h.player.position, first.start);
}

TEST(Sentences, TheSentenceLengthPreferenceSplitsLongerOnes)
{
    // Three phrases of 1.2 s, 0.12 and 0.2 s apart: no sentence break, 3.9 s
    // in all. Allowed 3 s, it splits where the pause stands out.
    struct Row {
        const char *stored; // nullptr: no such line
        int sentences;
    };
    const Row rows[] = {{nullptr, 1}, {"3", 2}, {"twelve", 1}, {"1", 1}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.stored ? row.stored : "(default)");
        Practice h(false);
        const QString ini = h.programDir() + QStringLiteral("Quillmar.ini");
        QByteArray text = DefaultSettingsText();
        if (row.stored)
            text += QByteArray("\r\n[Preferences]\r\nSentenceLength=") + row.stored + "\r\n";
        putFile(ini, text);
        h.create();
        const QString wav = h.path(QStringLiteral("phrases.wav"));
        writeSegments(wav, {-0.6, 1.2, -0.12, 1.2, -0.2, 1.2, -0.6});
        auto &track = h.feature<SentenceTrack>();
        h.w().OpenSourceFile(wav);
        QTRY_VERIFY_WITH_TIMEOUT(!track.sentences().isEmpty(), 10000);
        EXPECT_EQ(track.sentences().size(), row.sentences);
        // Read, never written: the default leaves no line behind.
        EXPECT_EQ(readAll(ini).contains("SentenceLength"), row.stored != nullptr);
    }
}

TEST(Feedback, TheStripShowsTheWrongWordAfterAnApply)
{
    Practice h;
    h.openPlaying(QStringLiteral("a.mp3"));
    h.dialogs.fileAnswers.enqueue(
        h.writeFile(QStringLiteral("answer.txt"), "It was a bright cold day in April.\r\n"));
    h.action(QStringLiteral("Action_OpenAnswerFile"))->trigger();
    h.type(QStringLiteral("it was a bright old day"));
    const QString shown = h.widget<QLabel>("FeedbackWords")->text();
    EXPECT_TRUE(shown.contains(QStringLiteral("cold"))) << shown.toStdString();
    EXPECT_FALSE(h.widget<QLabel>("FeedbackScore")->text().isEmpty());
    EXPECT_TRUE(h.w().statusBar()->currentMessage().contains(QStringLiteral("已比较 1 句")));
    // Nothing of it reaches the document.
    EXPECT_FALSE(h.doc().text().contains(QStringLiteral("cold")));
}

TEST(Recovery, SavingOrDiscardingLeavesNoCopy)
{
    for (const bool save : {true, false}) {
        SCOPED_TRACE(save ? "saved" : "not kept");
        Practice h;
        h.openPlaying(QStringLiteral("a.mp3"));
        h.type(QStringLiteral("typed"));
        h.w().FlushRecovery();
        const QDir folder(h.path(QStringLiteral("recovery")));
        ASSERT_EQ(folder.entryList({QStringLiteral("*.recovery")}, QDir::Files).size(), 1);
        if (save) {
            h.action(QStringLiteral("Action_SaveDictationFile"))->trigger();
        } else {
            h.dialogs.answers.enqueue(Button::No);
            h.action(QStringLiteral("Action_CloseSourceFile"))->trigger();
        }
        EXPECT_TRUE(folder.entryList({QStringLiteral("*.recovery")}, QDir::Files).isEmpty());
    }
}

} // namespace

namespace {

TEST(Resume, ReopeningARecordingTakesUpWhereTheLearnerStopped)
{
    QTemporaryDir shared;
    const QString state = shared.filePath(QStringLiteral("resume.json"));
    QString recording;
    {
        Practice h(false);
        h.resumeFile = state;
        h.create();
        h.openPlaying(QStringLiteral("lesson.mp3"));
        recording = h.source().path();
        h.player.position = 12.0;
        h.action(QStringLiteral("Action_SetStartPoint"))->trigger();
        h.player.position = 15.5;
        h.action(QStringLiteral("Action_SetEndPoint"))->trigger();
        h.player.position = 13.25;
        h.dialogs.answers.enqueue(Dialogs::Button::Yes); // quit
        h.w().close();
    }
    Practice again(false);
    again.resumeFile = state;
    again.create();
    putFile(recording, "RIFF");
    again.w().OpenSourceFile(recording);
    again.player.length = 200.0;
    again.player.setStateAndNotify(MediaPlayer::Playing);
    FakePlayer::flushEvents();
    EXPECT_DOUBLE_EQ(again.player.position, 13.25);
    EXPECT_DOUBLE_EQ(again.loop().start(), 12.0);
    EXPECT_DOUBLE_EQ(again.loop().end(), 15.5);
}

TEST(Resume, TheStateFileKeepsTheNewestFiveHundredAndSurvivesDamage)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("resume.json"));
    putFile(path, "{ not json");
    ResumeStore store(path);
    EXPECT_FALSE(store.find(QStringLiteral("/a.mp3")));
    for (int i = 0; i <= ResumeStore::MaxRecordings; ++i)
        ASSERT_TRUE(store.remember(QStringLiteral("/r%1.mp3").arg(i), {1.0, 2.0, double(i), {}}));
    EXPECT_FALSE(store.find(QStringLiteral("/r0.mp3")));
    ASSERT_TRUE(store.find(QStringLiteral("/r1.mp3")));
    EXPECT_DOUBLE_EQ(store.find(QStringLiteral("/r500.mp3"))->position, 500.0);
}

} // namespace
