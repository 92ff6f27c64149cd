// Aligning a recording's text: boundary errors against known truth (a
// reader's recording and another synthesizer's voice with noise), the time
// an hour takes against its length, how soon the first sentences come, and
// reopening from the cache; how near and how soon subtitles 2 s or 2.4 s late
// are found off. Prints "name value unit" lines.
#include "align/alignrecording.h"
#include "align/cueoffset.h"
#include "align/cuewords.h"
#include "align/speechsynth.h"
#include "sentences/sentencedetector.h"
#include "support/joinedspeech.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <vector>

namespace {

void run(const QString &program, const QStringList &arguments)
{
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(600000) || p.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program),
                     p.readAllStandardError().constData());
        std::exit(1);
    }
}

// Pieces of speech joined with known pauses (support/joinedspeech.h).
QList<Spoken> joinSpeech(const QTemporaryDir &dir, const QString &name, const QStringList &pieces,
                         const QStringList &sentences, double noise)
{
    QString error;
    const QList<Spoken> truth =
        ::joinSpeech(dir.path(), name + QLatin1Char('-'), pieces, sentences,
                     dir.filePath(name + QStringLiteral(".wav")), noise, error);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        std::exit(1);
    }
    return truth;
}

const QStringList ReaderSentences = {
    "And Mister John Dashwood had then leisure to consider how much there might be prudently in "
    "his power to do for them.",
    "He was not an ill disposed young man.",
    "Unless to be rather cold hearted and rather selfish is to be ill disposed.",
    "Had he married a more amiable woman, he might have been made still more respectable than he "
    "was.",
    "He might even have been made amiable himself.",
};
const QStringList FestivalSentences = {
    "The train leaves at seven every morning.",
    "On Sundays it waits for the bus from the village.",
    "Most passengers sleep until the coast.",
    "Then the sea appears between the hills.",
};

