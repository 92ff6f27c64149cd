// The learner's progress over the weeks: the review rule on a scripted month,
// the review list and practice through the window, the figures and the CSV
// export, the practice clock, and a database killed while it is written.
#include "support/progressdatabasefile.h"
#include "support/progressrecords.h"
#include "support/testutil.h"
#include "support/tonewav.h"

#include "learner/learnerdatabase.h"
#include "learner/recordingkey.h"
#include "lesson/lesson.h"
#include "lesson/lessonrules.h"
#include "platform/qttranslations.h"
#include "progress/practiceclock.h"
#include "progress/progresscenter.h"
#include "progress/progressfigures.h"
#include "progress/reviewrules.h"
#include "progress/reviewstore.h"
#include "progress/reviewwindow.h"
#include "progress/statswindow.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTest>
#include <QTimeZone>
#include <QTimer>
#include <QTranslator>
#include <QtCharts/QAbstractSeries>
#include <QtCharts/QCategoryAxis>
#include <QtCharts/QChartView>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QValueAxis>

#include <gtest/gtest.h>

#include <csignal>
#include <ctime>
#include <map>

namespace {

using ReviewRules::Outcome;
using ReviewRules::Schedule;

const QDate Day0(2026, 3, 2);

Outcome pass()
{
    return {true, false, 1};
}
Outcome fail()
{
    return {false, false, 1};
}
Outcome helped()
{
    return {true, true, 1};
}

} // namespace

// A month of practice on four sentences, on a fixed calendar: which are due
// on which day, and a failed review going back to the first interval.
TEST(ReviewRule, AScriptedMonthOfAttempts)
{
    // day -> sentence -> the lines applied, in order.
    const std::map<int, std::map<int, QList<Outcome>>> script = {
        {0, {{1, {fail(), pass()}}, {2, {pass()}}, {3, {helped()}}, {4, {pass()}}}},
        {1, {{1, {pass()}}}},
        {2, {{4, {fail()}}}}, // an early failure puts a sentence on the schedule
        {3, {{4, {pass()}}}},
        {4, {{1, {pass()}}}},
        {6, {{3, {pass()}}, {4, {pass()}}}}, // sentence 3 reviewed five days late
        {9, {{3, {fail(), pass()}}}},        // a failed review; the pass after it is early
        {10, {{3, {pass()}}}},
        {11, {{1, {fail()}}}},
        {12, {{1, {pass()}}}},
        {13, {{3, {pass()}}, {4, {pass()}}}},
        {15, {{1, {pass()}}}},
        {20, {{3, {pass()}}}},
        {22, {{1, {pass()}}}},
        {29, {{4, {pass()}}}},
    };
    // Due at the start of each day; days not listed have nothing due.
    const std::map<int, QList<int>> due = {
        {1, {1, 3}},  {2, {3}},  {3, {3, 4}}, {4, {1, 3}}, {5, {3}},
        {6, {3, 4}},  {9, {3}},  {10, {3}},   {11, {1}},   {12, {1}},
        {13, {3, 4}}, {15, {1}}, {20, {3}},   {22, {1}},   {29, {4}},
    };
    std::map<int, std::optional<Schedule>> schedule;
    for (int day = 0; day <= 30; ++day) {
        const QDate date = Day0.addDays(day);
        QList<int> dueNow;
        for (const auto &[sentence, s] : schedule)
            if (s && ReviewRules::isDue(*s, date))
                dueNow.append(sentence);
        EXPECT_EQ(dueNow, due.count(day) ? due.at(day) : QList<int>()) << "day " << day;
        if (const auto found = script.find(day); found != script.end()) {
            for (const auto &[sentence, lines] : found->second) {
                int tryNumber = 0;
                for (Outcome line : lines) {
                    line.tryNumber = ++tryNumber;
                    schedule[sentence] = ReviewRules::afterAttempt(schedule[sentence], line, date);
                }
            }
        }
        if (day == 9) {
            // Failed on its 7-day review: back to the first interval.
            EXPECT_EQ(schedule[3], (Schedule{0, Day0.addDays(10)}));
        }
    }
    EXPECT_FALSE(schedule[2].has_value()); // right the first time, never scheduled
    EXPECT_EQ(schedule[4], (Schedule{4, Day0.addDays(64)}));
    EXPECT_EQ(schedule[1], (Schedule{3, Day0.addDays(38)}));
}

