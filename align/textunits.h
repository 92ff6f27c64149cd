#pragma once

#include <QList>
#include <QString>

// One unit of a transcript: what a reader says in one go and a learner
// dictates as one sentence. position is where its text starts in the whole
// transcript; text is exactly the transcript's, trimmed, with a wrapped
// line's break turned into a space.
struct TextUnit {
    QString text;
    qsizetype position = 0;

    bool operator==(const TextUnit &) const = default;
};

// The units of a transcript, read from its layout:
// - prose, a paragraph a line or wrapped at a fixed width, splits at the
//   punctuation that ends a sentence (. ? ! … 。？！ and the quotes and
//   brackets that close them), never at an abbreviation or inside a number;
// - a text laid out a unit a line (verse, lyrics, a dialogue, a transcript a
//   sentence a line) splits by its lines.
// A line on its own (a title) is a unit in either; blank lines always end one.
QList<TextUnit> textUnits(const QString &transcript);

// Where a unit too long to dictate may split: after the clause punctuation
// (, ; : ， ； ： 、) nearest the middle of its text, as an index into text just
// past the punctuation and its closers; -1 when it has none.
qsizetype clauseSplitNearMiddle(const QString &text);
