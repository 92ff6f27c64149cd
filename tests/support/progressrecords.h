#pragma once

#include "learner/learnerdatabase.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

// An attempt of the progress suites: on day at hour, with its score.
inline AttemptRecord attemptAt(const QDate &day, int hour, int score, const QString &typed = {})
{
    AttemptRecord a;
    a.at = QDateTime(day, QTime(hour, 0));
    a.typed = typed.isEmpty() ? QStringLiteral("line") : typed;
    a.score = score;
    a.passed = score >= 100;
    a.seconds = 4.0;
    return a;
}

// A sentence tried once, 1.5 s long from start.
inline SentenceProgress sentenceAt(double start, const QString &expected = {})
{
    SentenceProgress p;
    p.start = start;
    p.end = start + 1.5;
    p.state = SentenceState::Attempted;
    p.tries = 1;
    p.expected = expected;
    return p;
}
