// The learner database: its layout, the places taken over from the older
// file, and the faults that keep progress from being stored, through the
// window, where no dictated line may be lost.
#include "support/filesizelimit.h"
#include "support/testutil.h"
#include "support/tonewav.h"

#include "learner/learnerdatabase.h"
#include "learner/learnerschema.h"
#include "learner/recordingkey.h"
#include "lesson/lesson.h"
#include "lesson/lessonrules.h"
#include "playback/resumestore.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStatusBar>
#include <QTest>
#include <QVariant>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

// A connection of the test's own, closed when it goes.
class RawDatabase
{
public:
    explicit RawDatabase(const QString &path)
    {
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        m_db.setDatabaseName(path);
        m_db.open();
    }
    ~RawDatabase()
    {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
    }
    QVariant value(const QString &sql)
    {
        QSqlQuery query(m_db);
        return query.exec(sql) && query.next() ? query.value(0) : QVariant();
    }
    bool exec(const QString &sql) { return QSqlQuery(m_db).exec(sql); }
    QSqlDatabase &db() { return m_db; }

private:
    QString m_name = QStringLiteral("raw-%1").arg(quintptr(this));
    QSqlDatabase m_db;
};

TEST(LearnerSchema, MigratesForwardAndLeavesANewerFileAlone)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("learner.db"));
    {
        RawDatabase raw(path);
        EXPECT_EQ(LearnerSchema::migrate(raw.db()).outcome, LearnerSchema::Outcome::Ready);
        EXPECT_EQ(raw.value(QStringLiteral("PRAGMA user_version")).toInt(),
                  LearnerSchema::currentVersion());
        for (const char *table : {"recordings", "sentences", "attempts", "resume_places"}) {
            EXPECT_EQ(
                raw.value(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = '%1'")
                              .arg(QLatin1String(table)))
                    .toInt(),
                1)
                << table;
        }
        // Run again: nothing to do.
        EXPECT_EQ(LearnerSchema::migrate(raw.db()).outcome, LearnerSchema::Outcome::Ready);
        ASSERT_TRUE(raw.exec(QStringLiteral("PRAGMA user_version = 99")));
        EXPECT_EQ(LearnerSchema::migrate(raw.db()).outcome, LearnerSchema::Outcome::Newer);
        EXPECT_EQ(raw.value(QStringLiteral("PRAGMA user_version")).toInt(), 99);
    }
}

