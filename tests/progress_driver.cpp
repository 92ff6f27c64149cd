// Writes attempts to a learner database in a loop, as the window does, and
// says the number of each one once it is committed, until it is killed.
//   progress_driver <database>
// Or, as a second copy of the program on one recording: reads the first
// sentence's record, says "ready", and on a line from the test applies one
// line with the score given to what it read, says "done" and ends.
//   progress_driver <database> apply <score>
#include "learner/learnerdatabase.h"
#include "progress/reviewstore.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSqlDatabase>

#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char *argv[])
{
    if (argc != 2 && argc != 4)
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
    if (argc == 4) {
        SentenceProgress progress;
        progress.start = 1.0;
        progress.end = 2.5;
        const QList<SentenceProgress> stored = database.sentences(key);
        if (!stored.isEmpty())
            progress = stored.first();
        std::printf("ready\n");
        std::fflush(stdout);
        std::string go;
        std::getline(std::cin, go);
        const int score = std::atoi(argv[3]);
        const bool passed = score >= 80;
        ++progress.tries;
        if (passed)
            progress.state = SentenceState::Passed;
        else if (progress.state == SentenceState::NotStarted)
            progress.state = SentenceState::Attempted;
        if (score > progress.bestScore) {
            progress.bestScore = score;
            progress.bestLine = QStringLiteral("line %1").arg(score);
        }
        AttemptRecord attempt;
        attempt.at = QDateTime::currentDateTimeUtc();
        attempt.typed = progress.bestLine;
        attempt.score = score;
        attempt.passed = passed;
        database.saveSentence(key, QStringLiteral("/nowhere/driver.wav"), progress, attempt);
        database.flush();
        std::printf("done\n");
        std::fflush(stdout);
        return 0;
    }
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