TEST(ReviewRule, SingleStepsOfTheSchedule)
{
    const QDate today = Day0;
    const std::optional<Schedule> none;
    struct Case {
        const char *what;
        std::optional<Schedule> before;
        Outcome line;
        std::optional<Schedule> after;
    };
    const Case cases[] = {
        {"a first-try pass is not scheduled", none, pass(), none},
        {"a third try enters even when right",
         none,
         {true, false, 3},
         Schedule{0, today.addDays(1)}},
        {"help enters", none, helped(), Schedule{0, today.addDays(1)}},
        {"a due pass moves one step", Schedule{1, today}, pass(), Schedule{2, today.addDays(7)}},
        {"an overdue pass counts from today", Schedule{2, today.addDays(-4)}, pass(),
         Schedule{3, today.addDays(16)}},
        {"a pass with help is a failed review", Schedule{3, today}, helped(),
         Schedule{0, today.addDays(1)}},
        {"an early pass moves nothing", Schedule{2, today.addDays(3)}, pass(),
         Schedule{2, today.addDays(3)}},
        {"an early failure starts over", Schedule{4, today.addDays(20)}, fail(),
         Schedule{0, today.addDays(1)}},
        {"the 35-day review passed leaves the schedule", Schedule{4, today}, pass(), none},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ReviewRules::afterAttempt(c.before, c.line, today), c.after) << c.what;
}

