// The lesson controller and the review session on their own: no window, no
// player; the test plays the window's part, looping what they ask for.
#include "support/testutil.h"

#include "feedback/feedbackstrip.h"
#include "feedback/wordfeedback.h"
#include "lesson/answerfollower.h"
#include "lesson/lesson.h"
#include "lesson/lessoncontroller.h"
#include "progress/reviewsession.h"

#include <QFileInfo>
#include <QHash>
#include <QLabel>
#include <QListView>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QList<Sentence> Cued{{0.5, 2.0, QStringLiteral("One small step.")},
                           {2.5, 4.0, QStringLiteral("The cat sat down.")},
                           {4.5, 6.0, QStringLiteral("We went home.")}};

// The controller with the widgets its helpers draw on, and the window's
// part: a loop asked for is set at once.
struct Controlled {
    FeedbackStrip strip;
    QPlainTextEdit answerView;
    QListView cueList;
    WordFeedback feedback{&strip, nullptr};
    AnswerFollower follower{&answerView, &cueList, nullptr};
    LessonController control{&feedback, &follower, nullptr};
    bool playing = true;
    QList<int> played;
    QStringList statuses;

    Controlled()
    {
        control.setPlaybackActive([this] { return playing; });
        QObject::connect(&control, &LessonController::playRequested, [this](int index) {
            played.append(index);
            const Sentence &s = control.lesson()->sentences().at(index);
            control.followLoop(s.start, s.end);
        });
        QObject::connect(&control, &LessonController::statusMessage,
                         [this](const QString &text) { statuses.append(text); });
    }
    void open(const QList<Sentence> &sentences = Cued, bool complete = true)
    {
        control.openRecording({}, QStringLiteral("/recordings/lesson.wav"));
        control.setSentences(sentences, complete);
    }
    int current() const { return control.lesson()->current(); }
    SentenceState state(int index) const { return control.lesson()->at(index).state; }
    QString message() const { return strip.findChild<QLabel *>("FeedbackWords")->text(); }
};

} // namespace

TEST(LessonControl, StartsOnTheFirstSentenceOnlyOncePlaybackRuns)
{
    Controlled c;
    c.playing = false;
    c.open();
    EXPECT_TRUE(c.played.isEmpty());
    EXPECT_TRUE(c.control.isPending());
    c.playing = true;
    c.control.startWhenReady();
    EXPECT_EQ(c.played, QList<int>{0});
    EXPECT_FALSE(c.control.isPending());
    EXPECT_TRUE(c.control.applies());

    // Switched off, no lesson applies; switched on again it leads on from the loop.
    c.control.setSwitchedOn(false);
    EXPECT_FALSE(c.control.applies());
    c.control.setSwitchedOn(true);
    EXPECT_EQ(c.played, QList<int>{0});
}

TEST(LessonControl, ALineThatPassesMovesOnAfterTheWaitOneThatFailsPlaysAgain)
{
    const struct {
        const char *typed;
        int passMark;
        bool passes;
        SentenceState state;
    } rows[] = {
        {"the cat sat down", 100, true, SentenceState::Passed},
        {"The cat sat down.", 100, true, SentenceState::Passed},
        {"the cat sad down", 100, false, SentenceState::Attempted},
        {"the cat sad down", 75, true, SentenceState::Passed},
        {"the cat sad", 75, false, SentenceState::Attempted},
        {"something else entirely", 1, false, SentenceState::Attempted},
    };
    for (const auto &row : rows) {
        Controlled c;
        c.control.setPassMark(row.passMark);
        c.open();
        c.control.followLoop(2.5, 4.0);
        ASSERT_EQ(c.current(), 1) << row.typed;
        QSignalSpy passed(&c.control, &LessonController::passed);
        QSignalSpy retry(&c.control, &LessonController::retryRequested);
        QSignalSpy advance(&c.control, &LessonController::advanceDue);
        c.control.takeLine(QString::fromLatin1(row.typed));
        EXPECT_EQ(c.state(1), row.state) << row.typed;
        EXPECT_EQ(c.control.lesson()->at(1).tries, 1) << row.typed;
        if (row.passes) {
            EXPECT_EQ(passed.size(), 1) << row.typed;
            EXPECT_TRUE(retry.isEmpty()) << row.typed;
            // After the wait: the next sentence not done after this one.
            ASSERT_TRUE(advance.wait(5000)) << row.typed;
            EXPECT_EQ(advance.first().first().toInt(), 2) << row.typed;
        } else {
            EXPECT_TRUE(passed.isEmpty()) << row.typed;
            ASSERT_EQ(retry.size(), 1) << row.typed;
            EXPECT_DOUBLE_EQ(retry.first().first().toDouble(), 2.5) << row.typed;
            c.control.finishPendingAdvance();
            EXPECT_TRUE(advance.isEmpty()) << row.typed;
        }
    }
}

