#include "align/textunits.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>

namespace {

bool endsSentence(QChar c)
{
    static const QString marks = QStringLiteral(".?!…。？！‼⁇⁈⁉");
    return marks.contains(c);
}

// Quotes and brackets that close a sentence after its punctuation.
bool closes(QChar c)
{
    static const QString closers = QStringLiteral("\"')]}»’”」』）】〕〉》");
    return closers.contains(c);
}

bool isClause(QChar c)
{
    static const QString marks = QStringLiteral(",;:，；：、");
    return marks.contains(c);
}

bool isWide(QChar c)
{
    // Scripts written without spaces: a break after their punctuation needs no space.
    const auto script = c.script();
    return script == QChar::Script_Han || script == QChar::Script_Hiragana
           || script == QChar::Script_Katakana || (c.unicode() >= 0x3000 && c.unicode() < 0x3040)
           || (c.unicode() >= 0xff00 && c.unicode() < 0xfff0);
}

// A full stop after these ends no sentence: "Mr. Smith", "e.g. this".
bool isAbbreviation(const QString &word)
{
    static const QStringList known = {
        QStringLiteral("mr"),    QStringLiteral("mrs"), QStringLiteral("ms"),
        QStringLiteral("dr"),    QStringLiteral("st"),  QStringLiteral("prof"),
        QStringLiteral("sr"),    QStringLiteral("jr"),  QStringLiteral("vs"),
        QStringLiteral("etc"),   QStringLiteral("e.g"), QStringLiteral("i.e"),
        QStringLiteral("no"),    QStringLiteral("mt"),  QStringLiteral("fig"),
        QStringLiteral("approx")};
    if (word.size() == 1 && word.at(0).isUpper())
        return true; // an initial, "J. Smith"
    return known.contains(word.toLower());
}

// The indices just past each sentence end in one line (the last one may be
// the line's end).
QList<qsizetype> sentenceEnds(const QString &line)
{
    QList<qsizetype> ends;
    const qsizetype n = line.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = line.at(i);
        if (!endsSentence(c))
            continue;
        qsizetype j = i + 1;
        while (j < n && (endsSentence(line.at(j)) || closes(line.at(j))))
            ++j;
        if (j < n && !line.at(j).isSpace() && !isWide(c) && !isWide(line.at(j))) {
            i = j - 1; // 3.14, www.example.org, "?!" inside a word
            continue;
        }
        if (c == QLatin1Char('.') && j - i == 1) {
            qsizetype w = i;
            while (w > 0 && (line.at(w - 1).isLetter() || line.at(w - 1) == QLatin1Char('.')))
                --w;
            if (isAbbreviation(line.mid(w, i - w)))
                continue;
            // A lower-case word after it continues the sentence.
            qsizetype k = j;
            while (k < n && line.at(k).isSpace())
                ++k;
            if (k < n && line.at(k).isLower())
                continue;
        }
        ends.append(j);
        i = j - 1;
    }
    return ends;
}

struct Line {
    QString text; // trimmed
    qsizetype position;
    bool blankBefore;
};

bool endsOpen(const QString &line)
{
    qsizetype k = line.size();
    while (k > 0 && closes(line.at(k - 1)))
        --k;
    return k == 0 || !endsSentence(line.at(k - 1));
}

} // namespace

QList<TextUnit> textUnits(const QString &transcript)
{
    QList<Line> lines;
    bool blank = true;
    qsizetype at = 0;
    for (const QString &raw : transcript.split(QLatin1Char('\n'))) {
        const QString trimmed = raw.trimmed();
        if (trimmed.isEmpty()) {
            blank = true;
        } else {
            const qsizetype lead = raw.indexOf(trimmed.at(0));
            lines.append({trimmed, at + lead, blank});
            blank = false;
        }
        at += raw.size() + 1;
    }
    if (lines.isEmpty())
        return {};

    // A line that ends mid-sentence continues on the next when that goes on
    // in lower case, or when the lines are wrapped at a fixed width (text
    // without spaces has no case to tell).
    qsizetype widest = 0;
    for (const Line &line : lines)
        widest = std::max(widest, line.text.size());
    const auto continues = [&](int i) {
        if (i + 1 >= lines.size() || lines[i + 1].blankBefore || !endsOpen(lines[i].text))
            return false;
        const QChar next = lines[i + 1].text.at(0);
        if (next.isLower())
            return true;
        return isWide(lines[i].text.back()) && isWide(next) && widest >= 12
               && lines[i].text.size() * 10 >= widest * 9;
    };
    int wrapped = 0;
    int inner = 0;
    for (int i = 0; i < lines.size(); ++i) {
        wrapped += continues(i) ? 1 : 0;
        const QList<qsizetype> ends = sentenceEnds(lines[i].text);
        inner += !ends.isEmpty() && ends.first() < lines[i].text.size() ? 1 : 0;
    }
    // Lines that hold sentences of their own, none running on into the next
    // and few with a sentence break inside, are the units themselves.
    const bool byLines = lines.size() > 1 && wrapped == 0 && inner * 4 <= lines.size();

    QList<TextUnit> units;
    TextUnit current;
    const auto flush = [&] {
        current.text = current.text.trimmed();
        if (!current.text.isEmpty())
            units.append(current);
        current = {};
    };
    const auto append = [&](const QString &piece, qsizetype position) {
        if (current.text.isEmpty()) {
            qsizetype lead = 0;
            while (lead < piece.size() && piece.at(lead).isSpace())
                ++lead;
            current.position = position + lead;
            current.text = piece.mid(lead);
        } else {
            current.text += piece;
        }
    };
    for (int i = 0; i < lines.size(); ++i) {
        const Line &line = lines[i];
        if (byLines) {
            append(line.text, line.position);
            flush();
            continue;
        }
        qsizetype from = 0;
        for (qsizetype end : sentenceEnds(line.text)) {
            append(line.text.mid(from, end - from), line.position + from);
            flush();
            from = end;
        }
        if (from < line.text.size())
            append(line.text.mid(from), line.position + from);
        if (continues(i)) {
            if (!current.text.isEmpty() && !isWide(line.text.back()))
                current.text += QLatin1Char(' ');
        } else {
            flush();
        }
    }
    flush();
    return units;
}

qsizetype clauseSplitNearMiddle(const QString &text)
{
    const qsizetype n = text.size();
    qsizetype best = -1;
    for (qsizetype i = 0; i + 1 < n; ++i) {
        if (!isClause(text.at(i)))
            continue;
        // Not inside a number: 1,000 or 3:15.
        if (i > 0 && i + 1 < n && text.at(i - 1).isDigit() && text.at(i + 1).isDigit())
            continue;
        qsizetype j = i + 1;
        while (j < n && closes(text.at(j)))
            ++j;
        if (j >= n)
            continue;
        if (best < 0 || std::abs(j - n / 2) < std::abs(best - n / 2))
            best = j;
    }
    return best;
}
