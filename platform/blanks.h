#pragma once

#include <QString>

// A blank is any character with a code of 32 or less; trimming removes blanks
// at the ends (never anything inside).

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
