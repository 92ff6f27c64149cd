// Sentences without waiting: the sentences found while the analysis runs,
// the strip and label that show them, and the cache that makes a second
// opening instant.
#include "sentences/analysiscache.h"
#include "sentences/sentenceanalysis.h"
#include "sentences/sentencenavigation.h"
#include "sentences/sentencetrack.h"
#include "sentences/waveformview.h"
#include "support/tonewav.h"

#include <QDataStream>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

// 16-bit mono 8 kHz: silence, then `count` tone bursts of 1 s with 0.8 s
// of near-silence after each.
void writeSpeech(const QString &path, int count)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    QList<qint16> samples(4000, 0);
    for (int k = 0; k < count; ++k) {
        for (int i = 0; i < 8000; ++i)
            samples.append(qint16(10000 * std::sin(2 * std::numbers::pi * 300 * i / 8000.0)));
        for (int i = 0; i < 6400; ++i)
            samples.append(qint16(i % 3 - 1));
    }
    QByteArray pcm;
    QDataStream out(&pcm, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    for (qint16 v : samples)
        out << v;
    ASSERT_EQ(file.write(monoWav(pcm, 8000)), 44 + pcm.size());
}

Envelope smallEnvelope()
{
    Envelope envelope;
    envelope.levels = {0.0f, 0.5f, 0.25f, 0.0f};
    envelope.duration = 0.04;
    return envelope;
}

bool sameEnvelope(const Envelope &a, const Envelope &b)
{
    return a.levels == b.levels && a.duration == b.duration && a.frameSeconds == b.frameSeconds;
}

} // namespace

TEST(SentencesWhileAnalysing, ArriveInOrderAndExtendEachOther)
{
    QTemporaryDir dir;
    const QString recording = dir.filePath(QStringLiteral("long.wav"));
    writeSpeech(recording, 50); // 90 s: the first look comes after 30 s

    QList<SentenceResult> found;
    const AnalysisOutcome outcome = analyseRecording(
        recording, {}, {}, nullptr, [&](const SentenceResult &soFar) { found.append(soFar); });
    ASSERT_TRUE(outcome.ok) << outcome.error.toStdString();
    const QList<Sentence> &all = outcome.result.sentences;
    EXPECT_EQ(all.size(), 50);
    ASSERT_FALSE(found.isEmpty());
    qsizetype before = 0;
    for (const SentenceResult &soFar : found) {
        EXPECT_GT(soFar.sentences.size(), before);
        before = soFar.sentences.size();
        // The strip keeps the whole recording's scale while it fills in.
        ASSERT_TRUE(soFar.envelope);
        EXPECT_NEAR(soFar.envelope->duration, outcome.result.envelope->duration, 0.1);
        for (qsizetype i = 0; i < soFar.sentences.size(); ++i) {
            ASSERT_LT(i, all.size());
            EXPECT_NEAR(soFar.sentences[i].start, all[i].start, 0.05) << i;
            EXPECT_NEAR(soFar.sentences[i].end, all[i].end, 0.05) << i;
        }
    }
    EXPECT_LT(found.first().sentences.size(), all.size());
}

TEST(SentencesWhileAnalysing, StripLabelAndNextUseThoseFound)
{
    WaveformView view;
    QLabel label;
    SentenceTrack track(&view, &label, nullptr);
    auto *analysis = track.findChild<SentenceAnalysis *>();
    ASSERT_TRUE(analysis);

    QSignalSpy changed(&track, &SentenceTrack::sentencesChanged);
    SentenceResult soFar;
    soFar.envelope = std::make_shared<const Envelope>(smallEnvelope());
    soFar.sentences = {{1.0, 2.0, {}}, {3.0, 4.0, {}}};
    Q_EMIT analysis->sentencesFound(soFar);
    // The lesson and the sentence list take them as they come.
    EXPECT_EQ(changed.size(), 1);
    track.setPosition(3.5);
    EXPECT_FALSE(track.isComplete());
    EXPECT_EQ(view.sentences(), soFar.sentences);
    EXPECT_EQ(label.text(), sentenceLabelSoFar(1));
    // Ctrl+Down from the second goes nowhere yet; from the first to the second.
    EXPECT_EQ(nextSentence(track.sentences(), {-1, -1, 3.5}), -1);
    EXPECT_EQ(nextSentence(track.sentences(), {-1, -1, 1.5}), 1);

    SentenceResult all = soFar;
    all.sentences.append({5.0, 6.0, {}});
    Q_EMIT analysis->finished(all);
    EXPECT_TRUE(track.isComplete());
    EXPECT_EQ(changed.size(), 2);
    EXPECT_EQ(label.text(), sentenceLabel(1, 3));
    EXPECT_EQ(nextSentence(track.sentences(), {-1, -1, 3.5}), 2);

    // A new recording counts as unknown again.
    track.open(QString());
    EXPECT_FALSE(track.isComplete());
    EXPECT_TRUE(label.text().isEmpty());
}

