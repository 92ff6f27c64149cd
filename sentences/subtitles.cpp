#include "sentences/subtitles.h"

#include "sentences/subtitletext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

// Size guard: a subtitle file of this size is not a subtitle file.
constexpr qint64 MaxSubtitleBytes = 64 * 1024 * 1024;

double clockSeconds(const QString &hours, const QString &minutes, const QString &seconds,
                    const QString &fraction)
{
    const double part =
        fraction.isEmpty() ? 0.0 : fraction.toDouble() / std::pow(10.0, fraction.size());
    return hours.toDouble() * 3600 + minutes.toDouble() * 60 + seconds.toDouble() + part;
}

QStringList lines(const QString &text)
{
    QString normal = text;
    normal.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    normal.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return normal.split(QLatin1Char('\n'));
}

// Blocks of non-blank lines.
QList<QStringList> blocks(const QString &text)
{
    QList<QStringList> out;
    QStringList current;
    for (const QString &line : lines(text)) {
        if (line.trimmed().isEmpty()) {
            if (!current.isEmpty())
                out.append(current);
            current.clear();
        } else {
            current.append(line);
        }
    }
    if (!current.isEmpty())
        out.append(current);
    return out;
}

// Cue text as plain text: markup, styling codes and entities removed, lines joined.
QString plainText(const QStringList &textLines)
{
    static const QRegularExpression tags(QStringLiteral("<[^>]*>|\\{\\\\[^}]*\\}"));
    QString text = textLines.join(QLatin1Char(' '));
    text.remove(tags);
    text.replace(QLatin1String("&lt;"), QLatin1String("<"));
    text.replace(QLatin1String("&gt;"), QLatin1String(">"));
    text.replace(QLatin1String("&nbsp;"), QLatin1String(" "));
    text.replace(QLatin1String("&lrm;"), QString());
    text.replace(QLatin1String("&rlm;"), QString());
    text.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return text.simplified();
}

// Cues of SRT and WebVTT: blocks with an optional identifier line, a timing
// line and text lines.
SubtitleCues parseBlocks(const QString &text, bool vtt)
{
    static const QRegularExpression srtTiming(
        QStringLiteral("^\\s*(\\d+):(\\d{1,2}):(\\d{1,2})[,.](\\d{1,3})\\s*-->\\s*(\\d+):(\\d{1,2})"
                       ":(\\d{1,2})[,.](\\d{1,3})\\s*$"));
    static const QRegularExpression vttTiming(
        QStringLiteral("^\\s*(?:(\\d+):)?(\\d{2}):(\\d{2})\\.(\\d{3})\\s+-->\\s+(?:(\\d+):)?(\\d{2}"
                       "):(\\d{2})\\.(\\d{3})(?:\\s.*)?$"));
    const QRegularExpression &timing = vtt ? vttTiming : srtTiming;

    SubtitleCues out;
    const QList<QStringList> all = blocks(text);
    for (qsizetype b = 0; b < all.size(); ++b) {
        const QStringList &block = all[b];
        if (vtt) {
            const QString first = block.first().trimmed();
            if (b == 0 && first.startsWith(QLatin1String("WEBVTT")))
                continue;
            if (first.startsWith(QLatin1String("NOTE")) || first == QLatin1String("STYLE")
                || first == QLatin1String("REGION"))
                continue;
        }
        // The timing line is the first or, after an identifier, the second.
        qsizetype at = block.first().contains(QLatin1String("-->")) ? 0 : 1;
        const QRegularExpressionMatch m =
            at < block.size() ? timing.match(block[at]) : QRegularExpressionMatch();
        if (!m.hasMatch()) {
            ++out.malformed;
            continue;
        }
        Sentence cue;
        cue.start = clockSeconds(m.captured(1), m.captured(2), m.captured(3), m.captured(4));
        cue.end = clockSeconds(m.captured(5), m.captured(6), m.captured(7), m.captured(8));
        const bool badClock = m.captured(3).toInt() >= 60 || m.captured(7).toInt() >= 60
                              || m.captured(2).toInt() >= 60 || m.captured(6).toInt() >= 60;
        if (badClock || cue.end <= cue.start) {
            ++out.malformed;
            continue;
        }
        cue.text = plainText(block.mid(at + 1));
        if (!cue.text.isEmpty())
            out.cues.append(cue);
    }
    return out;
}

