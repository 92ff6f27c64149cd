#include "sentences/sentencenavigation.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>

namespace {

constexpr double SpanTolerance = 0.005;

} // namespace

bool sameSpan(double aStart, double aEnd, double bStart, double bEnd)
{
    return std::abs(aStart - bStart) <= SpanTolerance && std::abs(aEnd - bEnd) <= SpanTolerance;
}

int sentenceOfSpan(const QList<Sentence> &sentences, double start, double end)
{
    if (start < 0 || end <= start)
        return -1;
    for (qsizetype i = 0; i < sentences.size(); ++i) {
        if (sameSpan(sentences[i].start, sentences[i].end, start, end))
            return int(i);
    }
    return -1;
}

int sentenceAt(const QList<Sentence> &sentences, double seconds)
{
    if (seconds < 0)
        return -1;
    // The first sentence ending after the time; it holds the time if it has begun.
    const auto it = std::upper_bound(sentences.cbegin(), sentences.cend(), seconds,
                                     [](double t, const Sentence &s) { return t < s.end; });
    if (it == sentences.cend() || it->start > seconds)
        return -1;
    return int(it - sentences.cbegin());
}

int currentSentence(const QList<Sentence> &sentences, const PlayPlace &place)
{
    const int looped = sentenceOfSpan(sentences, place.loopStart, place.loopEnd);
    if (looped >= 0)
        return looped;
    return sentenceAt(sentences, place.position);
}

int nextSentence(const QList<Sentence> &sentences, const PlayPlace &place)
{
    const int current = currentSentence(sentences, place);
    if (current >= 0)
        return current + 1 < sentences.size() ? current + 1 : -1;
    const double from = std::max(0.0, place.position);
    for (qsizetype i = 0; i < sentences.size(); ++i) {
        if (sentences[i].start >= from)
            return int(i);
    }
    return -1;
}

int previousSentence(const QList<Sentence> &sentences, const PlayPlace &place)
{
    const int current = currentSentence(sentences, place);
    if (current >= 0)
        return current - 1;
    if (place.position < 0)
        return -1;
    for (qsizetype i = sentences.size() - 1; i >= 0; --i) {
        if (sentences[i].end <= place.position)
            return int(i);
    }
    return -1;
}

int repeatSentence(const QList<Sentence> &sentences, const PlayPlace &place)
{
    return currentSentence(sentences, place);
}

QString sentenceLabel(int index, int total)
{
    if (index < 0 || index >= total)
        return {};
    return QCoreApplication::translate("SentenceNavigation", "第 %1/%2 句")
        .arg(index + 1)
        .arg(total);
}

QString sentenceLabelSoFar(int index)
{
    if (index < 0)
        return {};
    return QCoreApplication::translate("SentenceNavigation", "第 %1/… 句").arg(index + 1);
}