TEST(LessonControl, AppliedDuringTheWaitTheWaitEndsAtOnceAndAChosenSentenceCancelsIt)
{
    Controlled c;
    c.open();
    QSignalSpy advance(&c.control, &LessonController::advanceDue);
    c.control.takeLine(QStringLiteral("one small step"));
    c.control.finishPendingAdvance();
    ASSERT_EQ(advance.size(), 1);
    EXPECT_EQ(advance.first().first().toInt(), 1);

    c.control.followLoop(2.5, 4.0);
    c.control.takeLine(QStringLiteral("the cat sat down"));
    c.control.cancelAdvance();
    c.control.finishPendingAdvance();
    EXPECT_EQ(advance.size(), 1);

    // The last one done: nothing is left to move to.
    c.control.followLoop(4.5, 6.0);
    c.control.takeLine(QStringLiteral("we went home"));
    c.control.finishPendingAdvance();
    ASSERT_EQ(advance.size(), 2);
    EXPECT_EQ(advance.last().first().toInt(), -1);
}

TEST(LessonControl, HintsAndTheAnswerCountAsHelpAndSkippingMovesOn)
{
    Controlled c;
    c.open();
    std::optional<Hint> hint = c.control.hint(QStringLiteral("one"));
    ASSERT_TRUE(hint);
    EXPECT_EQ(hint->line, QStringLiteral("one s"));
    EXPECT_TRUE(c.message().contains(QStringLiteral("“s”")));
    hint = c.control.hint(hint->line);
    ASSERT_TRUE(hint);
    EXPECT_EQ(hint->line, QStringLiteral("one small"));
    EXPECT_FALSE(c.control.hint(QStringLiteral("One small step.")));
    EXPECT_EQ(c.message(), QStringLiteral("这一句已经全对了，按回车提交"));
    c.control.takeLine(QStringLiteral("one small step"));
    EXPECT_EQ(c.state(0), SentenceState::PassedWithHelp);

    c.control.followLoop(2.5, 4.0);
    EXPECT_TRUE(c.control.showAnswer(QString()));
    EXPECT_EQ(c.message(), QStringLiteral("本句答案：The cat sat down."));
    EXPECT_TRUE(c.control.lesson()->helped());

    // Skipped: tried, not passed, and the next unfinished one loops.
    c.control.skip();
    EXPECT_EQ(c.state(1), SentenceState::Attempted);
    EXPECT_EQ(c.played.last(), 2);

    // Without a lesson nothing is hinted or shown.
    c.control.setSwitchedOn(false);
    EXPECT_FALSE(c.control.hint(QStringLiteral("we")));
    EXPECT_FALSE(c.control.showAnswer(QString()));
}

TEST(LessonControl, WhileAnalysingItStartsOnceTheSentenceWantedIsFound)
{
    const struct {
        const char *name;
        std::optional<LessonController::Span> wanted;
        int startsAfter; // sentences found before it starts
    } rows[] = {
        {"the first unfinished", std::nullopt, 1},
        {"a review's sentence", LessonController::Span{4.5, 6.0}, 3},
        {"a review's sentence found a little moved", LessonController::Span{2.45, 4.02}, 2},
    };
    for (const auto &row : rows) {
        Controlled c;
        c.control.setWantedStart([&row] { return row.wanted; });
        QSignalSpy wanted(&c.control, &LessonController::wantedStartReady);
        QSignalSpy started(&c.control, &LessonController::started);
        c.control.openRecording({}, QStringLiteral("/recordings/lesson.wav"));
        for (int found = 1; found <= 3 && started.isEmpty(); ++found)
            c.control.setSentences(Cued.mid(0, found), false);
        ASSERT_EQ(started.size(), 1) << row.name;
        EXPECT_EQ(c.control.lesson()->count(), row.startsAfter) << row.name;
        EXPECT_EQ(wanted.size(), row.wanted ? 1 : 0) << row.name;
        EXPECT_EQ(c.played, row.wanted ? QList<int>{} : QList<int>{0}) << row.name;
    }
}

TEST(LessonControl, TheAnsweredLoopIsKnownToTheMillisecond)
{
    Controlled c;
    EXPECT_TRUE(c.control.isAnswered(-1.0, -1.0)); // nothing set, nothing answered
    c.control.noteAnswered(2.5, 4.0);
    const struct {
        double start, end;
        bool answered;
    } rows[] = {{2.5, 4.0, true}, {2.501, 3.999, true}, {2.5, 4.5, false}, {-1.0, -1.0, false}};
    for (const auto &row : rows)
        EXPECT_EQ(c.control.isAnswered(row.start, row.end), row.answered) << row.start;
}

namespace {

// The window's part in a review: recordings with their sentences; opening
// one leaves its lesson to start, which the test then does.
struct Reviewed {
    QTemporaryDir dir;
    QHash<QString, QList<Sentence>> recordings;
    QString open;
    bool ready = false;
    bool refuse = false;
    int current = -1;
    QStringList opened;
    QStringList statuses;
    std::unique_ptr<ReviewSession> session;