// Lyrics: each line carries one or more [mm:ss.xx] stamps; a line lasts until
// the next stamped line. [offset:ms] shifts every stamp earlier by ms.
SubtitleCues parseLrc(const QString &text, double duration)
{
    static const QRegularExpression stamp(QStringLiteral("^(\\d+):(\\d{1,2})(?:[.:](\\d{1,3}))?$"));
    static const QRegularExpression tag(QStringLiteral("^([A-Za-z#]+):(.*)$"));
    struct Stamped {
        double time;
        QString text;
    };
    SubtitleCues out;
    QList<Stamped> stamped;
    double offset = 0.0;
    for (const QString &raw : lines(text)) {
        const QString line = raw.trimmed();
        if (line.isEmpty())
            continue;
        QList<double> times;
        bool bad = false;
        bool metadata = false;
        qsizetype pos = 0;
        while (pos < line.size() && line[pos] == QLatin1Char('[')) {
            const qsizetype close = line.indexOf(QLatin1Char(']'), pos);
            if (close < 0) {
                bad = true;
                break;
            }
            const QString inside = line.mid(pos + 1, close - pos - 1).trimmed();
            pos = close + 1;
            if (const auto m = stamp.match(inside); m.hasMatch() && m.captured(2).toInt() < 60) {
                times.append(clockSeconds({}, m.captured(1), m.captured(2), m.captured(3)));
            } else if (const auto t = tag.match(inside); t.hasMatch()) {
                metadata = true;
                if (t.captured(1).compare(QLatin1String("offset"), Qt::CaseInsensitive) == 0)
                    offset = t.captured(2).trimmed().toDouble() / 1000.0;
            } else {
                bad = true;
                break;
            }
        }
        const QString lyric = plainText({line.mid(pos)});
        if (bad || (times.isEmpty() && (!metadata || !lyric.isEmpty()))) {
            ++out.malformed;
            continue;
        }
        for (double t : times)
            stamped.append({t, lyric});
    }
    std::stable_sort(stamped.begin(), stamped.end(),
                     [](const Stamped &a, const Stamped &b) { return a.time < b.time; });
    for (qsizetype i = 0; i < stamped.size(); ++i) {
        if (stamped[i].text.isEmpty())
            continue; // an empty stamped line only ends the one before it
        Sentence cue;
        cue.start = std::max(0.0, stamped[i].time - offset);
        qsizetype next = i + 1;
        while (next < stamped.size() && stamped[next].time <= stamped[i].time)
            ++next;
        if (next < stamped.size())
            cue.end = std::max(0.0, stamped[next].time - offset);
        else if (duration > 0)
            cue.end = duration;
        else
            continue;
        cue.text = stamped[i].text;
        out.cues.append(cue);
    }
    return out;
}

void tidy(QList<Sentence> &cues, double duration)
{
    std::stable_sort(cues.begin(), cues.end(),
                     [](const Sentence &a, const Sentence &b) { return a.start < b.start; });
    for (qsizetype i = 0; i + 1 < cues.size(); ++i)
        cues[i].end = std::min(cues[i].end, cues[i + 1].start);
    if (duration > 0) {
        for (Sentence &cue : cues)
            cue.end = std::min(cue.end, duration);
    }
    cues.removeIf([](const Sentence &cue) { return cue.end <= cue.start; });
}

} // namespace

QString decodeSubtitleText(const QByteArray &bytes)
{
    if (const std::optional<QStringConverter::Encoding> bom =
            QStringConverter::encodingForData(bytes)) {
        QStringDecoder decoder(*bom, QStringConverter::Flag::ConvertInvalidToNull);
        if (*bom != QStringConverter::Utf8 || bytes.startsWith("\xEF\xBB\xBF"))
            return decoder.decode(bytes);
    }
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder gb18030("GB18030");
    if (gb18030.isValid())
        return gb18030.decode(bytes);
    return text;
}

SubtitleCues parseSubtitles(const QByteArray &bytes, SubtitleFormat format, double duration)
{
    const QString text = decodeSubtitleText(bytes);
    SubtitleCues out = format == SubtitleFormat::Lrc ? parseLrc(text, duration)
                       : format == SubtitleFormat::Ass
                           ? parseAssScript(text)
                           : parseBlocks(text, format == SubtitleFormat::Vtt);
    // Markup the line readers left, and cues that only describe sounds.
    keepSpokenCues(out.cues);
    tidy(out.cues, duration);
    return out;
}

QString subtitleFileFor(const QString &recordingPath)
{
    const QFileInfo recording(recordingPath);
    const QDir dir = recording.absoluteDir();
    const QString base = recording.completeBaseName();
    // No name filter: a base name may hold wildcard characters such as '['.
    const QStringList names = dir.entryList(QDir::Files | QDir::Readable);
    for (const char *suffix : {"srt", "vtt", "ass", "ssa", "lrc"}) {
        for (const QString &name : names) {
            const QFileInfo candidate(dir.filePath(name));
            if (candidate.completeBaseName() == base
                && candidate.suffix().compare(QLatin1String(suffix), Qt::CaseInsensitive) == 0)
                return candidate.filePath();
        }
    }
    return {};
}

void tidyCues(QList<Sentence> &cues, double duration)
{
    tidy(cues, duration);
}

SubtitleCues readSubtitleFile(const QString &path, double duration)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxSubtitleBytes)
        return {};
    const QString suffix = QFileInfo(path).suffix().toLower();
    const SubtitleFormat format = suffix == QLatin1String("vtt")   ? SubtitleFormat::Vtt
                                  : suffix == QLatin1String("lrc") ? SubtitleFormat::Lrc
                                  : suffix == QLatin1String("ass") || suffix == QLatin1String("ssa")
                                      ? SubtitleFormat::Ass
                                      : SubtitleFormat::Srt;
    return parseSubtitles(file.readAll(), format, duration);
}
