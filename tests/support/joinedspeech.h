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
// The five pieces of that speech as they come, untrimmed, in order.
QStringList readerPieces();
QList<Spoken> readerSpeech(const QString &folder, const QString &out, QString &error,
                           int times = 1);

// Sentences of another synthesizer's voice (festival's kal voice, through
// text2wave), joined as above: the recording written to `out`.
QList<Spoken> voiceSpeech(const QString &folder, const QStringList &sentences, const QString &out,
                          double noise, QString &error);

// The recordings the unsure mark of aligned sentences is measured on.
enum class SpeechSet {
    Reader,      // readerSpeech()
    NoisyReader, // the same under more noise, about 20 dB below the speech
    TitledVoice, // another voice: a one-word title, four sentences, a one-word goodbye
};
QStringList speechSetSentences(SpeechSet set);
QList<Spoken> speechSet(SpeechSet set, const QString &folder, const QString &out, QString &error);

// A transcript of a set, a unit a line: the exact one, or one with a unit
// not as spoken, as transcripts go wrong (a clause or some words replaced,
// a sentence from another text inserted, a line the reader does not say).
struct AlteredText {
    const char *name;
    SpeechSet set;
    QStringList units;
    int altered = -1;    // the unit not as spoken; -1 in the exact texts
    bool caught = false; // whether the aligner marks or drops it in every run
};
QList<AlteredText> alteredTexts();