// A file as the previous layout left it: one recording practised once by its
// pauses and once with a subtitle file, so that its first sentence has two
// rows, each with attempts and a review.
void writeLayout2File(const QString &path)
{
    RawDatabase raw(path);
    const char *const statements[] = {
        "CREATE TABLE recordings (id INTEGER PRIMARY KEY, digest TEXT NOT NULL,"
        " size INTEGER NOT NULL, path TEXT NOT NULL, length REAL, title TEXT,"
        " last_opened TEXT, UNIQUE (digest, size))",
        "CREATE TABLE sentences (id INTEGER PRIMARY KEY, recording_id INTEGER NOT NULL"
        " REFERENCES recordings(id) ON DELETE CASCADE, start_ms INTEGER NOT NULL,"
        " end_ms INTEGER NOT NULL, expected TEXT, state INTEGER NOT NULL DEFAULT 0,"
        " tries INTEGER NOT NULL DEFAULT 0, best_score INTEGER, best_line TEXT,"
        " UNIQUE (recording_id, start_ms, end_ms))",
        "CREATE TABLE attempts (id INTEGER PRIMARY KEY, sentence_id INTEGER NOT NULL"
        " REFERENCES sentences(id) ON DELETE CASCADE, at TEXT NOT NULL, typed TEXT NOT NULL,"
        " score INTEGER, hints INTEGER NOT NULL DEFAULT 0, answer_shown INTEGER NOT NULL"
        " DEFAULT 0, seconds REAL NOT NULL DEFAULT 0, passed INTEGER NOT NULL DEFAULT 0)",
        "CREATE INDEX attempts_by_sentence ON attempts (sentence_id, at)",
        "CREATE INDEX attempts_by_time ON attempts (at)",
        "CREATE TABLE resume_places (path TEXT PRIMARY KEY, place TEXT NOT NULL,"
        " updated INTEGER NOT NULL)",
        "CREATE INDEX resume_places_by_age ON resume_places (updated)",
        "CREATE TABLE settings (key TEXT PRIMARY KEY, value TEXT)",
        "CREATE TABLE reviews (sentence_id INTEGER PRIMARY KEY REFERENCES sentences(id)"
        " ON DELETE CASCADE, step INTEGER NOT NULL, due TEXT NOT NULL, last_review TEXT,"
        " last_score INTEGER)",
        "CREATE INDEX reviews_by_due ON reviews (due)",
        "CREATE TABLE practice_days (day TEXT PRIMARY KEY, seconds REAL NOT NULL DEFAULT 0)",
        "INSERT INTO recordings VALUES (1, 'd', 10, '/x/talk.mp3', 60, 'talk', NULL)",
        "INSERT INTO recordings VALUES (2, 'e', 20, '/x/other.mp3', 60, 'other', NULL)",
        // Pauses: 2650-5300 passed; the cue 2600-5290 failed later; 8000-9000 apart.
        "INSERT INTO sentences VALUES (1, 1, 2650, 5300, NULL, 2, 2, 100, 'thy self')",
        "INSERT INTO sentences VALUES (2, 1, 2600, 5290, 'Thy self thy foe', 1, 1, 40, 'thy')",
        "INSERT INTO sentences VALUES (3, 1, 8000, 9000, NULL, 3, 1, 100, 'help')",
        "INSERT INTO sentences VALUES (4, 2, 2650, 5300, NULL, 1, 1, 20, 'x')",
        "INSERT INTO attempts VALUES (1, 1, '2026-03-02T09:00:00.000Z', 'a', 50, 0, 0, 3, 0)",
        "INSERT INTO attempts VALUES (2, 1, '2026-03-02T09:01:00.000Z', 'b', 100, 0, 0, 3, 1)",
        "INSERT INTO attempts VALUES (3, 2, '2026-03-05T09:00:00.000Z', 'c', 40, 0, 0, 3, 0)",
        "INSERT INTO attempts VALUES (4, 3, '2026-03-02T09:02:00.000Z', 'd', 100, 1, 0, 3, 1)",
        "INSERT INTO attempts VALUES (5, 4, '2026-03-02T09:03:00.000Z', 'e', 20, 0, 0, 3, 0)",
        "INSERT INTO reviews VALUES (1, 1, '2026-03-06', '2026-03-03', 100)",
        "INSERT INTO reviews VALUES (2, 0, '2026-03-06', '2026-03-05', 40)",
        "INSERT INTO reviews VALUES (3, 0, '2026-03-03', '2026-03-02', 100)",
        "INSERT INTO practice_days VALUES ('2026-03-02', 600)",
        "PRAGMA user_version = 2",
    };
    for (const char *statement : statements)
        ASSERT_TRUE(raw.exec(QString::fromLatin1(statement))) << statement;
}

