#pragma once

#include "feedback/wordtokens.h"

#include <QList>
#include <QString>

// Numbers written in words read as the same number in digits, so "one" and
// "1", "twenty-one" and "21" are one word to the comparison. Known for the
// dictation languages whose numbers are words apart (English, French,
// Spanish, Portuguese, Russian) and the two-digit compounds of German and
// Italian ("einundzwanzig", "ventuno"); other languages read nothing.

// Whether numbers are read in words for the language ("en", "fr-CA"...).
bool readsNumberWords(const QString &language);

// The tokens with each run of number words joined into one token whose
// normalized form is the number in digits; its original spans the run as
// written. Words are joined only across blanks and hyphens.
QList<WordToken> withNumbersAsDigits(const QString &text, const QList<WordToken> &tokens,
                                     const QString &language);