    Reviewed()
    {
        ReviewSession::Window window;
        window.recording = [this] { return open; };
        window.sentencesReady = [this] { return ready; };
        window.open = [this](const QString &path) {
            if (refuse)
                return false;
            open = path;
            ready = false;
            opened.append(QFileInfo(path).fileName());
            return true;
        };
        window.sentenceOf = [this](double start, double end) {
            const QList<Sentence> &list = recordings.value(open);
            for (int i = 0; i < list.size(); ++i) {
                if (list[i].start == start && list[i].end == end)
                    return i;
            }
            return -1;
        };
        window.current = [this] { return current; };
        session = std::make_unique<ReviewSession>(std::move(window));
        QObject::connect(session.get(), &ReviewSession::playRequested,
                         [this](int index) { current = index; });
        QObject::connect(session.get(), &ReviewSession::statusMessage,
                         [this](const QString &text) { statuses.append(text); });
    }
    QString add(const char *name)
    {
        const QString path = dir.filePath(QString::fromLatin1(name));
        putFile(path, "x");
        recordings.insert(path, Cued);
        return path;
    }
    static ReviewStore::DueSentence due(const QString &path, int index)
    {
        ReviewStore::DueSentence d;
        d.path = path;
        d.title = QFileInfo(path).baseName();
        d.start = index < Cued.size() ? Cued.at(index).start : 30.0;
        d.end = index < Cued.size() ? Cued.at(index).end : 31.0;
        return d;
    }
    // The opened recording's lesson starts on the sentence under review.
    void lessonStarts()
    {
        ready = true;
        session->playTarget();
    }
};

} // namespace

TEST(ReviewSessionFlow, GoesThroughTheQueueSkippingWhatCannotBeFound)
{
    Reviewed r;
    const QString a = r.add("a.wav");
    const QString b = r.add("b.wav");
    r.open = a;
    r.ready = true;
    QSignalSpy finished(r.session.get(), &ReviewSession::finished);
    r.session->start({Reviewed::due(a, 1),
                      Reviewed::due(r.dir.filePath(QStringLiteral("gone.wav")), 0),
                      Reviewed::due(b, 9), Reviewed::due(b, 2)});
    // a is open: its sentence loops at once.
    EXPECT_EQ(r.current, 1);
    EXPECT_EQ(r.statuses.last(), QStringLiteral("复习：本句之后还有 3 句"));
    EXPECT_TRUE(r.opened.isEmpty());

    // Passed: the missing recording is passed over and b opens, its lesson
    // to start on the sentence wanted.
    EXPECT_TRUE(r.session->continueAfterPass());
    EXPECT_EQ(r.opened, QStringList{QStringLiteral("b.wav")});
    ASSERT_TRUE(r.session->pendingTarget());
    EXPECT_DOUBLE_EQ(r.session->pendingTarget()->start, 30.0);
    // Not among b's sentences: said, and the next one (b's third) loops.
    r.lessonStarts();
    EXPECT_TRUE(r.statuses.contains(QStringLiteral("在“b”里找不到要复习的句子，已跳过")));
    EXPECT_EQ(r.current, 2);
    EXPECT_EQ(r.statuses.last(), QStringLiteral("复习：最后一句"));
    EXPECT_FALSE(r.session->pendingTarget());

    EXPECT_TRUE(r.session->continueAfterPass());
    EXPECT_EQ(r.statuses.last(), QStringLiteral("复习完成"));
    EXPECT_EQ(finished.size(), 1);
    EXPECT_FALSE(r.session->isReviewing());
    EXPECT_FALSE(r.session->continueAfterPass());
}

TEST(ReviewSessionFlow, EndsWhenTheLearnerGoesElsewhereOrNothingOpens)
{
    Reviewed r;
    const QString a = r.add("a.wav");
    const QString b = r.add("b.wav");
    r.open = a;
    r.ready = true;
    r.session->start({Reviewed::due(a, 0), Reviewed::due(b, 1)});
    ASSERT_EQ(r.current, 0);
    r.current = 2; // the learner looped another sentence and passed it
    EXPECT_FALSE(r.session->continueAfterPass());
    EXPECT_FALSE(r.session->isReviewing());
    EXPECT_TRUE(r.opened.isEmpty());

    // Every recording refused (a question about unsaved dictation cancelled):
    // the review is done at once.
    r.refuse = true;
    r.open.clear();
    QSignalSpy finished(r.session.get(), &ReviewSession::finished);
    r.session->start({Reviewed::due(a, 0), Reviewed::due(b, 1)});
    EXPECT_EQ(finished.size(), 1);
    EXPECT_EQ(r.statuses.last(), QStringLiteral("复习完成"));
    EXPECT_FALSE(r.session->pendingTarget());
}
