#include "feedback/wordtokens.h"

#include "feedback/numberwords.h"

namespace {

char32_t codePointAt(const QString &text, qsizetype i, qsizetype *length)
{
    const QChar c = text.at(i);
    if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
        *length = 2;
        return QChar::surrogateToUcs4(c, text.at(i + 1));
    }
    *length = 1;
    return c.unicode();
}

bool isApostrophe(char32_t c)
{
    switch (c) {
    case U'\'':
    case U'\u2019': // right single quotation mark, the usual typeset apostrophe
    case U'\u2018':
    case U'\u02BC': // modifier letter apostrophe
    case U'`':
    case U'\uFF07': // full-width apostrophe
        return true;
    default:
        return false;
    }
}

bool isCjk(char32_t c)
{
    switch (QChar::script(c)) {
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Hangul:
    case QChar::Script_Bopomofo:
        return true;
    default:
        // The prolonged sound mark and iteration marks are letters of no one
        // script; inside Japanese text they are characters of their own.
        return c >= 0x3000 && c <= 0x30FF && QChar::isLetterOrNumber(c);
    }
}

// Voiced-sound marks written as separate characters (half-width katakana)
// belong to the character before them.
bool joinsPrevious(char32_t c)
{
    return QChar::isMark(c) || c == 0xFF9E || c == 0xFF9F || c == 0x309B || c == 0x309C;
}

bool isWordChar(char32_t c)
{
    return QChar::isLetterOrNumber(c) || QChar::isMark(c);
}

QString normalizedForm(const QString &text, qsizetype start, qsizetype end)
{
    QString word;
    word.reserve(end - start);
    bool ascii = true;
    for (qsizetype i = start; i < end;) {
        qsizetype length = 0;
        const char32_t c = codePointAt(text, i, &length);
        if (isApostrophe(c)) {
            word += QLatin1Char('\'');
        } else if (c == U',' || c == U'\uFF0C') {
            // only ever kept between digits; the number reads the same without it
        } else {
            word += QStringView(text).mid(i, length);
            ascii = ascii && c < 0x80;
        }
        i += length;
    }
    if (!ascii)
        return word.normalized(QString::NormalizationForm_KC).toCaseFolded();
    // Most words of an answer are ASCII: fold them in place.
    for (QChar &c : word) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + 32);
    }
    return word;
}

} // namespace

void forEachToken(const QString &text,
                  const std::function<void(qsizetype, qsizetype, const QString &)> &found)
{
    const qsizetype size = text.size();
    qsizetype i = 0;
    while (i < size) {
        qsizetype length = 0;
        const char32_t c = codePointAt(text, i, &length);
        if (isCjk(c)) {
            qsizetype end = i + length;
            while (end < size) {
                qsizetype next = 0;
                if (!joinsPrevious(codePointAt(text, end, &next)))
                    break;
                end += next;
            }
            found(i, end, normalizedForm(text, i, end));
            i = end;
            continue;
        }
        if (!isWordChar(c) || joinsPrevious(c)) {
            i += length;
            continue;
        }
        // An alphabetic word or a number: word characters, joined by single
        // apostrophes, and by commas or full stops between digits.
        const qsizetype start = i;
        qsizetype end = i + length;
        char32_t last = c;
        while (end < size) {
            qsizetype next = 0;
            const char32_t d = codePointAt(text, end, &next);
            if (isCjk(d))
                break;
            if (isWordChar(d)) {
                last = d;
                end += next;
                continue;
            }
            const bool apostrophe = isApostrophe(d);
            const bool digitJoint = (d == U',' || d == U'.' || d == U'\uFF0C' || d == U'\uFF0E')
                                    && QChar::isDigit(last);
            if (!apostrophe && !digitJoint)
                break;
            if (end + next >= size)
                break;
            qsizetype afterLength = 0;
            const char32_t after = codePointAt(text, end + next, &afterLength);
            const bool continues =
                apostrophe ? (isWordChar(after) && !isCjk(after)) : QChar::isDigit(after);
            if (!continues)
                break;
            end += next;
            last = d;
        }
        found(start, end, normalizedForm(text, start, end));
        i = end;
    }
}

namespace {

bool isJoiningHyphen(QChar c)
{
    return c == u'-' || c == u'\u2010' || c == u'\u2011';
}

bool isWordUnit(const QString &text, qsizetype i)
{
    return i >= 0 && i < text.size() && (text.at(i).isLetterOrNumber() || text.at(i).isMark());
}

// The apostrophes and hyphens that the split leaves out of the words, put
// back for showing them.
void addShownForms(const QString &text, QList<WordToken> &tokens)
{
    for (qsizetype k = 0; k < tokens.size(); ++k) {
        WordToken &token = tokens[k];
        qsizetype start = token.start;
        qsizetype end = token.end;
        if (start > 0 && isApostrophe(text.at(start - 1).unicode()) && !isWordUnit(text, start - 2)
            && (k == 0 || tokens.at(k - 1).end < start - 1))
            --start;
        if (end < text.size() && isApostrophe(text.at(end).unicode()) && !isWordUnit(text, end + 1))
            ++end;
        if (k + 1 < tokens.size() && end < text.size() && isJoiningHyphen(text.at(end))
            && tokens.at(k + 1).start == end + 1)
            ++end;
        token.shown = text.mid(start, end - start);
    }
}

} // namespace

QList<WordToken> tokenize(const QString &text)
{
    QList<WordToken> tokens;
    forEachToken(text, [&](qsizetype start, qsizetype end, const QString &normalized) {
        WordToken token;
        token.text = normalized;
        token.original = text.mid(start, end - start);
        token.start = start;
        token.end = end;
        qsizetype length = 0;
        token.cjk = isCjk(codePointAt(text, start, &length));
        tokens.append(token);
    });
    addShownForms(text, tokens);
    return tokens;
}

QList<WordToken> comparedWords(const QString &text, const QString &language)
{
    return withNumbersAsDigits(text, tokenize(text), language);
}
