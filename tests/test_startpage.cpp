// The empty window's start page: how to begin, the recent recordings with the
// learner's progress, today's review; and files dropped onto the window.
#include "support/testutil.h"

#include "learner/learnerdatabase.h"
#include "progress/reviewwindow.h"
#include "progress/startpage.h"
#include "progress/startsummary.h"

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

const QDate Today(2026, 12, 9);

bool dropFile(QWidget *target, const QString &path)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    const QPoint centre = target->rect().center();
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(centre, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(centre, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return enter.isAccepted() && drop.isAccepted();
}

QWidget *shownPage(WindowHarness &h)
{
    return h.widget<QStackedWidget>("Stack_Pages")->currentWidget();
}

SentenceProgress passedAt(double start)
{
    SentenceProgress p;
    p.start = start;
    p.end = start + 1.5;
    p.state = SentenceState::Passed;
    p.tries = 1;
    return p;
}

AttemptRecord attemptOn(const QDateTime &at)
{
    AttemptRecord a;
    a.at = at;
    a.typed = QStringLiteral("line");
    a.score = 100;
    a.passed = true;
    return a;
}

} // namespace

TEST(StartPage, ProgressAndDaysAsTheLearnerReadsThem)
{
    struct Case {
        int done, total;
        const char *expected;
    };
    const Case progress[] = {
        {9, 15, "已完成 9/15 句"},
        {0, 15, "已完成 0/15 句"},
        {-1, 15, "已完成 0/15 句"},
        {3, -1, "已完成 3 句"},
        {0, -1, ""},
        {-1, -1, ""},
    };
    for (const Case &c : progress) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(startProgressText(c.done, c.total), QString::fromUtf8(c.expected));
    }
    struct Day {
        QDateTime when;
        const char *expected;
    };
    const QTime noon(12, 0);
    const Day days[] = {
        {QDateTime(Today, QTime(0, 5)), "今天"},
        {QDateTime(Today.addDays(-1), QTime(23, 55)), "昨天"},
        {QDateTime(Today.addDays(-3), noon), "3 天前"},
        {QDateTime(Today.addDays(-6), noon), "6 天前"},
        {QDateTime(), ""},
    };
    for (const Day &d : days) {
        SCOPED_TRACE(d.expected);
        EXPECT_EQ(lastPractisedText(d.when, Today), QString::fromUtf8(d.expected));
    }
    // A week or more back: the date itself.
    const QDate old = Today.addDays(-20);
    EXPECT_EQ(lastPractisedText(QDateTime(old, noon), Today),
              QLocale().toString(old, QLocale::ShortFormat));
}

TEST(StartPage, EmptyWindowSaysWhatToDoFirst)
{
    WindowHarness h;
    StartPage *page = h.widget<StartPage>("StartPage");
    ASSERT_EQ(shownPage(h), page);
    auto *open = h.widget<QPushButton>("Button_StartOpen");
    EXPECT_TRUE(open->text().contains(QStringLiteral("Ctrl+O")));
    EXPECT_TRUE(h.widget<QLabel>("Label_StartHint")->text().contains(QStringLiteral("拖")));
    EXPECT_TRUE(h.widget<QLabel>("Label_StartNoRecent")->isVisibleTo(page));
    // Without a learner database there is no review to offer.
    EXPECT_FALSE(h.widget<QPushButton>("Button_StartReview")->isVisibleTo(page));

    // The button asks for a recording as Ctrl+O does.
    const qsizetype before = h.dialogs.fileDialogs.size();
    open->click();
    ASSERT_EQ(h.dialogs.fileDialogs.size(), before + 1);
    EXPECT_EQ(h.dialogs.fileDialogs.last().request.title, QStringLiteral("请选择语音文件"));

    // A recording open: the pages; closed again: the start page, with it listed.
    h.openPlaying(QStringLiteral("lesson.mp3"));
    EXPECT_EQ(shownPage(h), h.widget<QTabWidget>("PageControl1"));
    h.dialogs.answers.enqueue(Dialogs::Button::No); // the new document is not kept
    h.action(QStringLiteral("Action_CloseSourceFile"))->trigger();
    ASSERT_EQ(shownPage(h), page);
    auto *list = h.widget<QListWidget>("List_StartRecent");
    ASSERT_EQ(list->count(), 1);
    EXPECT_TRUE(list->item(0)->text().startsWith(QStringLiteral("lesson.mp3")));
}

