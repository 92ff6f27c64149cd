#pragma once

#include <QString>

// A blank is any character with a code of 32 or less; trimming removes blanks
// at the ends (never anything inside). Stored files and the answer check rely
// on this narrow sense.

inline bool isBlank(QChar c)
{
    return c.unicode() <= 32;
}

inline QString trimLeftBlanks(const QString &text)
{
    qsizetype begin = 0;
    while (begin < text.size() && isBlank(text.at(begin)))
        ++begin;
    return text.sliced(begin);
}

inline QString trimBlanks(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text.at(begin)))
        ++begin;
    while (end > begin && isBlank(text.at(end - 1)))
        --end;
    return text.sliced(begin, end - begin);
}

// What the learner types is blank in a wider sense: an input method types
// full-width spaces (U+3000), a paste brings no-break spaces and invisible
// format characters (U+200B, U+FEFF...). None of them is a word.
inline bool isTypedBlank(char32_t c)
{
    return c <= 32 || QChar::isSpace(c) || QChar::category(c) == QChar::Other_Format
           || QChar::category(c) == QChar::Other_Control;
}

namespace blanks_detail {

inline char32_t codePointBefore(const QString &text, qsizetype end, qsizetype *length)
{
    const QChar c = text.at(end - 1);
    if (c.isLowSurrogate() && end >= 2 && text.at(end - 2).isHighSurrogate()) {
        *length = 2;
        return QChar::surrogateToUcs4(text.at(end - 2), c);
    }
    *length = 1;
    return c.unicode();
}

inline char32_t codePointAt(const QString &text, qsizetype i, qsizetype *length)
{
    const QChar c = text.at(i);
    if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
        *length = 2;
        return QChar::surrogateToUcs4(c, text.at(i + 1));
    }
    *length = 1;
    return c.unicode();
}

} // namespace blanks_detail

// Whether a typed line holds nothing but blanks in the wider sense.
inline bool isBlankLine(const QString &text)
{
    for (qsizetype i = 0; i < text.size();) {
        qsizetype length = 0;
        if (!isTypedBlank(blanks_detail::codePointAt(text, i, &length)))
            return false;
        i += length;
    }
    return true;
}

// A typed line as it is applied: control characters removed (a tab or a line
// break pasted between two words leaves a space, so the words stay apart),
// blanks in the wider sense trimmed from the start, and from the end those
// that are not plain spaces: spaces the learner typed at the end stay, as
// they always did.
inline QString typedLineForApplying(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\t' || u == u'\n' || u == u'\r' || u == u'\v' || u == u'\f' || u == 0x85)
            out += QLatin1Char(' ');
        else if (QChar::category(char32_t(u)) != QChar::Other_Control)
            out += c;
    }
    qsizetype begin = 0;
    while (begin < out.size()) {
        qsizetype length = 0;
        if (!isTypedBlank(blanks_detail::codePointAt(out, begin, &length)))
            break;
        begin += length;
    }
    qsizetype end = out.size();
    while (end > begin) {
        qsizetype length = 0;
        const char32_t c = blanks_detail::codePointBefore(out, end, &length);
        if (c == U' ' || !isTypedBlank(c))
            break;
        end -= length;
    }
    return out.sliced(begin, end - begin);
}
