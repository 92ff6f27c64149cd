#include "lesson/lessonrules.h"

#include "sentences/sentencenavigation.h"

#include <QCoreApplication>
#include <QHash>

#include <algorithm>
#include <cmath>

namespace {

qint64 ms(double seconds)
{
    return std::llround(seconds * 1000.0);
}

} // namespace

bool isFinished(SentenceState state)
{
    return state == SentenceState::Passed || state == SentenceState::PassedWithHelp;
}

bool passes(int scorePercent, int passMark)
{
    return scorePercent >= 100 || (scorePercent >= 0 && scorePercent >= passMark);
}

SentenceProgress afterAttempt(SentenceProgress progress, int score, const QString &line,
                              bool passed, bool helped)
{
    ++progress.tries;
    if (score > progress.bestScore || progress.bestLine.isEmpty()) {
        progress.bestScore = std::max(progress.bestScore, score);
        progress.bestLine = line;
    }
    // A pass is kept; one without help is not spoilt by a later one with it.
    if (passed) {
        if (progress.state != SentenceState::Passed)
            progress.state = helped ? SentenceState::PassedWithHelp : SentenceState::Passed;
    } else if (!isFinished(progress.state)) {
        progress.state = SentenceState::Attempted;
    }
    return progress;
}

SentenceProgress afterSkip(SentenceProgress progress)
{
    if (progress.state == SentenceState::NotStarted)
        progress.state = SentenceState::Attempted;
    return progress;
}

int firstUnfinished(const QList<SentenceProgress> &progress, int from)
{
    const int n = int(progress.size());
    if (n == 0)
        return -1;
    from = std::clamp(from, 0, n);
    for (int k = 0; k < n; ++k) {
        const int i = (from + k) % n;
        if (!isFinished(progress.at(i).state))
            return i;
    }
    return -1;
}

QList<SentenceProgress> matchProgress(const QList<Sentence> &sentences,
                                      const QList<SentenceProgress> &stored)
{
    QHash<QPair<qint64, qint64>, SentenceProgress> byTimes;
    for (const SentenceProgress &p : stored)
        byTimes.insert({ms(p.start), ms(p.end)}, p);
    QList<SentenceProgress> matched;
    matched.reserve(sentences.size());
    for (const Sentence &s : sentences) {
        SentenceProgress p = byTimes.value({ms(s.start), ms(s.end)});
        p.start = s.start;
        p.end = s.end;
        if (!s.text.isEmpty())
            p.expected = s.text;
        matched.append(p);
    }
    return matched;
}

int lessonNext(const QList<Sentence> &sentences, int current, double position)
{
    const int n = int(sentences.size());
    if (n == 0)
        return -1;
    if (current >= 0 && current < n)
        return std::min(current + 1, n - 1);
    const double from = std::max(0.0, position);
    for (int i = 0; i < n; ++i) {
        if (sentences.at(i).start >= from)
            return i;
    }
    return n - 1;
}

int lessonPrevious(const QList<Sentence> &sentences, int current, double position)
{
    const int n = int(sentences.size());
    if (n == 0)
        return -1;
    if (current >= 0 && current < n)
        return std::max(current - 1, 0);
    for (int i = n - 1; i >= 0; --i) {
        if (sentences.at(i).end <= position)
            return i;
    }
    return 0;
}

QString lessonStatusText(const QList<SentenceProgress> &progress)
{
    if (progress.isEmpty())
        return {};
    int done = 0;
    int scored = 0;
    int sum = 0;
    for (const SentenceProgress &p : progress) {
        done += isFinished(p.state) ? 1 : 0;
        if (p.bestScore >= 0) {
            ++scored;
            sum += p.bestScore;
        }
    }
    QString text =
        QCoreApplication::translate("Lesson", "已完成 %1/%2 句").arg(done).arg(progress.size());
    if (scored > 0)
        text += QCoreApplication::translate("Lesson", " · 平均 %1%")
                    .arg(int(std::lround(double(sum) / scored)));
    return text;
}

QString stateText(SentenceState state)
{
    switch (state) {
    case SentenceState::NotStarted:
        return QCoreApplication::translate("Lesson", "未开始");
    case SentenceState::Attempted:
        return QCoreApplication::translate("Lesson", "做过");
    case SentenceState::Passed:
        return QCoreApplication::translate("Lesson", "已过关");
    case SentenceState::PassedWithHelp:
        return QCoreApplication::translate("Lesson", "借助提示过关");
    }
    return {};
}

int matchingSentence(const QList<Sentence> &sentences, double start, double end)
{
    int best = -1;
    double bestOverlap = 0.0;
    for (int i = 0; i < sentences.size(); ++i) {
        const Sentence &s = sentences.at(i);
        if (sameSpan(s.start, s.end, start, end))
            return i;
        const double overlap = std::min(s.end, end) - std::max(s.start, start);
        if (overlap > bestOverlap) {
            bestOverlap = overlap;
            best = i;
        }
    }
    return bestOverlap >= 0.5 * (end - start) ? best : -1;
}
