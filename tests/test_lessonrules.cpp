// The lesson's rules on their own: passes, the next unfinished sentence,
// stored records, hints and navigation.
#include "support/testutil.h"
#include "support/tonewav.h"

#include "feedback/feedbackstrip.h"
#include "feedback/wordfeedback.h"
#include "learner/learnerdatabase.h"
#include "learner/learnerschema.h"
#include "learner/recordingkey.h"
#include "lesson/answerfollower.h"
#include "lesson/answerplace.h"
#include "lesson/hints.h"
#include "lesson/lesson.h"
#include "lesson/lessonrules.h"
#include "lesson/sentencelistmodel.h"
#include "sentences/sentencetrack.h"
#include "sentences/waveformview.h"

#include <QAction>
#include <QDataStream>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(LessonRules, AttemptsPassesAndTheNextUnfinished)
{
    struct Row {
        const char *name;
        SentenceState before;
        int score;
        bool passed;
        bool helped;
        SentenceState after;
    };
    const Row rows[] = {
        {"first try right", SentenceState::NotStarted, 100, true, false, SentenceState::Passed},
        {"wrong", SentenceState::NotStarted, 50, false, false, SentenceState::Attempted},
        {"right with a hint", SentenceState::Attempted, 100, true, true,
         SentenceState::PassedWithHelp},
        {"a pass is kept", SentenceState::Passed, 20, false, false, SentenceState::Passed},
        {"help does not spoil a pass", SentenceState::Passed, 100, true, true,
         SentenceState::Passed},
        {"a clean pass after one with help", SentenceState::PassedWithHelp, 100, true, false,
         SentenceState::Passed},
    };
    for (const Row &r : rows) {
        SentenceProgress p;
        p.state = r.before;
        const SentenceProgress after =
            afterAttempt(p, r.score, QStringLiteral("x"), r.passed, r.helped);
        EXPECT_EQ(after.state, r.after) << r.name;
        EXPECT_EQ(after.tries, 1) << r.name;
    }
    EXPECT_TRUE(passes(100, 100));
    EXPECT_FALSE(passes(99, 100));
    EXPECT_TRUE(passes(90, 90));
    EXPECT_FALSE(passes(-1, 1));

    QList<SentenceProgress> list(4);
    list[0].state = SentenceState::Passed;
    list[2].state = SentenceState::PassedWithHelp;
    EXPECT_EQ(firstUnfinished(list), 1);
    EXPECT_EQ(firstUnfinished(list, 2), 3);
    list[3].state = SentenceState::Passed;
    EXPECT_EQ(firstUnfinished(list, 2), 1); // back to the one skipped
    list[1].state = SentenceState::Passed;
    EXPECT_EQ(firstUnfinished(list), -1);
    EXPECT_EQ(afterSkip(SentenceProgress{}).state, SentenceState::Attempted);
}

SentenceProgress recordOf(double start, double end, SentenceState state, int tries, int best = -1,
                          const char *expected = "")
{
    SentenceProgress p;
    p.start = start;
    p.end = end;
    p.state = state;
    p.tries = tries;
    p.bestScore = best;
    p.bestLine = best >= 0 ? QStringLiteral("line %1").arg(best) : QString();
    p.expected = QString::fromUtf8(expected);
    return p;
}

