#include "lesson/hints.h"

#include "feedback/wordcompare.h"
#include "feedback/wordtokens.h"

namespace {

// One letter of a short word, two of a long one: enough to jog the ear.
QString opening(const QString &word)
{
    return word.left(word.size() >= 6 ? 2 : 1);
}

bool startsLike(const QString &typed, const QString &word)
{
    return !typed.isEmpty() && word.toCaseFolded().startsWith(typed.toCaseFolded());
}

} // namespace

std::optional<Hint> nextHint(const QString &typed, const QString &expected, int previousWord,
                             const QString &language)
{
    const Comparison comparison = compareWords(typed, expected, language);
    if (comparison.tooLong || comparison.expectedCount == 0)
        return std::nullopt;
    // The words as the comparison counted them, so the marks line up with them.
    const QList<WordToken> tokens = comparedWords(typed, language);
    int expectedIndex = 0;
    int typedIndex = 0;
    for (qsizetype k = 0; k < comparison.marks.size(); ++k) {
        const WordMark &mark = comparison.marks.at(k);
        if (mark.kind == WordMark::Kind::Right || mark.kind == WordMark::Kind::Extra) {
            typedIndex += 1;
            expectedIndex += mark.kind == WordMark::Kind::Right ? 1 : 0;
            continue;
        }
        Hint hint;
        hint.wordIndex = expectedIndex;
        hint.whole = mark.cjk || expectedIndex == previousWord;
        hint.text = hint.whole ? mark.expected : opening(mark.expected);
        qsizetype from = 0;
        qsizetype to = 0;
        QString insert = hint.text;
        // The learner's try at this very word (the opening of an earlier
        // hint, say) may stand beside the gap rather than in it.
        int attempt = mark.kind == WordMark::Kind::Wrong ? typedIndex : -1;
        if (mark.kind == WordMark::Kind::Missing) {
            if (k > 0 && comparison.marks.at(k - 1).kind == WordMark::Kind::Extra
                && startsLike(comparison.marks.at(k - 1).typed, mark.expected))
                attempt = typedIndex - 1;
            else if (typedIndex < tokens.size()
                     && startsLike(tokens.at(typedIndex).original, mark.expected))
                attempt = typedIndex;
        }
        if (attempt >= 0 && attempt < tokens.size()) {
            // It gives way to the hint.
            from = tokens.at(attempt).start;
            to = tokens.at(attempt).end;
        } else if (typedIndex < tokens.size()) {
            from = to = tokens.at(typedIndex).start;
            if (!mark.cjk)
                insert += QLatin1Char(' ');
        } else {
            from = to = typed.size();
            if (!mark.cjk && !typed.isEmpty() && !typed.back().isSpace())
                insert.prepend(QLatin1Char(' '));
        }
        hint.line = typed.left(from) + insert + typed.mid(to);
        hint.cursor = int(from + insert.size() - (insert.endsWith(QLatin1Char(' ')) ? 1 : 0));
        return hint;
    }
    return std::nullopt;
}