TEST(PracticeClock, CountsOnlyActiveTimeWithoutLongPauses)
{
    struct Step {
        char what; // a: active, i: inactive, k: key or playback
        qint64 at;
    };
    struct Case {
        const char *what;
        QList<Step> steps;
        double seconds;
    };
    const Case cases[] = {
        {"keys every 10 s for a minute",
         {{'a', 0}, {'k', 10'000}, {'k', 20'000}, {'k', 60'000}},
         60},
        {"a pause over 60 s counts nothing",
         {{'a', 0}, {'k', 30'000}, {'k', 130'000}, {'k', 140'000}},
         40},
        {"exactly 60 s still counts", {{'a', 0}, {'k', 60'000}}, 60},
        {"behind another window nothing counts",
         {{'a', 0}, {'k', 10'000}, {'i', 15'000}, {'k', 20'000}, {'k', 30'000}},
         15},
        {"back in front, counting starts again",
         {{'i', 0}, {'k', 5'000}, {'a', 10'000}, {'k', 20'000}},
         10},
    };
    for (const Case &c : cases) {
        PracticeClock clock;
        for (const Step &s : c.steps) {
            if (s.what == 'k')
                clock.activity(s.at);
            else
                clock.setActive(s.what == 'a', s.at);
        }
        EXPECT_DOUBLE_EQ(clock.take(), c.seconds) << c.what;
        EXPECT_DOUBLE_EQ(clock.take(), 0.0) << c.what;
    }
}

// The figures of the progress window and the CSV a spreadsheet opens.
TEST(ProgressFigures, DaysWeeksRecordingsAndTheCsv)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("learner.db"));
    const QDate today = Day0.addDays(9); // a Wednesday
    {
        LearnerDatabase db(path);
        ASSERT_TRUE(db.open());
        const RecordingKey a{QStringLiteral("a"), 10}, b{QStringLiteral("b"), 20};
        // Day 0: sentence 1 at 50 then 100 (first try 50); day 8: at 80.
        db.saveSentence(a, QStringLiteral("/x/a.wav"),
                        sentenceAt(1.0, QStringLiteral("Say \"hi\", 你好")),
                        attemptAt(Day0, 9, 50, QStringLiteral("say hi, 你好")));
        db.saveSentence(a, QStringLiteral("/x/a.wav"), sentenceAt(1.0), attemptAt(Day0, 10, 100));
        db.saveSentence(a, QStringLiteral("/x/a.wav"), sentenceAt(1.0),
                        attemptAt(Day0.addDays(8), 9, 80));
        db.saveSentence(b, QStringLiteral("/x/b.wav"), sentenceAt(3.0),
                        attemptAt(Day0.addDays(8), 10, 100));
        db.write([&](QSqlDatabase &d, QSqlError &) {
            return ProgressQueries::addPracticeSeconds(d, Day0.addDays(8), 90)
                   && ProgressQueries::addPracticeSeconds(d, Day0.addDays(8), 30);
        });
        db.flush();
    }
    ProgressDatabaseFile raw(path);
    const ProgressFigures month = ProgressQueries::load(raw.db, today, 30);
    ASSERT_EQ(month.days.size(), 30);
    EXPECT_EQ(month.days.last().day, today);
    EXPECT_EQ(month.attempts, 4);
    const DayFigures &day8 = month.days.at(month.days.size() - 2);
    EXPECT_EQ(day8.day, Day0.addDays(8));
    EXPECT_DOUBLE_EQ(day8.minutes, 2.0);
    EXPECT_EQ(day8.sentences, 2);
    EXPECT_EQ(month.days.at(month.days.size() - 10).sentences, 1); // day 0
    // Week of day 0 (a Monday): first try 50; week of day 8: 80 and 100.
    QMap<QDate, WeekFigures> weeks;
    for (const WeekFigures &w : month.weeks)
        weeks.insert(w.monday, w);
    EXPECT_DOUBLE_EQ(weeks.value(Day0).firstTryScore, 50.0);
    EXPECT_DOUBLE_EQ(weeks.value(Day0.addDays(7)).firstTryScore, 90.0);
    EXPECT_EQ(weeks.value(Day0.addDays(7)).lines, 2);
    ASSERT_EQ(month.recordings.size(), 2);
    EXPECT_EQ(month.recordings.at(0).title, QStringLiteral("b")); // last practised first

    const ProgressFigures all = ProgressQueries::load(raw.db, today, 0);
    EXPECT_EQ(all.days.size(), 10);
    EXPECT_EQ(all.days.first().day, Day0);

    QBuffer csv;
    csv.open(QIODevice::WriteOnly);
    ASSERT_TRUE(ProgressQueries::writeAttemptsCsv(raw.db, csv));
    const QByteArray bytes = csv.data();
    ASSERT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    const QStringList lines = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 6); // header, four attempts, and the last line's end
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("录音,录音路径,")));
    EXPECT_TRUE(
        lines[1].startsWith(QStringLiteral("a,/x/a.wav,1.000,2.500,\"Say \"\"hi\"\", 你好\",")))
        << lines[1].toStdString();
    EXPECT_TRUE(lines[1].contains(QStringLiteral(",\"say hi, 你好\",50,0,0,4.0,0")))
        << lines[1].toStdString();
}

namespace {

// A learner's visit as the window makes it: the lesson's record of each
// sentence, written through the learner database with the review hook.
struct Visit {
    LearnerDatabase &db;
    Lesson &lesson;
    RecordingKey key;
    QString path;

    void divide(const QList<Sentence> &sentences, bool settled)
    {
        QList<SentenceMatch::Span> spans;
        for (const Sentence &s : sentences)
            spans.append({s.start, s.end, s.text});
        db.setDivision(key, path, spans, settled);
        db.flush();
        lesson.setSentences(sentences, db.sentences(key));
    }
    void apply(int index, const QDateTime &at, int score, int hints = 0)
    {
        const bool passed = score >= 80;
        const SentenceProgress &p =
            lesson.update(index, afterAttempt(lesson.at(index), score, QStringLiteral("typed"),
                                              passed, hints > 0));
        AttemptRecord a;
        a.at = at;
        a.typed = QStringLiteral("typed");
        a.score = score;
        a.hints = hints;
        a.passed = passed;
        db.saveSentence(key, path, p, a);
    }
};

int finishedIn(const QList<SentenceProgress> &progress)
{
    return int(std::count_if(progress.cbegin(), progress.cend(),
                             [](const SentenceProgress &p) { return isFinished(p.state); }));
}

} // namespace

// However the recording comes to be divided after the lines were applied,
// the passes and the reviews stay, nothing counts twice, each review item
// plays the sentence whose text it shows and is no longer due once done, and
// the lesson, the review and the statistics count alike.
TEST(ProgressAcrossDivisions, PassesAndReviewsFollowTheirSentences)
{
    const QList<Sentence> pauses{{1.0, 2.5, {}}, {3.0, 4.5, {}}, {5.0, 6.5, {}}, {7.0, 8.5, {}}};
    const QList<Sentence> cues{{0.9, 2.6, "One small step."},
                               {2.9, 4.6, "The cat sat down."},
                               {4.9, 6.6, "It was a bright cold day."},
                               {6.9, 8.6, "Good night."}};
    struct Case {
        const char *what;
        QList<Sentence> before; // divided so while the lines are applied
        bool settledBefore;
        QList<Sentence> after;
        int finished; // sentences done afterwards, wherever counted
        int due;      // review items the next day
    } cases[] = {
        {"arrivals during the analysis",
         {{1.0, 2.52, {}}, {3.0, 4.53, {}}, {5.0, 6.51, {}}},
         false,
         pauses,
         3,
         2},
        {"a subtitle file added", pauses, true, cues, 3, 2},
        {"a subtitle file removed", cues, true, pauses, 3, 2},
        {"a cue edited",
         cues,
         true,
         {cues[0], {2.95, 4.4, "The cat sat."}, cues[2], cues[3]},
         3,
         2},
        {"cues dividing the first sentence in two",
         pauses,
         true,
         {{1.0, 1.9, "One small"}, {1.9, 2.5, "step."}, cues[1], cues[2], cues[3]},
         3,
         2},
        {"a detector joining the first two sentences",
         pauses,
         true,
         {{1.0, 4.5, {}}, {5.0, 6.5, {}}, {7.0, 8.5, {}}},
         2,
         2},
    };
    const QDate day0(2026, 3, 2);
    const QDate day1 = day0.addDays(1);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("learner.db"));
        LearnerDatabase db(path);
        db.setAttemptHook(ReviewStore::recordAttempt);
        ASSERT_TRUE(db.open());
        Lesson lesson;
        Visit visit{db, lesson, {QStringLiteral("divisions"), 1234}, QStringLiteral("/x/talk.mp3")};
        visit.divide(c.before, c.settledBefore);
        // The first passed at once; the second failed, then passed; the
        // third passed with a hint; the fourth not started.
        visit.apply(0, QDateTime(day0, QTime(9, 0)), 100);
        visit.apply(1, QDateTime(day0, QTime(9, 1)), 40);
        visit.apply(1, QDateTime(day0, QTime(9, 2)), 100);
        visit.apply(2, QDateTime(day0, QTime(9, 3)), 100, 1);
        db.flush();
        visit.divide(c.after, true);
        db.flush();

        // The same visit, a new one reading the file, and the statistics.
        Lesson fresh;
        fresh.setSentences(c.after, db.sentences(visit.key));
        EXPECT_EQ(finishedIn(lesson.progress()), c.finished);
        EXPECT_EQ(finishedIn(fresh.progress()), c.finished);
        EXPECT_EQ(lessonStatusText(lesson.progress()), lessonStatusText(fresh.progress()));
        int tries = 0;
        for (const SentenceProgress &p : fresh.progress())
            tries += p.tries;
        EXPECT_EQ(tries, 4);
        {
            ProgressDatabaseFile raw(path);
            const ProgressFigures figures = ProgressQueries::load(raw.db, day1, 30);
            ASSERT_EQ(figures.recordings.size(), 1);
            EXPECT_EQ(figures.recordings.first().done, c.finished);
            EXPECT_EQ(figures.attempts, 4);
            EXPECT_EQ(raw.value(QStringLiteral("SELECT sentence_count FROM recordings")).toInt(),
                      c.after.size());
            const QList<ReviewStore::DueSentence> due = ReviewStore::dueSentences(raw.db, day1);
            ASSERT_EQ(due.size(), c.due);
            QList<int> played;
            for (const ReviewStore::DueSentence &d : due) {
                const int index = matchingSentence(c.after, d.start, d.end);
                ASSERT_GE(index, 0);
                EXPECT_FALSE(played.contains(index)) << "listed twice";
                played.append(index);
                // The text shown is that of the sentence played.
                if (!d.expected.isEmpty()) {
                    EXPECT_EQ(d.expected, fresh.at(index).expected);
                }
                if (!c.after.at(index).text.isEmpty()) {
                    EXPECT_EQ(d.expected, c.after.at(index).text);
                }
            }
            raw.db.close();
            // The review the next day, each passed alone.
            for (int index : played)
                visit.apply(index, QDateTime(day1, QTime(8, 0)), 100);
            db.flush();
            raw.db.open();
            EXPECT_TRUE(ReviewStore::dueSentences(raw.db, day1).isEmpty());
            EXPECT_EQ(ReviewStore::dueSentences(raw.db, day1.addDays(3)).size(), c.due);
            EXPECT_EQ(raw.value(QStringLiteral("SELECT count(*) FROM attempts")).toInt(),
                      4 + c.due);
        }
    }
}

TEST(ProgressFigures, CsvFieldsAreQuotedOnlyWhenNeeded)
{
    const std::pair<const char *, const char *> cases[] = {
        {"plain", "plain"},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {"", ""},
    };
    for (const auto &[in, out] : cases)
        EXPECT_EQ(ProgressQueries::csvField(QString::fromUtf8(in)), QString::fromUtf8(out)) << in;
}

// A program killed while it writes attempts leaves a sound database holding
// every attempt it had committed.
TEST(ProgressDatabase, KilledWhileWritingAttemptsKeepsEveryCommittedOne)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("learner.db"));
    QProcess driver;
    driver.start(QCoreApplication::applicationDirPath() + QStringLiteral("/progress_driver"),
                 {path});
    ASSERT_TRUE(driver.waitForStarted(30000));
    int committed = 0;
    while (committed < 150) {
        if (!driver.canReadLine()) {
            ASSERT_TRUE(driver.waitForReadyRead(30000));
        }
        while (driver.canReadLine())
            committed = std::max(committed, driver.readLine().trimmed().toInt());
    }
    ::kill(pid_t(driver.processId()), SIGKILL);
    ASSERT_TRUE(driver.waitForFinished(30000));
    while (driver.canReadLine())
        committed = std::max(committed, driver.readLine().trimmed().toInt());

    ProgressDatabaseFile raw(path);
    ASSERT_TRUE(raw.db.isOpen());
    EXPECT_EQ(raw.value(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    const int stored = raw.value(QStringLiteral("SELECT count(*) FROM attempts")).toInt();
    EXPECT_GE(stored, committed);
    EXPECT_LE(stored, committed + 1); // at most the one being written when killed
    // The attempts run 1, 2, 3 ... with no gap.
    EXPECT_EQ(
        raw.value(QStringLiteral("SELECT max(CAST(substr(typed, 6) AS INTEGER)) FROM attempts"))
            .toInt(),
        stored);
}

// Two copies of the program on one recording, each with what it read at its
// start: whatever order they write in, the tries add up and the better state
// and score stay.
TEST(ProgressDatabase, TwoCopiesOnOneRecordingOnlyMoveForward)
{
    struct Case {
        int first;
        int second; // the scores each copy applies, in this order
        int state;
        int best;
    } cases[] = {
        {100, 40, int(SentenceState::Passed), 100},
        {40, 100, int(SentenceState::Passed), 100},
        {30, 60, int(SentenceState::Attempted), 60},
    };
    const QString program =
        QCoreApplication::applicationDirPath() + QStringLiteral("/progress_driver");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.first);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("learner.db"));
        QProcess a, b;
        a.start(program, {path, QStringLiteral("apply"), QString::number(c.first)});
        b.start(program, {path, QStringLiteral("apply"), QString::number(c.second)});
        for (QProcess *copy : {&a, &b}) {
            ASSERT_TRUE(copy->waitForStarted(30000));
            while (!copy->canReadLine())
                ASSERT_TRUE(copy->waitForReadyRead(30000));
            ASSERT_EQ(copy->readLine().trimmed(), QByteArray("ready"));
        }
        for (QProcess *copy : {&a, &b}) {
            copy->write("go\n");
            while (!copy->canReadLine())
                ASSERT_TRUE(copy->waitForReadyRead(30000));
            EXPECT_EQ(copy->readLine().trimmed(), QByteArray("done"));
            ASSERT_TRUE(copy->waitForFinished(30000));
        }
        ProgressDatabaseFile raw(path);
        EXPECT_EQ(raw.value(QStringLiteral("SELECT count(*) FROM sentences")).toInt(), 1);
        EXPECT_EQ(raw.value(QStringLiteral("SELECT tries FROM sentences")).toInt(), 2);
        EXPECT_EQ(raw.value(QStringLiteral("SELECT state FROM sentences")).toInt(), c.state);
        EXPECT_EQ(raw.value(QStringLiteral("SELECT best_score FROM sentences")).toInt(), c.best);
        EXPECT_EQ(raw.value(QStringLiteral("SELECT best_line FROM sentences")).toString(),
                  QStringLiteral("line %1").arg(c.best));
        EXPECT_EQ(raw.value(QStringLiteral("SELECT count(*) FROM attempts")).toInt(), 2);
    }
}

