// The progress window and the review list on a year of daily practice
// (50,000 attempts over 365 days, 40 recordings of 50 sentences): how long
// each takes from the command to its figures shown, and the longest the
// window's thread is held by storing an attempt while the progress window
// reads. Prints "name value unit" lines.
#include "learner/learnerdatabase.h"
#include "platform/dialogs.h"
#include "progress/progresscenter.h"
#include "progress/statswindow.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>

#include <algorithm>
#include <cstdio>
#include <random>

namespace {

constexpr int Recordings = 40;
constexpr int SentencesEach = 50;
constexpr int Attempts = 50'000;
constexpr int Days = 365;

class NoDialogs : public Dialogs
{
public:
    Button messageBox(const QString &, const QString &, const QList<Button> &, Icon,
                      Button defaultButton) override
    {
        return defaultButton;
    }
    std::optional<QString> openFile(const FileRequest &) override { return std::nullopt; }
    std::optional<QString> saveFile(const FileRequest &) override { return std::nullopt; }
};

// A year of practice straight into the file, in one transaction.
bool fill(const QString &path, const QDate &today)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
    db.setDatabaseName(path);
    bool ok = db.open() && db.transaction();
    {
        QSqlQuery q(db);
        std::mt19937 random(25);
        for (int r = 1; ok && r <= Recordings; ++r) {
            q.prepare(
                QStringLiteral("INSERT INTO recordings (id, digest, size, path, length, title)"
                               " VALUES (?, ?, ?, ?, 120, ?)"));
            q.addBindValue(r);
            q.addBindValue(QStringLiteral("digest%1").arg(r));
            q.addBindValue(1000 + r);
            q.addBindValue(QStringLiteral("/tmp/nowhere/lesson%1.mp3").arg(r));
            q.addBindValue(QStringLiteral("第 %1 课").arg(r));
            ok = q.exec();
            for (int s = 0; ok && s < SentencesEach; ++s) {
                q.prepare(QStringLiteral(
                    "INSERT INTO sentences (id, recording_id, start_ms, end_ms, expected, state,"
                    " tries, best_score) VALUES (?, ?, ?, ?, ?, 2, 3, 90)"));
                const int id = (r - 1) * SentencesEach + s + 1;
                q.addBindValue(id);
                q.addBindValue(r);
                q.addBindValue(s * 2000);
                q.addBindValue(s * 2000 + 1500);
                q.addBindValue(QStringLiteral("Sentence %1 of lesson %2.").arg(s).arg(r));
                ok = q.exec();
                if (ok && id % 4 == 0) {
                    q.prepare(QStringLiteral("INSERT INTO reviews (sentence_id, step, due,"
                                             " last_score) VALUES (?, ?, ?, 80)"));
                    q.addBindValue(id);
                    q.addBindValue(id % 5);
                    q.addBindValue(today.addDays(int(random() % 20) - 10).toString(Qt::ISODate));
                    ok = q.exec();
                }
            }
        }
        q.prepare(QStringLiteral("INSERT INTO attempts (sentence_id, at, typed, score, hints,"
                                 " seconds, passed) VALUES (?, ?, ?, ?, 0, 5, ?)"));
        const QDateTime start = QDateTime(today.addDays(1 - Days), QTime(8, 0));
        for (int i = 0; ok && i < Attempts; ++i) {
            const int score = int(random() % 101);
            q.addBindValue(int(random() % (Recordings * SentencesEach)) + 1);
            q.addBindValue(start.addSecs(qint64(i) * Days * 36000 / Attempts % (Days * 86400))
                               .addSecs((i % Days) * 86400)
                               .toUTC()
                               .toString(Qt::ISODateWithMs));
            q.addBindValue(QStringLiteral("typed line number %1").arg(i));
            q.addBindValue(score);
            q.addBindValue(score == 100 ? 1 : 0);
            ok = q.exec();
        }
        for (int d = 0; ok && d < Days; ++d) {
            q.prepare(QStringLiteral("INSERT INTO practice_days (day, seconds) VALUES (?, ?)"));
            q.addBindValue(today.addDays(-d).toString(Qt::ISODate));
            q.addBindValue(600 + d % 900);
            ok = q.exec();
        }
    }
    ok = ok && db.commit();
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
    return ok;
}

void print(const char *name, double value, const char *unit)
{
    std::printf("%s %.2f %s\n", name, value, unit);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    // A path given keeps the filled file, to look into it.
    const QString path =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : dir.filePath(QStringLiteral("learner.db"));
    const QDate today = QDate::currentDate();
    {
        LearnerDatabase schema(path); // made at the current version
        if (!schema.open())
            return 1;
    }
    if (!fill(path, today)) {
        std::fprintf(stderr, "cannot fill %s\n", qPrintable(path));
        return 1;
    }

    QWidget window;
    LearnerDatabase learner(path);
    NoDialogs dialogs;
    learner.open();
    auto *center = new ProgressCenter(&learner, &dialogs, &window);

    // The command to the charts and tables filled and drawn.
    QSignalSpy stats(center, &ProgressCenter::statsLoaded);
    QElapsedTimer clock;
    clock.start();
    center->showStats();
    if (!stats.wait(30000))
        return 1;
    center->statsWindow()->grab();
    print("stats_open_ms", clock.nsecsElapsed() / 1e6, "ms");

    // The whole year in the charts.
    clock.restart();
    center->statsWindow()
        ->findChild<QComboBox *>(QStringLiteral("Combo_Range"))
        ->setCurrentIndex(2);
    if (!stats.wait(30000))
        return 1;
    center->statsWindow()->grab();
    print("stats_year_ms", clock.nsecsElapsed() / 1e6, "ms");

    QSignalSpy review(center, &ProgressCenter::reviewLoaded);
    clock.restart();
    center->showReview();
    if (!review.wait(30000))
        return 1;
    print("review_list_ms", clock.nsecsElapsed() / 1e6, "ms");

    // Attempts stored while the progress window reads everything again.
    double longest = 0.0;
    const RecordingKey key{QStringLiteral("digest1"), 1001};
    for (int i = 0; i < 200; ++i) {
        if (i % 50 == 0)
            center->refreshStats();
        SentenceProgress progress;
        progress.start = (i % SentencesEach) * 2.0;
        progress.end = progress.start + 1.5;
        progress.state = SentenceState::Attempted;
        progress.tries = 1;
        AttemptRecord attempt;
        attempt.at = QDateTime::currentDateTime();
        attempt.typed = QStringLiteral("a line");
        attempt.score = 60;
        clock.restart();
        learner.saveSentence(key, QStringLiteral("/tmp/nowhere/lesson1.mp3"), progress, attempt);
        longest = std::max(longest, clock.nsecsElapsed() / 1e6);
        QCoreApplication::processEvents();
    }
    learner.flush();
    print("attempt_write_blocked_max_ms", longest, "ms");
    delete center;
    return 0;
}
