// Writes attempts to a learner database in a loop, as the window does, and
// says the number of each one once it is committed, until it is killed.
//   progress_driver <database>
#include "learner/learnerdatabase.h"
#include "progress/reviewstore.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSqlDatabase>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 2)
        return 2;
    QCoreApplication app(argc, argv);
    LearnerDatabase database(QString::fromLocal8Bit(argv[1]));
    database.setAttemptHook(
        [](QSqlDatabase &db, qint64 sentence, const AttemptRecord &attempt, QSqlError &error) {
            return ReviewStore::recordAttempt(db, sentence, attempt, error);
        });
    if (!database.open())
        return 1;
    const RecordingKey key{QStringLiteral("driver"), 1000};
    const QDateTime start = QDateTime::currentDateTimeUtc();
    for (int i = 1;; ++i) {
        SentenceProgress progress;
        progress.start = (i % 200) * 2.0;
        progress.end = progress.start + 1.5;
        progress.state = SentenceState::Attempted;
        progress.tries = i;
        progress.bestScore = i % 100;
        progress.expected = QStringLiteral("第 %1 句 sentence").arg(i % 200);
        AttemptRecord attempt;
        attempt.at = start.addSecs(i);
        attempt.typed = QStringLiteral("line %1 听写").arg(i);
        attempt.score = i % 100;
        attempt.seconds = 3.0;
        database.saveSentence(key, QStringLiteral("/nowhere/driver.wav"), progress, attempt);
        database.flush();
        std::printf("%d\n", i);
        std::fflush(stdout);
    }
}