namespace {

// 12 s of a quiet tone, its pitch telling one recording from another, and
// subtitles giving five sentences of 1.5 s, 0.5 s apart.
const char *const ProgressCues[] = {"One small step.", "The cat sat down.",
                                    "It was a bright cold day in April.", "We went home.",
                                    "Good night."};

QString writeLesson(const QString &folder, int pitch)
{
    return writeCuedLesson(folder, {ProgressCues, ProgressCues + 5}, 1.5, pitch);
}

struct ReviewWindowHarness : WindowHarness {
    explicit ReviewWindowHarness(const QString &database) : WindowHarness(true)
    {
        learnerDatabase = database;
        create();
        w().setClock([this] { return now; });
    }
    // The player reaches Playing on the recording just opened; its sentences come.
    bool playing(const QString &wav)
    {
        // The review opens the next recording after the 500 ms wait.
        if (!QTest::qWaitFor([&] { return source().path() == wav; }, 10000))
            return false;
        player.length = 12.0;
        player.setStateAndNotify(MediaPlayer::Playing);
        FakePlayer::flushEvents();
        return QTest::qWaitFor(
            [&] { return source().path() == wav && feature<Lesson>().count() == 5; }, 30000);
    }
    bool open(const QString &wav)
    {
        w().OpenSourceFile(wav);
        return playing(wav);
    }
    bool loops(int i) const
    {
        return std::abs(loop().start() - (0.5 + 2.0 * i)) < 0.001
               && std::abs(loop().end() - (2.0 + 2.0 * i)) < 0.001;
    }
    bool waitForLoop(int i) const
    {
        return QTest::qWaitFor([&] { return loops(i); }, 10000);
    }
    void apply(const QString &text)
    {
        widget<QLineEdit>("LabeledEdit_Dictation")->setText(text);
        clickApply();
    }
    ProgressCenter &progress() const { return feature<ProgressCenter>(); }
    // Opens the review list and waits for it to be read.
    QTableWidget *review()
    {
        QSignalSpy loaded(&progress(), &ProgressCenter::reviewLoaded);
        action(QStringLiteral("Action_Review"))->trigger();
        if (loaded.isEmpty() && !loaded.wait(10000))
            return nullptr;
        return progress().reviewWindow()->findChild<QTableWidget *>(QStringLiteral("Table_Review"));
    }
    static QStringList row(const QTableWidget *table, int r)
    {
        QStringList cells;
        for (int c = 0; c < table->columnCount(); ++c)
            cells.append(table->item(r, c)->text());
        return cells;
    }
    QDateTime now = QDateTime(Day0, QTime(10, 0));
};

} // namespace

