#include "feedback/wordcompare.h"

#include "feedback/wordtokens.h"

#include <QVarLengthArray>
#include <QtMath>

#include <algorithm>
#include <vector>

double Comparison::score() const
{
    return hasScore() ? double(right) / double(expectedCount) : 0.0;
}

int scorePercent(double score)
{
    const int percent = qRound(score * 100.0);
    if (score < 1.0 && percent >= 100)
        return 99;
    if (score > 0.0 && percent <= 0)
        return 1;
    return std::clamp(percent, 0, 100);
}

bool similarSpelling(const QString &a, const QString &b)
{
    QVarLengthArray<qsizetype, 32> row(b.size() + 1);
    for (qsizetype j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (qsizetype i = 1; i <= a.size(); ++i) {
        qsizetype diagonal = row[0];
        row[0] = i;
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const qsizetype next =
                std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = row[j];
            row[j] = next;
        }
    }
    return row[b.size()] * 2 <= std::max(a.size(), b.size());
}

Comparison compareWords(const QString &typed, const QString &expected, const QString &language)
{
    const QList<WordToken> a = comparedWords(typed, language);
    const QList<WordToken> b = comparedWords(expected, language);
    Comparison result;
    if (a.size() > MaxCompareWords || b.size() > MaxCompareWords) {
        result.tooLong = true;
        return result;
    }
    const qsizetype m = a.size();
    const qsizetype n = b.size();
    result.expectedCount = int(n);

    // Edit distance over words; of alignments with equally few edits, the one
    // with the most right words wins ("went ＿ the bark" rather than "went
    // the>to bark>the"), then the one whose wrong words are near misses. A cell
    // holds edits * EditWeight - right words + wrong words spelt unlike the
    // expected ones; each cell remembers the step that reached it.
    constexpr int EditWeight = 2 * MaxCompareWords + 1;
    enum Step : unsigned char { Diagonal, Up, Left };
    const qsizetype width = n + 1;
    std::vector<int> cost((m + 1) * width);
    std::vector<unsigned char> step((m + 1) * width);
    for (qsizetype j = 0; j <= n; ++j) {
        cost[j] = int(j) * EditWeight;
        step[j] = Left;
    }
    for (qsizetype i = 1; i <= m; ++i) {
        cost[i * width] = int(i) * EditWeight;
        step[i * width] = Up;
        for (qsizetype j = 1; j <= n; ++j) {
            const WordToken &t = a[i - 1];
            const WordToken &e = b[j - 1];
            const int diagonal = t.text == e.text ? -1
                                 : (t.cjk && e.cjk) || similarSpelling(t.text, e.text)
                                     ? EditWeight
                                     : EditWeight + 1;
            int best = cost[(i - 1) * width + j - 1] + diagonal;
            unsigned char how = Diagonal;
            // On a tie the words at the end are the extra or missing ones,
            // which the walk back from the end meets first.
            if (cost[(i - 1) * width + j] + EditWeight <= best) {
                best = cost[(i - 1) * width + j] + EditWeight;
                how = Up;
            }
            if (cost[i * width + j - 1] + EditWeight <= best) {
                best = cost[i * width + j - 1] + EditWeight;
                how = Left;
            }
            cost[i * width + j] = best;
            step[i * width + j] = how;
        }
    }

    qsizetype i = m;
    qsizetype j = n;
    while (i > 0 || j > 0) {
        WordMark mark;
        switch (step[i * width + j]) {
        case Diagonal: {
            const WordToken &t = a[i - 1];
            const WordToken &e = b[j - 1];
            const bool same = t.text == e.text;
            mark.kind = same ? WordMark::Kind::Right : WordMark::Kind::Wrong;
            mark.typed = t.original;
            mark.expected = e.original;
            mark.typedShown = t.shown;
            mark.expectedShown = e.shown;
            mark.cjk = t.cjk && e.cjk;
            result.right += same ? 1 : 0;
            --i;
            --j;
            break;
        }
        case Up:
            mark.kind = WordMark::Kind::Extra;
            mark.typed = a[i - 1].original;
            mark.typedShown = a[i - 1].shown;
            mark.cjk = a[i - 1].cjk;
            --i;
            break;
        default:
            mark.kind = WordMark::Kind::Missing;
            mark.expected = b[j - 1].original;
            mark.expectedShown = b[j - 1].shown;
            mark.cjk = b[j - 1].cjk;
            --j;
            break;
        }
        result.marks.append(mark);
    }
    std::reverse(result.marks.begin(), result.marks.end());
    return result;
}