TEST(StartPage, RecentRecordingsShowProgressAndTodaysReview)
{
    WindowHarness h(true);
    h.learnerDatabase = h.path(QStringLiteral("learner.sqlite"));
    const QString a = h.writeFile(QStringLiteral("a.mp3"), "ID3");
    const QString b = h.writeFile(QStringLiteral("b.mp3"), "ID3 b");
    const QString never = h.writeFile(QStringLiteral("never.mp3"), "ID3 c");
    const QDateTime now = QDateTime::currentDateTime();
    {
        LearnerDatabase db(h.learnerDatabase);
        ASSERT_TRUE(db.open());
        const RecordingKey ka{QStringLiteral("a"), 10}, kb{QStringLiteral("b"), 20};
        // a: 9 of its 15 sentences passed, the last today; b: 2 of 4, three days ago.
        for (int i = 0; i < 9; ++i)
            db.saveSentence(ka, a, passedAt(i * 2.0), attemptOn(now.addSecs(-60 * (9 - i))));
        SentenceProgress tried = passedAt(40.0);
        tried.state = SentenceState::Attempted;
        db.saveSentence(ka, a, tried, std::nullopt);
        db.saveSentence(kb, b, passedAt(1.0), attemptOn(now.addDays(-3)));
        db.saveSentence(kb, b, passedAt(3.0), attemptOn(now.addDays(-3)));
        db.write([&](QSqlDatabase &d, QSqlError &error) {
            QSqlQuery due(d);
            // Two sentences due, one next week.
            return StartSummary::storeSentenceCount(d, ka, 15, error)
                   && StartSummary::storeSentenceCount(d, kb, 4, error)
                   && due.exec(QStringLiteral(
                       "INSERT INTO reviews (sentence_id, step, due) SELECT id, 1,"
                       " CASE WHEN start_ms < 3000 THEN '2000-01-01' ELSE '2999-01-01' END"
                       " FROM sentences WHERE start_ms <= 4000"));
        });
        db.flush();
    }
    putFile(h.iniPath(), defaultOptionsPart() + "[LastFiles]\r\nItem01=" + a.toUtf8()
                             + "\r\nItem02=" + b.toUtf8() + "\r\nItem03=" + never.toUtf8()
                             + "\r\n");
    h.create();
    h.window->setWindowState(Qt::WindowNoState);
    h.window->resize(1000, 700);
    h.window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(h.window.get()));

    auto *list = h.widget<QListWidget>("List_StartRecent");
    auto *review = h.widget<QPushButton>("Button_StartReview");
    QTRY_VERIFY(review->isVisibleTo(h.window.get()));
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("a.mp3\n    已完成 9/15 句 · 上次练习：今天"));
    EXPECT_EQ(list->item(1)->text(), QStringLiteral("b.mp3\n    已完成 2/4 句 · 上次练习：3 天前"));
    EXPECT_EQ(list->item(2)->text(), QStringLiteral("never.mp3"));
    EXPECT_EQ(review->text(), QStringLiteral("今天要复习 3 句（F9）"));

    // F9's window, as from the menu.
    review->click();
    auto *reviewWindow = h.window->findChild<ReviewWindow *>();
    ASSERT_NE(reviewWindow, nullptr);
    EXPECT_TRUE(reviewWindow->isVisible());
    reviewWindow->hide();

    // A click on a recent recording opens it.
    h.player.calls.clear();
    const QRect itemRect = list->visualItemRect(list->item(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, itemRect.center());
    FakePlayer::flushEvents();
    EXPECT_EQ(h.source().path(), b);
    EXPECT_EQ(shownPage(h), h.widget<QTabWidget>("PageControl1"));
}

// A recording opens as the recording; a subtitle file or a transcript as the
// answer, whether or not a recording is open.
TEST(StartPage, DroppedFilesOpenInTheirRole)
{
    struct Case {
        const char *name;
        const char *content;
        bool recording;
    };
    const Case cases[] = {
        {"lesson.wav", "RIFF", true},
        {"LESSON.MP3", "ID3", true},
        {"lines.srt", "1\r\n00:00:01,000 --> 00:00:02,000\r\nHi there\r\n", false},
        {"Lines.VTT", "WEBVTT\n\n00:00:01.000 --> 00:00:02.000\nHi there\n", false},
        {"song.lrc", "[00:01.00]Hi there\n", false},
        {"transcript.txt", "Hi there.\r\n", false},
    };
    for (const Case &c : cases) {
        for (const bool withRecording : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (withRecording ? " over a recording" : ""));
            WindowHarness h;
            if (withRecording)
                h.openPlaying(QStringLiteral("open.mp3"));
            const QString path = h.writeFile(QLatin1String(c.name), c.content);
            // A recording over one: its new document is not kept.
            const bool replaces = withRecording && c.recording;
            if (replaces)
                h.dialogs.answers.enqueue(Dialogs::Button::No);
            ASSERT_TRUE(dropFile(h.window.get(), path));
            FakePlayer::flushEvents();
            EXPECT_EQ(h.dialogs.messages.size(), replaces ? 1 : 0);
            if (c.recording) {
                EXPECT_EQ(h.source().path(), path);
                EXPECT_TRUE(h.answer().fileName().isEmpty());
            } else {
                EXPECT_EQ(h.answer().fileName(), path);
                EXPECT_EQ(h.source().path().isEmpty(), !withRecording);
                EXPECT_EQ(shownPage(h), h.widget<QTabWidget>("PageControl1"));
                EXPECT_TRUE(h.widget<QPlainTextEdit>("Memo_Answer")
                                ->toPlainText()
                                .contains(QStringLiteral("Hi")));
            }
        }
    }
}