// Two recordings practised one day; the next day "复习" lists the sentences
// that were hard, practising one moves it along, and a recording moved away
// is listed as missing until it is pointed to.
TEST(ReviewThroughTheWindow, TwoRecordingsReviewedAndOneLocated)
{
    QTemporaryDir shared;
    const QString database = shared.filePath(QStringLiteral("data/learner.db"));
    QDir().mkpath(shared.filePath(QStringLiteral("a")));
    QDir().mkpath(shared.filePath(QStringLiteral("b")));
    const QString a = writeLesson(shared.filePath(QStringLiteral("a")), 300);
    const QString b = writeLesson(shared.filePath(QStringLiteral("b")), 440);
    ReviewWindowHarness h(database);

    // Day 0. Recording a: sentence 1 right, sentence 2 wrong then right.
    ASSERT_TRUE(h.open(a));
    ASSERT_TRUE(h.waitForLoop(0));
    h.apply(QStringLiteral("one small step"));
    ASSERT_TRUE(h.waitForLoop(1));
    h.apply(QStringLiteral("the cat sad"));
    h.apply(QStringLiteral("the cat sat down"));
    ASSERT_TRUE(h.waitForLoop(2));
    // Recording b: sentence 1 with a hint, sentence 2 right. (Each switch of
    // recording saves the dictation when asked.)
    h.dialogs.answers.enqueue(Dialogs::Button::Yes);
    ASSERT_TRUE(h.open(b));
    ASSERT_TRUE(h.waitForLoop(0));
    h.widget<QLineEdit>("LabeledEdit_Dictation")->setText(QStringLiteral("one small"));
    h.action(QStringLiteral("Action_Hint"))->trigger();
    h.apply(QStringLiteral("one small step"));
    ASSERT_TRUE(h.waitForLoop(1));
    h.apply(QStringLiteral("the cat sat down"));
    ASSERT_TRUE(h.waitForLoop(2));

    // Nothing is due on the day itself.
    QTableWidget *table = h.review();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rowCount(), 0);

    // Day 1: the two hard sentences, oldest recording first.
    h.now = h.now.addDays(1);
    table = h.review();
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->rowCount(), 2);
    const QString tomorrow = QLocale().toString(Day0.addDays(1), QLocale::ShortFormat);
    EXPECT_EQ(h.row(table, 0),
              (QStringList{"lesson", "The cat sat down.", "100%", tomorrow, "待复习"}));
    EXPECT_EQ(h.row(table, 1),
              (QStringList{"lesson", "One small step.", "100%", tomorrow, "待复习"}));
    EXPECT_EQ(table->item(0, 0)->toolTip(), QDir::toNativeSeparators(a));

    // Practising: a's sentence 2 loops; right, and b's sentence 1 comes next.
    for (int i = 0; i < 3; ++i)
        h.dialogs.answers.enqueue(Dialogs::Button::Yes);
    h.progress()
        .reviewWindow()
        ->findChild<QPushButton *>(QStringLiteral("Button_Practise"))
        ->click();
    ASSERT_TRUE(h.playing(a));
    ASSERT_TRUE(h.waitForLoop(1));
    h.apply(QStringLiteral("The cat sat down."));
    ASSERT_TRUE(h.playing(b));
    ASSERT_TRUE(h.waitForLoop(0));
    h.w().CloseSourceFile();
    h.dialogs.answers.clear();
    {
        ProgressDatabaseFile raw(database);
        EXPECT_EQ(
            raw.value(QStringLiteral("SELECT group_concat(step || '@' || due, ' ') FROM"
                                     " (SELECT v.step, v.due FROM reviews v JOIN sentences s"
                                     " ON s.id = v.sentence_id ORDER BY s.recording_id)"))
                .toString(),
            QStringLiteral("1@%1 0@%2")
                .arg(Day0.addDays(4).toString(Qt::ISODate), Day0.addDays(1).toString(Qt::ISODate)));
    }

    // b moved away: still listed, as missing, and found again by pointing to it.
    const QString moved = shared.filePath(QStringLiteral("moved.wav"));
    ASSERT_TRUE(QFile::rename(b, moved));
    table = h.review();
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->rowCount(), 1);
    EXPECT_EQ(table->item(0, 4)->text(), QStringLiteral("找不到录音"));
    auto *locate =
        h.progress().reviewWindow()->findChild<QPushButton *>(QStringLiteral("Button_Locate"));
    EXPECT_TRUE(locate->isEnabled());

    // The wrong file is refused; the right one is taken.
    h.dialogs.fileAnswers.enqueue(a);
    locate->click();
    EXPECT_TRUE(h.dialogs.messageTexts().last().contains(QStringLiteral("不是原来的那段录音")));
    QSignalSpy loaded(&h.progress(), &ProgressCenter::reviewLoaded);
    h.dialogs.fileAnswers.enqueue(moved);
    locate->click();
    ASSERT_TRUE(loaded.wait(10000));
    EXPECT_EQ(table->item(0, 4)->text(), QStringLiteral("待复习"));
    EXPECT_EQ(table->item(0, 0)->toolTip(), QDir::toNativeSeparators(moved));
}