// A record follows its sentence whatever divides the recording now; it is
// never counted twice, and records meeting on one sentence count as one.
TEST(LessonRules, StoredRecordsFollowTheirSentences)
{
    using S = SentenceState;
    struct Expect {
        S state;
        int tries;
        int best;
        const char *expected;
    };
    struct Case {
        const char *what;
        QList<Sentence> now;
        QList<SentenceProgress> stored;
        QList<Expect> expect;
    } cases[] = {
        {"the very times",
         {{2.5, 4.0, {}}},
         {recordOf(2.5004, 4.0, S::Passed, 1, 100, "x")},
         {{S::Passed, 1, 100, "x"}}},
        {"settled 10 ms shorter",
         {{2.65, 5.29, {}}},
         {recordOf(2.65, 5.30, S::Passed, 2, 90, "y")},
         {{S::Passed, 2, 90, "y"}}},
        {"a cue's text wins over the stored one",
         {{2.6, 5.3, "Thy self thy foe"}},
         {recordOf(2.65, 5.30, S::Attempted, 1, 40, "old words")},
         {{S::Attempted, 1, 40, "Thy self thy foe"}}},
        {"spans two: the one it shares most with",
         {{0.0, 3.0, {}}, {3.0, 10.0, {}}},
         {recordOf(0.0, 10.0, S::Passed, 1, 100, "long")},
         {{S::NotStarted, 0, -1, ""}, {S::Passed, 1, 100, ""}}},
        {"spans two equally: the earlier",
         {{0.0, 5.0, {}}, {5.0, 10.0, {}}},
         {recordOf(0.0, 10.0, S::Passed, 1, 100)},
         {{S::Passed, 1, 100, ""}, {S::NotStarted, 0, -1, ""}}},
        {"two on one: tries add, the better state and score win",
         {{0.0, 10.0, {}}},
         {recordOf(0.0, 4.5, S::Passed, 1, 100), recordOf(4.5, 10.0, S::Attempted, 3, 60)},
         {{S::Passed, 4, 100, ""}}},
        {"a pass without help beats one with it",
         {{0.0, 10.0, {}}},
         {recordOf(0.0, 9.9, S::PassedWithHelp, 2, 100), recordOf(0.1, 10.0, S::Passed, 1, 95)},
         {{S::Passed, 3, 100, ""}}},
        {"sharing under half of the shorter: none",
         {{0.0, 4.0, {}}, {6.0, 9.0, {}}},
         {recordOf(3.0, 7.0, S::Passed, 1, 100)},
         {{S::NotStarted, 0, -1, ""}, {S::NotStarted, 0, -1, ""}}},
        {"overlapping cues",
         {{1.0, 6.0, "a"}, {2.0, 3.0, "b"}},
         {recordOf(2.0, 3.0, S::Passed, 1, 100, "b")},
         {{S::NotStarted, 0, -1, "a"}, {S::Passed, 1, 100, "b"}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const QList<SentenceProgress> matched = matchProgress(c.now, c.stored);
        ASSERT_EQ(matched.size(), c.expect.size());
        for (qsizetype i = 0; i < matched.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(matched[i].state, c.expect[i].state);
            EXPECT_EQ(matched[i].tries, c.expect[i].tries);
            EXPECT_EQ(matched[i].bestScore, c.expect[i].best);
            EXPECT_EQ(matched[i].expected, QString::fromUtf8(c.expect[i].expected));
            EXPECT_EQ(matched[i].start, c.now[i].start);
            EXPECT_EQ(matched[i].end, c.now[i].end);
            // The review plays the sentence whose record it shows.
            if (matched[i].state != S::NotStarted) {
                EXPECT_EQ(matchingSentence(c.now, c.stored.first().start, c.stored.first().end), i);
            }
        }
    }
    EXPECT_EQ(lessonStatusText({}), QString());
    QList<SentenceProgress> scored(3);
    scored[0].state = SentenceState::Passed;
    scored[0].bestScore = 100;
    scored[1].bestScore = 71;
    EXPECT_EQ(lessonStatusText(scored), QStringLiteral("已完成 1/3 句 · 平均 86%"));
}

// Sentences arrive while the recording is analysed: more of them, then the
// whole list, where one may have moved a little. What was done on a sentence
// and the help taken on the one worked on stay wherever its times do.
TEST(LessonRules, HintsFillTheNextWordInPlace)
{
    struct Row {
        const char *typed;
        const char *expected;
        int previousWord;
        const char *line;
        bool whole;
    };
    const Row rows[] = {
        {"", "Hello world.", -1, "H", false},
        {"hello", "Hello world.", -1, "hello w", false},
        {"hello w", "Hello world.", 1, "hello world", true},
        {"hello wrld", "Hello beautiful world.", -1, "hello be wrld", false},
        {"hello wo wrld", "Hello world wide.", 1, "hello world wrld", true},
        {"it was a bright c", "It was a bright cold day in April.", 4, "it was a bright cold",
         true},
        {"the sat", "The cat sat.", -1, "the c sat", false},
        // An extra word typed: the hint goes after the words that are right.
        {"the very cat", "The cat sat.", -1, "the very cat s", false},
        {"the very cat s", "The cat sat.", 2, "the very cat sat", true},
        // A first word that comes again later is the first one.
        {"His", "His tender heir might bear his memory", 0, "His te", false},
        {"one small", "1 small step.", -1, "one small s", false},
        {"bright cold", "bright cold", -1, nullptr, false},
        {"我爱", "我爱北京", -1, "我爱北", true},
    };
    for (const Row &r : rows) {
        const std::optional<Hint> hint =
            nextHint(QString::fromUtf8(r.typed), QString::fromUtf8(r.expected), r.previousWord,
                     QStringLiteral("en"));
        if (!r.line) {
            EXPECT_FALSE(hint) << r.typed;
            continue;
        }
        ASSERT_TRUE(hint) << r.typed;
        EXPECT_EQ(hint->line, QString::fromUtf8(r.line)) << r.typed;
        EXPECT_EQ(hint->whole, r.whole) << r.typed;
    }
    EXPECT_FALSE(nextHint(QStringLiteral("x"), QString(), -1));
}

// Ctrl+H pressed again and again gets through the whole sentence, also past
// a word that comes again later in it.
TEST(LessonRules, HintsGetThroughASentenceWithARepeatedWord)
{
    const QString expected = QStringLiteral("His tender heir might bear his memory.");
    QString line;
    int previous = -1;
    QStringList lines;
    for (int press = 0; press < 14; ++press) {
        const std::optional<Hint> hint = nextHint(line, expected, previous, QStringLiteral("en"));
        if (!hint)
            break;
        line = hint->line;
        previous = hint->wordIndex;
        lines << line;
    }
    EXPECT_EQ(lines.value(7), QStringLiteral("His tender heir might"));
    EXPECT_EQ(line, QStringLiteral("His tender heir might bear his memory"));
    EXPECT_EQ(lines.size(), 14);
    EXPECT_FALSE(nextHint(line, expected, previous));
}

TEST(LessonRules, FirstUnfinishedFromAnySentence)
{
    using S = SentenceState;
    struct Row {
        const char *name;
        QList<S> states;
        int from;
        int first;
    } rows[] = {
        {"from the start", {S::Passed, S::NotStarted, S::Attempted}, 0, 1},
        {"the sentence it starts at is unfinished", {S::Attempted, S::Passed, S::Attempted}, 2, 2},
        {"starting at an attempted one", {S::Passed, S::Attempted, S::NotStarted}, 1, 1},
        {"starting at a finished one goes on", {S::NotStarted, S::Passed, S::Attempted}, 1, 2},
        {"wraps to one skipped", {S::Attempted, S::Passed, S::PassedWithHelp}, 1, 0},
        {"from past the end wraps", {S::Passed, S::Attempted}, 2, 1},
        {"from before the start", {S::Attempted, S::Passed}, -3, 0},
        {"all finished", {S::Passed, S::PassedWithHelp}, 0, -1},
        {"no sentences", {}, 0, -1},
    };
    for (const Row &r : rows) {
        QList<SentenceProgress> progress;
        for (S state : r.states) {
            SentenceProgress p;
            p.state = state;
            progress.append(p);
        }
        EXPECT_EQ(firstUnfinished(progress, r.from), r.first) << r.name;
    }
}

// Where the lesson stands when its sentences are found anew.
TEST(LessonRules, PlaceAfterTheSentencesAreFoundAnew)
{
    const QList<Sentence> pauses{{0.8, 4.0, {}}, {4.5, 7.0, {}}};
    const QList<Sentence> cues{
        {1.0, 2.0, "Dawn."}, {2.2, 4.4, "The ship sails."}, {4.5, 7.0, "Go."}};
    QList<SentenceProgress> untouched(3);
    QList<SentenceProgress> firstDone(3);
    QList<SentenceProgress> allDone(3);
    for (SentenceProgress &p : allDone)
        p.state = SentenceState::Passed;
    firstDone[0].state = SentenceState::Passed;
    firstDone[1].state = SentenceState::Passed;
    struct Row {
        const char *name;
        QList<Sentence> sentences;
        QList<SentenceProgress> progress;
        Sentence looped;
        bool fresh;
        int place;
    } rows[] = {
        // The first pause overlaps the second cue most; the film starts at its first.
        {"a film's cues replace the pauses", cues, untouched, pauses[0], true, 0},
        {"a sentence worked on follows its overlap", cues, untouched, pauses[0], false, 1},
        {"reopened: the settled sentences show what was done", cues, firstDone, cues[0], true, 2},
        {"the same times stay", cues, firstDone, cues[0], false, 0},
        {"everything done: the overlap", cues, allDone, pauses[1], true, 2},
        {"nothing overlaps", cues, untouched, Sentence{8.0, 9.0, {}}, false, -1},
    };
    for (const Row &r : rows)
        EXPECT_EQ(placeAfterNewSentences(r.sentences, r.progress, r.looped, r.fresh), r.place)
            << r.name;
}

TEST(LessonRules, ALineTooLongToCompareNeverPasses)
{
    struct Row {
        int score;
        int passMark;
        bool passes;
    } rows[] = {
        {-1, 100, true}, // nothing to compare with: the line is taken
        {NotComparable, 0, false}, {100, 100, true}, {99, 100, false}, {80, 80, true}, {0, 0, true},
    };
    for (const Row &r : rows)
        EXPECT_EQ(linePasses(r.score, r.passMark), r.passes) << r.score << " " << r.passMark;
}

TEST(LessonRules, NavigationFromTheCurrentSentence)
{
    const QList<Sentence> s{{1, 2, {}}, {3, 4, {}}, {5, 6, {}}};
    struct Row {
        int current;
        double position;
        int next;
        int previous;
    };
    const Row rows[] = {
        {-1, 0.0, 0, 0}, {-1, 3.5, 2, 0}, {-1, 4.5, 2, 1},
        {0, 5.5, 1, 0},  {2, 0.0, 2, 1},  {1, 9.0, 2, 0},
    };
    for (const Row &r : rows) {
        EXPECT_EQ(lessonNext(s, r.current, r.position), r.next) << r.current << " " << r.position;
        EXPECT_EQ(lessonPrevious(s, r.current, r.position), r.previous)
            << r.current << " " << r.position;
    }
    EXPECT_EQ(lessonNext({}, -1, 0), -1);
}

TEST(LessonRules, AnswerSentencesByPlace)
{
    const QString text = QStringLiteral("Dr. Who said \"Go.\" Then 3.5 m!\nNext line  \n\n");
    struct Row {
        const char *name;
        std::optional<qsizetype> previousEnd;
        double share;
        const char *expected; // nullptr: none
    };
    const Row rows[] = {
        {"at the start", std::nullopt, 0.0, "Dr."},
        {"after a passage: the rest of the sentence", 3, 0.9, "Who said \"Go.\""},
        {"closing marks stay with the sentence before", 17, 0.0, "Then 3.5 m!"},
        {"a line break ends one", 29, 0.0, "Next line"},
        {"past the last word: by share", 40, 0.99, "Next line"},
        {"a share inside a sentence takes all of it", std::nullopt, 0.6, "Then 3.5 m!"},
    };
    for (const Row &r : rows) {
        const std::optional<TextRange> found = passageByPlace(text, r.previousEnd, r.share);
        ASSERT_TRUE(found) << r.name;
        EXPECT_EQ(text.mid(found->start, found->end - found->start), QString::fromUtf8(r.expected))
            << r.name;
    }
    EXPECT_FALSE(passageByPlace(QStringLiteral(" \n\n"), std::nullopt, 0.5));
    const QString wide = QString::fromUtf8("我们走吧。他笑了！好");
    const std::optional<TextRange> second = answerSentenceFrom(wide, 5);
    ASSERT_TRUE(second);
    EXPECT_EQ(wide.mid(second->start, second->end - second->start), QString::fromUtf8("他笑了！"));
    // The occurrence nearest to where the sentence is.
    const QString twice = QStringLiteral("Go home. Stay. Go home.");
    EXPECT_EQ(locateInAnswer(twice, QStringLiteral("Go home."), 20), (TextRange{15, 23}));
    EXPECT_EQ(locateInAnswer(twice, QStringLiteral("Go home."), 2), (TextRange{0, 8}));
    EXPECT_FALSE(locateInAnswer(twice, QStringLiteral("Leave."), 0));
    // A passage found by its words takes the marks that close it.
    const QString said = QStringLiteral("He said \"stop!\" and left");
    EXPECT_EQ(withClosingMarks(said, {9, 13}), (TextRange{9, 15}));
    EXPECT_EQ(withClosingMarks(said, {0, 7}), (TextRange{0, 7}));
}

} // namespace
