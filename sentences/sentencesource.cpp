#include "sentences/sentencesource.h"

#include <QCryptographicHash>
#include <QFile>
#include <QRegularExpression>

#include <cmath>

namespace {

// Raised when the detector's rules change so that the same settings find
// other sentences.
constexpr int PauseDetectorVersion = 1;

const QString PausesName = QStringLiteral("pauses");
const QString FileName = QStringLiteral("subtitle-file");
const QString TrackName = QStringLiteral("subtitle-track");
const QString TranscriptName = QStringLiteral("transcript");

QString digest(const QByteArray &content)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex());
}

// The settings as text, so the identity does not depend on how the compiler
// lays the structure out; %g keeps 0.25 and 8 as written.
QString settingsText(const DetectorParams &p)
{
    const double values[] = {p.shortestBreak, p.longestBreak, p.fallbackBreak, p.shortSentence,
                             p.longSentence,  p.minSentence,  p.padBefore,     p.padAfter,
                             p.maxSentence,   p.minContrastDb};
    QStringList parts;
    for (double v : values)
        parts.append(QString::number(v, 'g', 6));
    return parts.join(QLatin1Char(','));
}

} // namespace

SentenceSource SentenceSource::pauses(const DetectorParams &params)
{
    // A short digest of the settings keeps the identity a readable length.
    const QString settings = digest(settingsText(params).toUtf8()).left(12);
    return {Kind::Pauses, QStringLiteral("%1:%2").arg(PauseDetectorVersion).arg(settings)};
}

SentenceSource SentenceSource::subtitleFile(const QByteArray &content)
{
    return {Kind::SubtitleFile, digest(content)};
}

SentenceSource SentenceSource::subtitleFileAt(const QString &path)
{
    QFile file(path);
    return subtitleFile(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
}

SentenceSource SentenceSource::subtitleTrack(int stream, const QString &language)
{
    // A colon or an at sign cannot be part of a language tag; dropping any
    // keeps the parts apart.
    QString tag = language;
    tag.remove(QLatin1Char(':'));
    tag.remove(QLatin1Char('@'));
    return {Kind::SubtitleTrack, QStringLiteral("%1:%2").arg(stream).arg(tag)};
}

SentenceSource SentenceSource::transcript(const QByteArray &content)
{
    return {Kind::Transcript, digest(content)};
}

SentenceSource SentenceSource::shiftedBy(double seconds) const
{
    SentenceSource moved = *this;
    moved.m_shiftMs = isSubtitles() ? int(std::lround(seconds * 1000.0)) : 0;
    moved.m_inPauses = false;
    return moved;
}

SentenceSource SentenceSource::inPauses() const
{
    SentenceSource fitted = *this;
    fitted.m_inPauses = isSubtitles() && m_shiftMs == 0;
    return fitted;
}

QString SentenceSource::identity() const
{
    const QString shift = m_shiftMs != 0
                              ? QStringLiteral("@%1%2").arg(m_shiftMs > 0 ? "+" : "").arg(m_shiftMs)
                          : m_inPauses ? QStringLiteral("@0")
                                       : QString();
    return plainIdentity() + shift;
}

QString SentenceSource::plainIdentity() const
{
    switch (m_kind) {
    case Kind::None:
        return {};
    case Kind::Pauses:
        return PausesName + QLatin1Char(':') + m_detail;
    case Kind::SubtitleFile:
        return FileName + QLatin1Char(':') + m_detail;
    case Kind::SubtitleTrack:
        return TrackName + QLatin1Char(':') + m_detail;
    case Kind::Transcript:
        return TranscriptName + QLatin1Char(':') + m_detail;
    }
    return {};
}

std::optional<SentenceSource> SentenceSource::fromIdentity(const QString &identity)
{
    static const QRegularExpression pausesForm(QStringLiteral("^pauses:(\\d+:[0-9a-f]{12})$"));
    static const QRegularExpression digestForm(
        QStringLiteral("^(subtitle-file|transcript):([0-9a-f]{64})$"));
    static const QRegularExpression trackForm(QStringLiteral("^subtitle-track:(\\d+:[^:@]*)$"));
    static const QRegularExpression shiftForm(QStringLiteral("^(subtitle-.*)@([+-]\\d{1,9}|0)$"));
    if (const auto m = shiftForm.match(identity); m.hasMatch()) {
        const std::optional<SentenceSource> cues = fromIdentity(m.captured(1));
        if (!cues || !cues->isSubtitles() || cues->isFitted())
            return std::nullopt;
        if (m.captured(2) == QLatin1String("0"))
            return cues->inPauses();
        const int ms = m.captured(2).toInt();
        if (ms == 0)
            return std::nullopt;
        return cues->shiftedBy(ms / 1000.0);
    }
    if (const auto m = pausesForm.match(identity); m.hasMatch())
        return SentenceSource(Kind::Pauses, m.captured(1));
    if (const auto m = digestForm.match(identity); m.hasMatch())
        return SentenceSource(m.captured(1) == FileName ? Kind::SubtitleFile : Kind::Transcript,
                              m.captured(2));
    if (const auto m = trackForm.match(identity); m.hasMatch())
        return SentenceSource(Kind::SubtitleTrack, m.captured(1));
    return std::nullopt;
}