// The previous layout is brought forward in one step, keeping every attempt;
// the two rows of one sentence become one.
TEST(LearnerSchema, Layout2FileKeepsEveryAttemptWithOneRowPerSentence)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("learner.db"));
    writeLayout2File(path);
    RawDatabase raw(path);
    ASSERT_EQ(LearnerSchema::migrate(raw.db()).outcome, LearnerSchema::Outcome::Ready);
    EXPECT_EQ(raw.value(QStringLiteral("PRAGMA user_version")).toInt(),
              LearnerSchema::currentVersion());
    EXPECT_EQ(raw.value(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    EXPECT_EQ(raw.value(QStringLiteral("PRAGMA foreign_key_check")), QVariant());
    struct Row {
        const char *query;
        QVariant value;
    } rows[] = {
        {"SELECT count(*) FROM attempts", 5},
        {"SELECT count(*) FROM sentences", 3},
        {"SELECT count(*) FROM sentences WHERE recording_id = 2", 1},
        // The cue's row was written last, so its times stay; the pass stays.
        {"SELECT start_ms || '-' || end_ms FROM sentences WHERE recording_id = 1"
         " AND start_ms < 6000",
         "2600-5290"},
        {"SELECT state FROM sentences WHERE start_ms = 2600", 2},
        {"SELECT tries FROM sentences WHERE start_ms = 2600", 3},
        {"SELECT best_score FROM sentences WHERE start_ms = 2600", 100},
        {"SELECT expected FROM sentences WHERE start_ms = 2600", "Thy self thy foe"},
        {"SELECT count(*) FROM attempts a JOIN sentences s ON s.id = a.sentence_id"
         " WHERE s.start_ms = 2600",
         3},
        // One review each, the one practised last.
        {"SELECT count(*) FROM reviews", 2},
        {"SELECT last_review FROM reviews v JOIN sentences s ON s.id = v.sentence_id"
         " WHERE s.start_ms = 2600",
         "2026-03-05"},
        {"SELECT seconds FROM practice_days", 600.0},
        {"SELECT count(*) FROM pragma_table_info('recordings') WHERE name = 'sentence_count'", 1},
    };
    for (const Row &row : rows)
        EXPECT_EQ(raw.value(QString::fromLatin1(row.query)).toString(), row.value.toString())
            << row.query;
}

// A file the layout step cannot change (written by the other copy, a disk
// going read-only) stays at its version, whole.
TEST(LearnerSchema, Layout2FileLeftWholeWhenTheStepFails)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("learner.db"));
    writeLayout2File(path);
    RawDatabase holder(path);
    ASSERT_TRUE(holder.exec(QStringLiteral("BEGIN EXCLUSIVE")));
    {
        RawDatabase raw(path);
        ASSERT_TRUE(raw.exec(QStringLiteral("PRAGMA busy_timeout = 50")));
        EXPECT_EQ(LearnerSchema::migrate(raw.db()).outcome, LearnerSchema::Outcome::Failed);
    }
    ASSERT_TRUE(holder.exec(QStringLiteral("ROLLBACK")));
    EXPECT_EQ(holder.value(QStringLiteral("PRAGMA user_version")).toInt(), 2);
    EXPECT_EQ(holder.value(QStringLiteral("SELECT count(*) FROM sentences")).toInt(), 4);
}

TEST(LearnerResume, TheOldFileIsTakenOverOnce)
{
    QTemporaryDir shared;
    const QString json = shared.filePath(QStringLiteral("resume.json"));
    const QString database = shared.filePath(QStringLiteral("learner.db"));
    const QString recording = shared.filePath(QStringLiteral("talk.mp3"));
    putFile(recording, "RIFF");
    ResumeStore(json).remember(recording, {10.0, 14.0, 12.5, {}});
    const auto openAndPlace = [&] {
        WindowHarness h(true);
        h.resumeFile = json;
        h.learnerDatabase = database;
        h.create();
        h.w().OpenSourceFile(recording);
        h.player.length = 200.0;
        h.player.setStateAndNotify(MediaPlayer::Playing);
        FakePlayer::flushEvents();
        const double position = h.player.position;
        h.player.position = 30.0;
        h.dialogs.answers.enqueue(Dialogs::Button::Yes); // quit
        h.w().close();
        return position;
    };
    EXPECT_DOUBLE_EQ(openAndPlace(), 12.5);
    // The file is read no more: the database has the newer place.
    ResumeStore(json).remember(recording, {1.0, 2.0, 1.5, {}});
    EXPECT_DOUBLE_EQ(openAndPlace(), 30.0);
    EXPECT_TRUE(QFile::exists(json));
}

struct Fault {
    const char *name;
    // Prepares the folder and returns the database's path.
    std::function<QString(const QString &folder)> prepare;
    const char *message; // the start of what the status bar says
    // The driver's connection options: a read-only disk refuses writes to
    // root too, which file permissions do not.
    const char *options = "";
};

// A database with the tables in place, as an earlier run leaves it.
QString earlierDatabase(const QString &folder)
{
    LearnerDatabase(folder + "/learner.db").open();
    return folder + "/learner.db";
}

