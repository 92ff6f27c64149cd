#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// A sentence of a recording made for a test, with where it truly lies.
struct Spoken {
    QString text;
    double start;
    double end;
};

// The length of a sound file in seconds (soxi).
double soundSeconds(const QString &file);

// Pieces of speech joined with 0.7 s pauses, each trimmed to its sound
// first, so each sentence's true start and end are known; white noise this
// far below full scale mixed over all, written to `out`. The working files
// go to `folder`, named from `prefix`. Empty, with `error` set, when a sox
// step fails.
QList<Spoken> joinSpeech(const QString &folder, const QString &prefix, const QStringList &pieces,
                         const QStringList &sentences, const QString &out, double noise,
                         QString &error);

// Five sentences of real read speech (a reader of the pocketsphinx test
// data), joined as above with a little noise: their texts in order, and
// the recording written to `out` with where each truly lies. `times`
// pieces of the five in a row make a longer recording (the texts repeat).
QStringList readerSentences(int times = 1);
QList<Spoken> readerSpeech(const QString &folder, const QString &out, QString &error,
                           int times = 1);
