#include "support/joinedspeech.h"

#include <QDir>
#include <QFile>
#include <QProcess>

namespace {

bool sox(const QStringList &arguments, QString &error)
{
    QProcess p;
    p.start(QStringLiteral("sox"), arguments);
    if (p.waitForFinished(600000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
        return true;
    error = QStringLiteral("sox %1: %2")
                .arg(arguments.join(QLatin1Char(' ')),
                     QString::fromLocal8Bit(p.readAllStandardError()));
    return false;
}

} // namespace

double soundSeconds(const QString &file)
{
    QProcess p;
    p.start(QStringLiteral("soxi"), {QStringLiteral("-D"), file});
    p.waitForFinished();
    return p.readAllStandardOutput().trimmed().toDouble();
}

QList<Spoken> joinSpeech(const QString &folder, const QString &prefix, const QStringList &pieces,
                         const QStringList &sentences, const QString &out, double noise,
                         QString &error)
{
    const QDir dir(folder);
    QList<Spoken> truth;
    QStringList parts;
    double at = 0.0;
    const QString gap = dir.filePath(prefix + QStringLiteral("gap.wav"));
    if (!sox({"-n", "-r", "16000", "-c", "1", "-b", "16", gap, "trim", "0", "0.7"}, error))
        return {};
    for (int k = 0; k < pieces.size(); ++k) {
        const QString trimmed = dir.filePath(prefix + QStringLiteral("trim%1.wav").arg(k));
        if (!sox({pieces[k], "-r", "16000", "-c", "1", "-b", "16", trimmed, "silence", "1", "0.02",
                  "1%", "reverse", "silence", "1", "0.02", "1%", "reverse"},
                 error))
            return {};
        const double length = soundSeconds(trimmed);
        truth.append({sentences[k], at, at + length});
        at += length + 0.7;
        if (k > 0)
            parts.append(gap);
        parts.append(trimmed);
    }
    const QString clean = dir.filePath(prefix + QStringLiteral("clean.wav"));
    const QString hiss = dir.filePath(prefix + QStringLiteral("noise.wav"));
    if (!sox(parts + QStringList{clean}, error)
        || !sox({"-R", "-n", "-r", "16000", "-c", "1", "-b", "16", hiss, "synth",
                 QString::number(at), "whitenoise", "vol", QString::number(noise)},
                error)
        || !sox({"-m", clean, hiss, out}, error))
        return {};
    return truth;
}

QStringList readerSentences(int times)
{
    const QStringList five = {
        QStringLiteral("And Mister John Dashwood had then leisure to consider how much there "
                       "might be prudently in his power to do for them."),
        QStringLiteral("He was not an ill disposed young man."),
        QStringLiteral(
            "Unless to be rather cold hearted and rather selfish is to be ill disposed."),
        QStringLiteral("Had he married a more amiable woman, he might have been made still more "
                       "respectable than he was."),
        QStringLiteral("He might even have been made amiable himself."),
    };
    QStringList all;
    for (int k = 0; k < times; ++k)
        all += five;
    return all;
}

QStringList readerPieces()
{
    const QString librivox = QStringLiteral("/usr/share/pocketsphinx/test/data/librivox/"
                                            "sense_and_sensibility_01_austen_64kb-0%1.wav");
    QStringList files;
    for (const char *id : {"870", "880", "890", "920", "930"})
        files.append(librivox.arg(QLatin1String(id)));
    return files;
}

QList<Spoken> readerSpeech(const QString &folder, const QString &out, QString &error, int times)
{
    QStringList files;
    for (int k = 0; k < times; ++k)
        files += readerPieces();
    return joinSpeech(folder, QStringLiteral("reader"), files, readerSentences(times), out, 0.003,
                      error);
}

QList<Spoken> voiceSpeech(const QString &folder, const QStringList &sentences, const QString &out,
                          double noise, QString &error)
{
    const QDir dir(folder);
    QStringList files;
    for (int k = 0; k < sentences.size(); ++k) {
        const QString text = dir.filePath(QStringLiteral("voice%1.txt").arg(k));
        QFile f(text);
        if (!f.open(QIODevice::WriteOnly)) {
            error = QStringLiteral("cannot write ") + text;
            return {};
        }
        f.write(sentences[k].toUtf8());
        f.close();
        files.append(dir.filePath(QStringLiteral("voice%1.wav").arg(k)));
        QProcess p;
        p.start(QStringLiteral("text2wave"),
                {text, "-o", files.last(), "-eval", "(voice_kal_diphone)"});
        if (!p.waitForFinished(60000) || p.exitCode() != 0) {
            error =
                QStringLiteral("text2wave: ") + QString::fromLocal8Bit(p.readAllStandardError());
            return {};
        }
    }
    return joinSpeech(folder, QStringLiteral("voice"), files, sentences, out, noise, error);
}

QStringList speechSetSentences(SpeechSet set)
{
    if (set != SpeechSet::TitledVoice)
        return readerSentences();
    return {
        QStringLiteral("Trains."),
        QStringLiteral("The train leaves at seven every morning."),
        QStringLiteral("On Sundays it waits for the bus from the village."),
        QStringLiteral("Most passengers sleep until the coast."),
        QStringLiteral("Then the sea appears between the hills."),
        QStringLiteral("Goodbye."),
    };
}

QList<Spoken> speechSet(SpeechSet set, const QString &folder, const QString &out, QString &error)
{
    switch (set) {
    case SpeechSet::Reader:
        return readerSpeech(folder, out, error);
    case SpeechSet::NoisyReader: {
        QStringList files;
        for (const char *id : {"870", "880", "890", "920", "930"})
            files.append(QStringLiteral("/usr/share/pocketsphinx/test/data/librivox/"
                                        "sense_and_sensibility_01_austen_64kb-0%1.wav")
                             .arg(QLatin1String(id)));
        return joinSpeech(folder, QStringLiteral("noisy"), files, readerSentences(), out, 0.01,
                          error);
    }
    case SpeechSet::TitledVoice:
        return voiceSpeech(folder, speechSetSentences(set), out, 0.01, error);
    }
    return {};
}

QList<AlteredText> alteredTexts()
{
    const auto exact = [](const char *name, SpeechSet set) {
        return AlteredText{name, set, speechSetSentences(set)};
    };
    const auto replaced = [](const char *name, SpeechSet set, int unit, const char *text,
                             bool caught) {
        QStringList units = speechSetSentences(set);
        units[unit] = QString::fromUtf8(text);
        return AlteredText{name, set, units, unit, caught};
    };
    const auto inserted = [](const char *name, SpeechSet set, int unit, const char *text,
                             bool caught) {
        QStringList units = speechSetSentences(set);
        units.insert(unit, QString::fromUtf8(text));
        return AlteredText{name, set, units, int(unit), caught};
    };
    const SpeechSet reader = SpeechSet::Reader;
    const SpeechSet noisy = SpeechSet::NoisyReader;
    const SpeechSet voice = SpeechSet::TitledVoice;
    return {
        exact("reader, exact", reader),
        exact("noisy reader, exact", noisy),
        exact("titled voice, exact", voice),
        // Marked or dropped in every run.
        replaced("first sentence, its end replaced", reader, 0,
                 "And Mister John Dashwood had then time to count how many apples were left in "
                 "the basket for them.",
                 true),
        replaced("first sentence from another text", reader, 0,
                 "The weather today is sunny with a light breeze from the west and the hills are "
                 "green.",
                 true),
        replaced("a clause replaced", reader, 3,
                 "Had he married a more amiable woman, the garden would have been full of roses.",
                 true),
        inserted("a title the reader does not say", reader, 0, "Chapter One.", true),
        replaced("a sentence replaced, in noise", noisy, 2,
                 "Farmers are hoping for more rain before the harvest begins.", true),
        replaced("the title another word", voice, 0, "Boats.", true),
        replaced("the last sentence's end replaced", voice, 4,
                 "Then the rain falls over the quiet town.", true),
        inserted("a sentence of the reader inserted", voice, 3,
                 "He was not an ill disposed young man.", true),
        // Near the line: the synthesized speech differs a little from run
        // to run, and these are marked in some runs only.
        inserted("a sentence of another text inserted", reader, 2,
                 "The weather today is sunny with a light breeze from the west.", false),
        replaced("words swapped, in noise", noisy, 1, "He was not a very clever old woman.", false),
        replaced("a clause replaced, in noise", noisy, 3,
                 "Had he married a more amiable woman, the garden would have been full of roses.",
                 false),
        replaced("the closing word another", voice, 5, "Hello.", false),
        replaced("a sentence replaced", reader, 2,
                 "Farmers are hoping for more rain before the harvest begins.", false),
        replaced("words swapped", reader, 1, "He was not a very clever old woman.", false),
        replaced("a sentence replaced, another voice", voice, 1,
                 "Farmers are hoping for more rain.", false),
        inserted("a last line the reader does not say", reader, 5,
                 "Tomorrow there will be rain in the northern regions.", false),
        // Sounding much like what is said: not told apart.
        replaced("the last sentence's end replaced, reader", reader, 4,
                 "He might even have been made king of the island.", false),
        replaced("some words swapped", voice, 2,
                 "On Mondays it leaves before the bus from the city.", false),
    };
}