TEST(LearnerFaults, ProgressNotKeptSaysWhyOnceAndNoLineIsLost)
{
    std::unique_ptr<RawDatabase> holder;
    std::unique_ptr<FileSizeLimit> limit;
    const Fault faults[] = {
        {"damaged",
         [](const QString &folder) {
             putFile(folder + "/learner.db", QByteArray(8192, 'x'));
             return folder + "/learner.db";
         },
         "学习记录已损坏，已移到"},
        {"folder is a file",
         [](const QString &folder) {
             putFile(folder + "/data", "not a folder");
             return folder + "/data/learner.db";
         },
         "学习进度没有保存：无法建立文件夹"},
        {"newer version",
         [](const QString &folder) {
             QDir().mkpath(folder);
             RawDatabase(folder + "/learner.db").exec(QStringLiteral("PRAGMA user_version = 7"));
             return folder + "/learner.db";
         },
         "学习进度没有保存：学习记录来自较新版本"},
        {"locked by another copy",
         [&holder](const QString &folder) {
             {
                 LearnerDatabase first(folder + "/learner.db");
                 first.open();
             }
             holder = std::make_unique<RawDatabase>(folder + "/learner.db");
             holder->exec(QStringLiteral("PRAGMA journal_mode = WAL"));
             holder->exec(QStringLiteral("BEGIN EXCLUSIVE"));
             return folder + "/learner.db";
         },
         "学习进度没有保存：另一个正在运行的 Quillmar 占用着学习记录"},
        {"disk full",
         [&limit](const QString &folder) {
             limit = std::make_unique<FileSizeLimit>(1024);
             return folder + "/learner.db";
         },
         "学习进度没有保存："},
        {"read-only disk", earlierDatabase, "学习进度没有保存：学习记录所在的位置不能写入",
         "QSQLITE_OPEN_READONLY"},
        {"read-only disk, no database yet",
         [](const QString &folder) {
             QDir().mkpath(folder);
             return folder + "/learner.db";
         },
         "学习进度没有保存：学习记录所在的位置不能写入", "QSQLITE_OPEN_READONLY"},
    };
    for (const Fault &fault : faults) {
        SCOPED_TRACE(fault.name);
        WindowHarness h(true);
        h.learnerDatabase = fault.prepare(h.path(QStringLiteral("user")));
        h.learnerConnectOptions = QString::fromLatin1(fault.options);
        h.create();
        auto *database = h.w().findChild<LearnerDatabase *>();
        ASSERT_NE(database, nullptr);
        QSignalSpy problems(database, &LearnerDatabase::problemOccurred);
        QSignalSpy shown(h.w().statusBar(), &QStatusBar::messageChanged);
        h.openPlaying(QStringLiteral("lesson.mp3"));
        for (const char *line : {"first line", "second line"}) {
            h.widget<QLineEdit>("LabeledEdit_Dictation")->setText(QString::fromLatin1(line));
            h.clickApply();
        }
        database->flush();
        QCoreApplication::processEvents();
        limit.reset();
        EXPECT_TRUE(h.doc().text().contains(QStringLiteral("\r\nfirst line\r\n")));
        EXPECT_TRUE(h.doc().text().contains(QStringLiteral("\r\nsecond line\r\n")));
        ASSERT_EQ(problems.size(), 1);
        EXPECT_TRUE(
            problems.first().first().toString().startsWith(QString::fromUtf8(fault.message)))
            << problems.first().first().toString().toStdString();
        bool said = false;
        for (const QList<QVariant> &message : shown)
            said = said || message.first() == problems.first().first();
        EXPECT_TRUE(said);
        // Later notices take the status line; the mark of it stays, the
        // reason in its tool tip. A damaged file started anew keeps progress.
        const bool damaged = QLatin1String(fault.name) == QLatin1String("damaged");
        h.w().statusBar()->showMessage(QStringLiteral("已比较 2 句"));
        const auto *mark = h.widget<QLabel>("Label_ProgressNotKept");
        EXPECT_EQ(mark->isVisibleTo(&h.w()), !damaged);
        EXPECT_EQ(database->keepsProgress(), damaged);
        EXPECT_EQ(mark->toolTip(), damaged ? QString() : problems.first().first().toString());
        if (damaged) {
            // Moved aside whole, and a new file started.
            const QStringList aside = QDir(h.path(QStringLiteral("user")))
                                          .entryList({QStringLiteral("learner.db.damaged-*")});
            ASSERT_EQ(aside.size(), 1);
            EXPECT_EQ(readAll(h.path(QStringLiteral("user/")) + aside.first()),
                      QByteArray(8192, 'x'));
            EXPECT_TRUE(database->isOpen());
        }
        holder.reset();
    }
}

