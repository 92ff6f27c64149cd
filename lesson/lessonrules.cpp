#include "lesson/lessonrules.h"

#include "learner/sentencematch.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>

bool isFinished(SentenceState state)
{
    return state == SentenceState::Passed || state == SentenceState::PassedWithHelp;
}

bool passes(int scorePercent, int passMark)
{
    return scorePercent >= 100 || (scorePercent >= 0 && scorePercent >= passMark);
}

bool linePasses(int score, int passMark)
{
    return score == -1 || passes(score, passMark);
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

QList<SentenceMatch::Span> spansOf(const QList<Sentence> &sentences)
{
    QList<SentenceMatch::Span> spans;
    spans.reserve(sentences.size());
    for (const Sentence &s : sentences)
        spans.append({s.start, s.end, s.text});
    return spans;
}

QList<int> sentencesOfRecords(const QList<Sentence> &sentences,
                              const QList<SentenceProgress> &records)
{
    const QList<SentenceMatch::Span> spans = spansOf(sentences);
    const double longest = SentenceMatch::longest(spans);
    QList<int> found;
    found.reserve(records.size());
    for (const SentenceProgress &r : records)
        found.append(SentenceMatch::sentenceFor(spans, {r.start, r.end, {}}, longest));
    return found;
}

QList<SentenceProgress> matchProgress(const QList<Sentence> &sentences,
                                      const QList<SentenceProgress> &stored)
{
    const QList<int> owners = sentencesOfRecords(sentences, stored);
    QList<SentenceProgress> matched(sentences.size());
    QList<bool> taken(sentences.size(), false);
    for (qsizetype r = 0; r < stored.size(); ++r) {
        const int i = owners.at(r);
        if (i < 0)
            continue;
        const SentenceProgress &record = stored.at(r);
        SentenceProgress &p = matched[i];
        const QString text = p.expected;
        p = taken.at(i) ? SentenceMatch::merged(p, record) : record;
        taken[i] = true;
        // A text goes only with nearly the same span.
        const bool same = SentenceMatch::nearlySame(
            {record.start, record.end, {}}, {sentences.at(i).start, sentences.at(i).end, {}});
        p.expected = !text.isEmpty() ? text : same ? record.expected : QString();
    }
    for (qsizetype i = 0; i < sentences.size(); ++i) {
        const Sentence &s = sentences.at(i);
        SentenceProgress &p = matched[i];
        p.start = s.start;
        p.end = s.end;
        if (!s.text.isEmpty())
            p.expected = s.text;
    }
    return matched;
}

int placeAfterNewSentences(const QList<Sentence> &sentences,
                           const QList<SentenceProgress> &progress, const Sentence &looped,
                           bool fresh)
{
    if (fresh) {
        const int first = firstUnfinished(progress);
        if (first >= 0)
            return first;
    }
    return matchingSentence(sentences, looped.start, looped.end);
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
    return SentenceMatch::sentenceFor(spansOf(sentences), {start, end, {}});
}
