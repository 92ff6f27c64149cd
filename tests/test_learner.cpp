// The learner database: its layout, the places taken over from the older
// file, and the faults that keep progress from being stored, through the
// window, where no dictated line may be lost.
#include "support/filesizelimit.h"
#include "support/testutil.h"

#include "learner/learnerdatabase.h"
#include "learner/learnerschema.h"
#include "playback/resumestore.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStatusBar>
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

} // namespace