// The window on a lesson of five cued sentences, with the learner database.
struct LearnerLessonWindow : WindowHarness {
    LearnerLessonWindow(const QString &database, const QString &options) : WindowHarness(true)
    {
        learnerDatabase = database;
        learnerConnectOptions = options;
        create();
        // Tried again when the test says, not after a while.
        learner().setRetryInterval(3600 * 1000);
        learner().setBusyTimeout(100);
    }
    ~LearnerLessonWindow()
    {
        dialogs.answers.enqueue(Dialogs::Button::No); // the dictation is not saved
        w().close();
    }
    LearnerDatabase &learner() const { return feature<LearnerDatabase>(); }
    bool open(const QString &wav)
    {
        w().OpenSourceFile(wav);
        player.length = 12.0;
        player.setStateAndNotify(MediaPlayer::Playing);
        FakePlayer::flushEvents();
        return QTest::qWaitFor([&] { return feature<Lesson>().count() == 5; }, 30000);
    }
    // One Enter in the dictation line.
    void enter(const QString &text)
    {
        auto *edit = widget<QLineEdit>("LabeledEdit_Dictation");
        edit->setText(text);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    int records(const QString &text) { return int(doc().text().count("\r\n" + text + "\r\n")); }
};

const char *const FaultCues[] = {"One small step.", "The cat sat down.", "We went home.",
                                 "Good night.", "The end."};

// The lesson's first sentence as the file holds it: tries, state; -1 when none.
std::pair<int, int> firstSentence(const QString &database)
{
    RawDatabase raw(database);
    QSqlQuery query(raw.db());
    if (!query.exec(QStringLiteral("SELECT tries, state FROM sentences WHERE start_ms = 500"
                                   " AND end_ms = 2000"))
        || !query.next())
        return {-1, -1};
    return {query.value(0).toInt(), query.value(1).toInt()};
}

// Overwrites one page in the middle of the file; the first page stays whole.
void damageInside(const QString &path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    qint64 page = 0;
    {
        // A page of the attempts' rows, not of an index.
        RawDatabase raw(path);
        page = raw.value(QStringLiteral("SELECT max(pageno) FROM dbstat WHERE name = 'attempts'"
                                        " AND pagetype = 'leaf'"))
                   .toLongLong();
    }
    ASSERT_GT(page, 6);
    ASSERT_TRUE(file.seek((page - 1) * 4096));
    ASSERT_EQ(file.write(QByteArray(4096, '\xA5')), 4096);
}

// Faults of the learner database met while a lesson goes on: the learner is
// told once in their words, no dictated line is lost or applied twice, and
// once writes work again the lesson's state is in the file and the sign goes.
TEST(LearnerFaults, TheDatabaseHealsAndNoLineIsLostOrAppliedTwice)
{
    enum class Heals { AtOnce, WhenFreed, Never };
    struct Case {
        const char *name;
        const char *options;
        // Before the window: the file as an earlier day left it.
        std::function<void(const QString &database)> before;
        // With the lesson open: the fault starts; and it ends.
        std::function<void(const QString &database)> fault;
        std::function<void()> cure;
        const char *message;
        Heals heals;
        int firstTries; // the first sentence's tries in the file afterwards
    };
    std::unique_ptr<FileSizeLimit> limit;
    std::unique_ptr<RawDatabase> holder;
    const auto nothing = [](const QString &) {};
    const auto earlierPass = [](const QString &database, const QString &wav) {
        LearnerLessonWindow first(database, {});
        ASSERT_TRUE(first.open(wav));
        first.enter(QStringLiteral("one small step"));
        first.learner().flush();
    };
    QTemporaryDir shared;
    const QString wav = writeCuedLesson(shared.path(), {FaultCues, FaultCues + 5});
    ASSERT_FALSE(wav.isEmpty());
    const Case cases[] = {
        {"a page overwritten inside", "",
         [&](const QString &database) {
             earlierPass(database, wav);
             {
                 // Enough attempts for pages beyond the first few.
                 RawDatabase raw(database);
                 for (int i = 0; i < 400; ++i)
                     raw.exec(QStringLiteral("INSERT INTO attempts (sentence_id, at, typed)"
                                             " SELECT max(id), '2026-03-02T09:00:00.000Z', '%1'"
                                             " FROM sentences")
                                  .arg(QString(200, QLatin1Char('a' + i % 26))));
             }
             damageInside(database);
         },
         nothing, [] {}, "学习记录已损坏，已移到", Heals::AtOnce, 1},
        {"the disk full, then freed", "", nothing,
         [&](const QString &) { limit = std::make_unique<FileSizeLimit>(1024); },
         [&] { limit.reset(); }, "学习进度没有保存：", Heals::WhenFreed, 2},
        {"held by another program past the wait", "", nothing,
         [&](const QString &database) {
             holder = std::make_unique<RawDatabase>(database);
             holder->exec(QStringLiteral("BEGIN EXCLUSIVE"));
         },
         [&] { holder.reset(); }, "学习进度没有保存：另一个正在运行的 Quillmar 占用着学习记录",
         Heals::WhenFreed, 2},
        {"read-only", "QSQLITE_OPEN_READONLY",
         [&](const QString &database) { earlierPass(database, wav); }, nothing, [] {},
         "学习进度没有保存：学习记录所在的位置不能写入", Heals::Never, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString database = dir.filePath(QStringLiteral("learner.db"));
        c.before(database);
        const bool storedPass = firstSentence(database).second == 2;
        {
            LearnerLessonWindow h(database, QString::fromLatin1(c.options));
            QSignalSpy problems(&h.learner(), &LearnerDatabase::problemOccurred);
            QSignalSpy again(&h.learner(), &LearnerDatabase::keepingAgain);
            ASSERT_TRUE(h.open(wav));
            // What was stored is shown, whatever the fault.
            if (storedPass) {
                EXPECT_TRUE(isFinished(h.feature<Lesson>().at(0).state));
            }
            c.fault(database);
            const QString wrong = QStringLiteral("one small stop");
            h.enter(wrong);
            EXPECT_EQ(h.records(wrong), 1);
            if (!storedPass) {
                h.enter(QStringLiteral("one small step"));
                EXPECT_EQ(h.records(QStringLiteral("one small step")), 1);
            }
            h.learner().flush();
            QCoreApplication::processEvents();
            ASSERT_EQ(problems.size(), 1);
            EXPECT_TRUE(
                problems.first().first().toString().startsWith(QString::fromUtf8(c.message)))
                << problems.first().first().toString().toStdString();
            // Never the library's English.
            EXPECT_FALSE(problems.first().first().toString().contains(QLatin1String("SQL")));
            const auto *sign = h.widget<QLabel>("Label_ProgressNotKept");
            EXPECT_EQ(sign->isVisibleTo(&h.w()), c.heals != Heals::AtOnce);
            c.cure();
            if (c.heals == Heals::WhenFreed) {
                h.learner().retryNow();
                ASSERT_TRUE(again.wait(10000));
                h.learner().flush();
                EXPECT_FALSE(sign->isVisibleTo(&h.w()));
                EXPECT_TRUE(h.learner().keepsProgress());
            }
            EXPECT_EQ(h.records(wrong), 1);
        }
        const std::pair<int, int> first = firstSentence(database);
        EXPECT_EQ(first.first, c.firstTries);
        EXPECT_EQ(first.second, 2); // passed
        if (c.heals == Heals::AtOnce) {
            // What could be read of the damaged file was carried over.
            RawDatabase raw(database);
            const int carried = raw.value(QStringLiteral("SELECT count(*) FROM attempts")).toInt();
            EXPECT_GT(carried, 2);
            EXPECT_LT(carried, 402);
            EXPECT_EQ(raw.value(QStringLiteral("PRAGMA integrity_check")).toString(),
                      QStringLiteral("ok"));
        }
    }
}

// A write is whole or not at all: an attempt whose write fails leaves neither
// its sentence row nor the attempt; one failing for a while is made once.
TEST(LearnerFaults, AnAttemptIsWrittenWholeOrNotAtAll)
{
    struct Case {
        const char *name;
        int failures; // of the review write, before it works
        int code;     // SQLite's code of the failure
        int rows;     // sentence rows and attempts afterwards
    } cases[] = {
        {"fails for good", 1000, 1, 0},
        {"full twice, then room", 2, 13, 1},
        {"locked once", 1, 5, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("learner.db"));
        int calls = 0;
        {
            LearnerDatabase db(path);
            db.setRetryInterval(3600 * 1000);
            db.setAttemptHook([&](QSqlDatabase &, qint64, const AttemptRecord &, QSqlError &error) {
                if (++calls > c.failures)
                    return true;
                error = QSqlError(QStringLiteral("refused"), {}, QSqlError::StatementError,
                                  QString::number(c.code));
                return false;
            });
            ASSERT_TRUE(db.open());
            QSignalSpy problems(&db, &LearnerDatabase::problemOccurred);
            SentenceProgress p;
            p.start = 1.0;
            p.end = 2.5;
            p.state = SentenceState::Attempted;
            p.tries = 1;
            AttemptRecord a;
            a.at = QDateTime::currentDateTimeUtc();
            a.typed = QStringLiteral("line");
            db.saveSentence({QStringLiteral("k"), 1}, QStringLiteral("/x/k.wav"), p, a);
            db.flush();
            QCoreApplication::processEvents();
            EXPECT_EQ(problems.size(), 1);
            for (int i = 0; i < c.failures && i < 3; ++i) {
                db.retryNow();
                db.flush();
            }
        }
        RawDatabase raw(path);
        EXPECT_EQ(raw.value(QStringLiteral("SELECT count(*) FROM sentences")).toInt(), c.rows);
        EXPECT_EQ(raw.value(QStringLiteral("SELECT count(*) FROM attempts")).toInt(), c.rows);
        EXPECT_EQ(
            raw.value(QStringLiteral("SELECT coalesce(sum(tries), 0) FROM sentences")).toInt(),
            c.rows);
    }
}

// Two lessons of one length with the same silence at both ends are two
// recordings; a copy elsewhere is the same one; the records an earlier
// version kept under the ends' digest go to the first recording that has them.
TEST(RecordingKeys, WholeContentTellsRecordingsApartAndOldRecordsCarryOver)
{
    QTemporaryDir dir;
    const QByteArray silence(200 * 1024, '\0');
    const auto lesson = [&](char inside) {
        return silence + QByteArray(300 * 1024, inside) + silence;
    };
    struct File {
        const char *name;
        QByteArray bytes;
    } files[] = {
        {"one.wav", lesson('a')},
        {"two.wav", lesson('b')},
        {"copy of one.wav", lesson('a')},
    };
    QList<RecordingKey> keys;
    for (const File &f : files) {
        const QString path = dir.filePath(QString::fromLatin1(f.name));
        putFile(path, f.bytes);
        keys.append(recordingKeyOf(path));
        ASSERT_TRUE(keys.last().isValid()) << f.name;
    }
    EXPECT_FALSE(keys[0] == keys[1]);
    EXPECT_EQ(keys[0].formerDigest, keys[1].formerDigest); // what used to be shared
    EXPECT_TRUE(keys[0] == keys[2]);
    std::atomic_bool cancelled{true};
    EXPECT_FALSE(recordingKeyOf(dir.filePath(QStringLiteral("one.wav")), &cancelled).isValid());
    EXPECT_FALSE(recordingKeyOf(dir.filePath(QStringLiteral("none.wav"))).isValid());

    // A record stored under the former key, as an earlier version did.
    const QString database = dir.filePath(QStringLiteral("learner.db"));
    LearnerDatabase db(database);
    ASSERT_TRUE(db.open());
    SentenceProgress passed;
    passed.start = 1.0;
    passed.end = 2.5;
    passed.state = SentenceState::Passed;
    passed.tries = 1;
    db.saveSentence({keys[0].formerDigest, keys[0].size}, QStringLiteral("/x/one.wav"), passed,
                    std::nullopt);
    db.flush();
    struct Step {
        RecordingKey key;
        int records;
    } steps[] = {
        {keys[0], 1}, // found under the former key, then taken over when noted
        {keys[0], 1},
        {keys[1], 0}, // the other recording does not get it
        {keys[2], 1},
    };
    for (const Step &step : steps) {
        EXPECT_EQ(db.sentences(step.key).size(), step.records);
        db.noteRecording(step.key, QStringLiteral("/x/any.wav"), 0.0);
        db.flush();
    }
    RawDatabase raw(database);
    EXPECT_EQ(raw.value(QStringLiteral("SELECT count(*) FROM recordings WHERE digest = '%1'")
                            .arg(keys[0].formerDigest))
                  .toInt(),
              0);
}

} // namespace