TEST(AnalysisCacheEntries, ChangedFilesAreAnalysedAgain)
{
    struct Case {
        const char *change;
        std::function<void(const QString &)> apply;
        bool stillCached;
    };
    const Case cases[] = {
        {"none", [](const QString &) {}, true},
        {"renamed",
         [](const QString &path) { ASSERT_TRUE(QFile::rename(path, path + QStringLiteral(".x"))); },
         true},
        {"other time",
         [](const QString &path) {
             QFile file(path);
             ASSERT_TRUE(file.open(QIODevice::ReadWrite));
             ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                                          QFileDevice::FileModificationTime));
         },
         false},
        {"other size",
         [](const QString &path) {
             QFile file(path);
             const QDateTime time = QFileInfo(path).lastModified();
             ASSERT_TRUE(file.open(QIODevice::Append));
             file.write("more");
             file.setFileTime(time, QFileDevice::FileModificationTime);
         },
         false},
        {"replaced",
         [](const QString &path) {
             ASSERT_TRUE(QFile::remove(path));
             QFile file(path);
             ASSERT_TRUE(file.open(QIODevice::WriteOnly));
             file.write("recording");
         },
         false},
    };
    for (const Case &c : cases) {
        QTemporaryDir dir;
        QString recording = dir.filePath(QStringLiteral("talk.mp3"));
        {
            QFile file(recording);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("recording");
        }
        const AnalysisCache cache(dir.filePath(QStringLiteral("cache")));
        const QList<Sentence> sentences{{0.01, 0.03, {}}};
        ASSERT_TRUE(cache.store(recording, smallEnvelope(), sentences)) << c.change;
        c.apply(recording);
        if (std::string(c.change) == "renamed")
            recording += QStringLiteral(".x");
        const std::optional<CachedAnalysis> cached = cache.load(recording);
        ASSERT_EQ(cached.has_value(), c.stillCached) << c.change;
        if (cached) {
            EXPECT_TRUE(sameEnvelope(cached->envelope, smallEnvelope())) << c.change;
            EXPECT_EQ(cached->sentences, sentences) << c.change;
        }
    }
}

TEST(AnalysisCacheEntries, DamagedOrFullCachesNeverStopTheAnalysis)
{
    QTemporaryDir dir;
    const QString recording = dir.filePath(QStringLiteral("speech.wav"));
    writeSpeech(recording, 3);
    const AnalysisOutcome plain = analyseRecording(recording);
    ASSERT_TRUE(plain.ok);

    struct Case {
        const char *fault;
        // Prepares the cache folder; returns the folder to use.
        std::function<QString(const QString &cacheFolder)> prepare;
    };
    const auto damageEntry = [&](const QString &folder,
                                 const std::function<void(QByteArray &)> &how) {
        const AnalysisCache cache(folder);
        EXPECT_TRUE(cache.store(recording, *plain.result.envelope, {}));
        QFile file(cache.entryFor(recording));
        EXPECT_TRUE(file.open(QIODevice::ReadWrite));
        QByteArray bytes = file.readAll();
        how(bytes);
        file.resize(0);
        file.seek(0);
        file.write(bytes);
        return folder;
    };
    const Case cases[] = {
        {"garbled byte",
         [&](const QString &folder) {
             return damageEntry(folder,
                                [](QByteArray &b) { b[b.size() / 2] = char(~b[b.size() / 2]); });
         }},
        {"cut short",
         [&](const QString &folder) {
             return damageEntry(folder, [](QByteArray &b) { b.truncate(b.size() / 3); });
         }},
        {"empty entry",
         [&](const QString &folder) {
             return damageEntry(folder, [](QByteArray &b) { b.clear(); });
         }},
        {"folder is a file",
         [](const QString &folder) {
             QFile file(folder);
             EXPECT_TRUE(file.open(QIODevice::WriteOnly));
             return folder;
         }},
        {"read-only folder",
         [](const QString &folder) {
             QDir().mkpath(folder);
             QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
             return folder;
         }},
    };
    for (const Case &c : cases) {
        QTemporaryDir scratch;
        const QString folder = c.prepare(scratch.filePath(QStringLiteral("cache")));
        const AnalysisCache cache(folder);
        const AnalysisOutcome outcome = analyseRecording(recording, {}, {}, &cache);
        ASSERT_TRUE(outcome.ok) << c.fault << ": " << outcome.error.toStdString();
        EXPECT_EQ(outcome.result.sentences, plain.result.sentences) << c.fault;
        EXPECT_TRUE(sameEnvelope(*outcome.result.envelope, *plain.result.envelope)) << c.fault;
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

TEST(AnalysisCacheEntries, ReopeningIsServedFromTheCacheWithinItsBound)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("cache"));
    const QString first = dir.filePath(QStringLiteral("first.wav"));
    const QString second = dir.filePath(QStringLiteral("second.wav"));
    writeSpeech(first, 3);
    writeSpeech(second, 4);

    const AnalysisCache cache(folder);
    const AnalysisOutcome analysed = analyseRecording(first, {}, {}, &cache);
    ASSERT_TRUE(analysed.ok);
    ASSERT_TRUE(QFileInfo::exists(cache.entryFor(first)));
    // Served from the cache: the file's sound is not decoded again, and the
    // cached sentences come first, all of them.
    QList<SentenceResult> found;
    const AnalysisOutcome again = analyseRecording(
        first, {}, {}, &cache, [&](const SentenceResult &soFar) { found.append(soFar); });
    ASSERT_TRUE(again.ok);
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found.first().sentences, analysed.result.sentences);
    EXPECT_EQ(again.result.sentences, analysed.result.sentences);

    // A bound that holds one entry keeps the one used last.
    const qint64 oneEntry = QFileInfo(cache.entryFor(first)).size() + 16;
    const AnalysisCache small(folder, oneEntry * 3 / 2);
    ASSERT_TRUE(analyseRecording(second, {}, {}, &small).ok);
    EXPECT_TRUE(QFileInfo::exists(small.entryFor(second)));
    EXPECT_FALSE(QFileInfo::exists(small.entryFor(first)));
}