// An hour of varied sentences, so no stretch repeats another.
QString hourOfText()
{
    const QStringList words =
        QStringLiteral(
            "the a river town morning letter window garden teacher station quiet early late "
            "walked opened carried found brought waited listened remembered painted moved small "
            "old bright cold green heavy narrow friendly slowly never always together across "
            "under behind through before after market bridge forest kitchen mountain harbour "
            "children neighbours travellers farmers students sailors bicycle lantern basket "
            "blanket orchard village meadow island summer winter evening yesterday tomorrow")
            .split(QLatin1Char(' '), Qt::SkipEmptyParts);
    std::mt19937 random(7);
    QString text;
    for (int k = 0; k < 760; ++k) {
        const int n = 6 + int(random() % 10);
        QStringList sentence;
        for (int w = 0; w < n; ++w)
            sentence.append(words[int(random() % words.size())]);
        sentence[0][0] = sentence[0][0].toUpper();
        text += sentence.join(QLatin1Char(' '))
                + (k % 7 == 3 ? QStringLiteral("? ") : QStringLiteral(". "));
        if (k % 5 == 4)
            text += QLatin1Char('\n');
    }
    return text;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

// A two-hour film's loudness, words of a quarter second with short gaps
// and a longer pause every eighth, and 1500 cues whose boundaries mostly
// cut words: what fitting them to the pauses costs when the film opens.
void benchCueFitting()
{
    Envelope film;
    film.duration = 7200.0;
    const int frames = int(film.duration / film.frameSeconds);
    film.levels.reserve(std::size_t(frames));
    for (int k = 0; k < frames; ++k) {
        const int centis = k % 280; // eight words of 0.35 s, then 0.6 s quiet
        const bool loud = centis < 220 && centis % 35 < 25;
        film.levels.push_back(loud ? 0.2f : 0.0005f);
    }
    QList<Sentence> cues;
    for (int k = 0; k < 1500; ++k)
        cues.append({k * 4.8 + 0.13, k * 4.8 + 3.71, QStringLiteral("cue")});
    QElapsedTimer clock;
    clock.start();
    const QList<Sentence> fitted = shiftCues(cues, 0.0, soundPieces(film), film.duration);
    std::printf("cue_fit_film_ms %.1f ms\n", clock.nsecsElapsed() / 1e6);
    int moved = 0;
    for (qsizetype k = 0; k < cues.size(); ++k)
        moved += fitted[k] != cues[k];
    std::printf("cue_fit_film_changed %d count\n", moved);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    benchCueFitting();

    // The test set.
    const QStringList reader = readerPieces();
    QStringList festival;
    for (int k = 0; k < FestivalSentences.size(); ++k) {
        const QString text = dir.filePath(QStringLiteral("s%1.txt").arg(k));
        QFile f(text);
        f.open(QIODevice::WriteOnly);
        f.write(FestivalSentences[k].toUtf8());
        f.close();
        festival.append(dir.filePath(QStringLiteral("f%1.wav").arg(k)));
        run(QStringLiteral("text2wave"),
            {text, "-o", festival.last(), "-eval", "(voice_kal_diphone)"});
    }
    const struct {
        const char *name;
        QList<Spoken> truth;
    } sets[] = {
        {"reader", joinSpeech(dir, QStringLiteral("reader"), reader, ReaderSentences, 0.003)},
        {"festival",
         joinSpeech(dir, QStringLiteral("festival"), festival, FestivalSentences, 0.01)},
    };
    std::vector<double> errors;
    int missing = 0;
    for (const auto &set : sets) {
        QStringList texts;
        for (const Spoken &s : set.truth)
            texts.append(s.text);
        const QString text = texts.join(QLatin1Char(' '));
        const AlignOutcome outcome =
            alignRecording(dir.filePath(QLatin1String(set.name) + QStringLiteral(".wav")), text,
                           voiceFor(QStringLiteral("en"), text), QString());
        for (const Spoken &truth : set.truth) {
            const auto found =
                std::find_if(outcome.alignment.sentences.begin(), outcome.alignment.sentences.end(),
                             [&](const AlignedSentence &s) { return s.text == truth.text; });
            if (found == outcome.alignment.sentences.end()) {
                ++missing;
                continue;
            }
            errors.push_back(std::abs(found->start - truth.start) * 1000.0);
            errors.push_back(std::abs(found->end - truth.end) * 1000.0);
        }
    }
    std::printf("align_boundary_error_median_ms %.0f ms\n", median(errors));
    std::printf("align_boundary_error_max_ms %.0f ms\n",
                errors.empty() ? 0.0 : *std::max_element(errors.begin(), errors.end()));
    std::printf("align_sentences_missed %d count\n", missing);

    // The unsure mark: sentences as spoken that are marked (but those
    // beside an altered one), and units not as spoken (a clause or words
    // replaced, a sentence inserted, a line not said) that keep an unmarked
    // sentence.
    std::map<SpeechSet, QString> markSets;
    for (SpeechSet set : {SpeechSet::Reader, SpeechSet::NoisyReader, SpeechSet::TitledVoice}) {
        QString error;
        const QString file = dir.filePath(QStringLiteral("set%1.wav").arg(int(set)));
        if (speechSet(set, dir.path(), file, error).isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        markSets[set] = file;
    }
    int falseMarks = 0;
    int poorMissed = 0;
    int alterations = 0;
    // Three times over: the synthesized speech differs a little from run to
    // run, and so do the figures of units near the line.
    for (int round = 0; round < 3; ++round)
        for (const AlteredText &t : alteredTexts()) {
            const QString text = t.units.join(QLatin1Char('\n'));
            const Alignment a = alignRecording(markSets[t.set], text,
                                               voiceFor(QStringLiteral("en"), text), QString())
                                    .alignment;
            for (const AlignedSentence &s : a.sentences) {
                const int unit = int(t.units.indexOf(s.text));
                if (unit < 0)
                    continue;
                // The sentences beside an altered one may truly have lost
                // some of their speech to it.
                const bool beside = t.altered >= 0 && std::abs(unit - t.altered) == 1;
                if (unit == t.altered && !s.poor)
                    ++poorMissed;
                else if (unit != t.altered && !beside && s.poor)
                    ++falseMarks;
            }
            alterations += t.altered >= 0;
        }
    std::printf("align_poor_false_marks %d count\n", falseMarks);
    std::printf("align_poor_missed %d count\n", poorMissed);
    std::printf("align_poor_alterations %d count\n", alterations);

    // Subtitles 2 s late on the test set: how near the offset found is.
    std::vector<double> offsetErrors;
    for (const auto &set : sets) {
        QList<Sentence> cues;
        for (const Spoken &s : set.truth)
            cues.append({s.start + 2.0, s.end + 2.0, s.text});
        const CueOffsetOutcome found =
            findCueOffset(dir.filePath(QLatin1String(set.name) + QStringLiteral(".wav")), cues,
                          QStringLiteral("subtitle-file:bench"), QStringLiteral("en"), QString());
        offsetErrors.push_back(found.offset.isOff() ? std::abs(found.offset.seconds + 2.0) * 1000.0
                                                    : 2000.0);
    }
    std::printf("subtitle_offset_error_max_ms %.0f ms\n",
                *std::max_element(offsetErrors.begin(), offsetErrors.end()));

    // An hour: its text read by another espeak-ng voice, slower, at 16 kHz.
    const QString text = hourOfText();
    const QString textFile = dir.filePath(QStringLiteral("hour.txt"));
    QFile f(textFile);
    f.open(QIODevice::WriteOnly);
    f.write(text.toUtf8());
    f.close();
    const QString raw = dir.filePath(QStringLiteral("hour-raw.wav"));
    run(QStringLiteral("espeak-ng"), {"-v", "en-us+m3", "-s", "150", "-f", textFile, "-w", raw});
    const QString hour = dir.filePath(QStringLiteral("hour.wav"));
    run(QStringLiteral("sox"), {raw, "-r", "16000", hour});
    const double length = soundSeconds(hour);
    const QString cache = dir.filePath(QStringLiteral("cache"));
    QElapsedTimer clock;
    qint64 firstMs = -1;
    AlignControl control;
    control.first = [&](const Alignment &) {
        if (firstMs < 0)
            firstMs = clock.elapsed();
    };
    clock.start();
    const AlignOutcome outcome =
        alignRecording(hour, text, voiceFor(QStringLiteral("en"), text), cache, control);
    const double seconds = clock.nsecsElapsed() / 1e9;
    std::printf("align_recording_minutes %.1f min\n", length / 60.0);
    std::printf("align_ratio %.4f ratio\n", seconds / length);
    std::printf("align_first_sentences_ms %lld ms\n", (long long)firstMs);
    std::printf("align_hour_sentences %lld count\n", (long long)outcome.alignment.sentences.size());
    clock.restart();
    const AlignOutcome again =
        alignRecording(hour, text, voiceFor(QStringLiteral("en"), text), cache, control);
    std::printf("align_reopen_ms %.1f ms\n", clock.nsecsElapsed() / 1e6);

    // A subtitle cue's words, timed when first wanted: one at the start of
    // the hour (decoding has only just begun) and one at its end.
    const QList<AlignedSentence> &aligned = outcome.alignment.sentences;
    if (aligned.size() >= 2) {
        CueWordTimer timer;
        timer.setRecording(hour, QStringLiteral("en"));
        QEventLoop loop;
        QObject::connect(&timer, &CueWordTimer::found, &loop, &QEventLoop::quit);
        for (const auto &[name, s] : {std::pair("cue_words_start_ms", aligned.first()),
                                      std::pair("cue_words_end_ms", aligned.last())}) {
            clock.restart();
            timer.request({s.start, s.end, s.text});
            loop.exec();
            std::printf("%s %lld ms\n", name, (long long)clock.elapsed());
        }
    }

    // The hour's sentences as subtitles 2.4 s late: the check a film's
    // subtitles get once when it opens.
    QList<Sentence> cues;
    for (const AlignedSentence &s : outcome.alignment.sentences) {
        if (!s.text.isEmpty())
            cues.append({s.start + 2.4, s.end + 2.4, s.text});
    }
    clock.restart();
    const CueOffsetOutcome hourOffset =
        findCueOffset(hour, cues, QStringLiteral("subtitle-file:hour"),
                      voiceFor(QStringLiteral("en"), text), QString());
    std::printf("subtitle_offset_ms %lld ms\n", (long long)clock.elapsed());
    std::printf("subtitle_offset_hour_error_ms %.0f ms\n",
                hourOffset.offset.isOff() ? std::abs(hourOffset.offset.seconds + 2.4) * 1000.0
                                          : 2400.0);
    // As in a film, where the dialogue is not spread evenly: ten minutes
    // without speech before it.
    const QString padded = dir.filePath(QStringLiteral("padded.wav"));
    run(QStringLiteral("sox"), {hour, padded, "pad", "600", "0"});
    QList<Sentence> paddedCues;
    for (const Sentence &c : cues)
        paddedCues.append({c.start + 600.0, c.end + 600.0, c.text});
    const CueOffsetOutcome paddedOffset =
        findCueOffset(padded, paddedCues, QStringLiteral("subtitle-file:padded"),
                      voiceFor(QStringLiteral("en"), text), QString());
    std::printf("subtitle_offset_uneven_error_ms %.0f ms\n",
                paddedOffset.offset.isOff() ? std::abs(paddedOffset.offset.seconds + 2.4) * 1000.0
                                            : 2400.0);
    return again.fromCache ? 0 : 1;
}