TEST(StatsThroughTheWindow, OpensWithChartsAndTablesAndExports)
{
    QTemporaryDir shared;
    const QString database = shared.filePath(QStringLiteral("learner.db"));
    const QString a = writeLesson(shared.path(), 300);
    ReviewWindowHarness h(database);
    ASSERT_TRUE(h.open(a));
    ASSERT_TRUE(h.waitForLoop(0));
    h.apply(QStringLiteral("one small"));
    h.apply(QStringLiteral("one small step"));
    ASSERT_TRUE(h.waitForLoop(1));

    QSignalSpy loaded(&h.progress(), &ProgressCenter::statsLoaded);
    h.action(QStringLiteral("Action_Stats"))->trigger();
    ASSERT_TRUE(loaded.wait(10000));
    StatsWindow *stats = h.progress().statsWindow();
    auto *recordings = stats->findChild<QTableWidget *>(QStringLiteral("Table_Recordings"));
    ASSERT_EQ(recordings->rowCount(), 1);
    EXPECT_EQ(recordings->item(0, 0)->text(), QStringLiteral("lesson"));
    EXPECT_EQ(recordings->item(0, 1)->text(), QStringLiteral("5")); // the recording's, not the rows
    EXPECT_EQ(recordings->item(0, 2)->text(), QStringLiteral("1"));
    EXPECT_EQ(stats->findChildren<QTableWidget *>().size(), 4); // one beside each chart
    // Everything, and the CSV.
    auto *range = stats->findChild<QComboBox *>(QStringLiteral("Combo_Range"));
    range->setCurrentIndex(2);
    ASSERT_TRUE(loaded.wait(10000));
    const QString csv = shared.filePath(QStringLiteral("out/进度.csv"));
    QDir().mkpath(shared.filePath(QStringLiteral("out")));
    h.dialogs.fileAnswers.enqueue(csv);
    QSignalSpy exported(&h.progress(), &ProgressCenter::exportFinished);
    stats->findChild<QPushButton *>(QStringLiteral("Button_ExportCsv"))->click();
    ASSERT_TRUE(exported.wait(10000));
    EXPECT_TRUE(exported.first().at(0).toBool());
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().count("\r\n"), 3); // header and two lines

    // A folder that cannot be written: said, and nothing is lost.
    h.dialogs.fileAnswers.enqueue(shared.filePath(QStringLiteral("no/such/folder/x.csv")));
    stats->findChild<QPushButton *>(QStringLiteral("Button_ExportCsv"))->click();
    ASSERT_TRUE(exported.wait(10000));
    EXPECT_FALSE(exported.last().at(0).toBool());
    EXPECT_TRUE(h.dialogs.messageTexts().last().contains(QStringLiteral("无法导出到")));
}
