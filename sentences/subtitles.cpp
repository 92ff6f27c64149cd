#include "sentences/subtitles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
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

// Calls `take` with each line of the text (CR LF, a lone CR or LF ends
// one), as views into it: a file of millions of empty lines costs no more
// than its text. False when `cancelled` stopped it.
template <typename Take>
bool forEachLine(QStringView text, const SubtitleCancel &cancelled, Take &&take)
{
    const qsizetype size = text.size();
    qsizetype begin = 0;
    for (quint32 count = 1;; ++count) {
        qsizetype end = begin;
        while (end < size && text[end] != u'\n' && text[end] != u'\r')
            ++end;
        take(text.sliced(begin, end - begin));
        if (end >= size)
            return true;
        begin = end + (text[end] == u'\r' && end + 1 < size && text[end + 1] == u'\n' ? 2 : 1);
        if (count % 4096 == 0 && cancelled && cancelled())
            return false;
    }
}

bool isBlankLine(QStringView line)
{
    return line.trimmed().isEmpty();
}

// Cue text as plain text: markup, styling codes and entities removed, lines joined.
QString plainText(const QList<QStringView> &textLines)
{
    static const QRegularExpression tags(QStringLiteral("<[^>]*>|\\{\\\\[^}]*\\}"));
    QString text;
    for (const QStringView line : textLines) {
        if (!text.isEmpty())
            text += QLatin1Char(' ');
        text += line;
    }
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
SubtitleCues parseBlocks(const QString &text, bool vtt, const SubtitleCancel &cancelled)
{
    static const QRegularExpression srtTiming(
        QStringLiteral("^\\s*(\\d+):(\\d{1,2}):(\\d{1,2})[,.](\\d{1,3})\\s*-->\\s*(\\d+):(\\d{1,2})"
                       ":(\\d{1,2})[,.](\\d{1,3})\\s*$"));
    static const QRegularExpression vttTiming(
        QStringLiteral("^\\s*(?:(\\d+):)?(\\d{2}):(\\d{2})\\.(\\d{3})\\s+-->\\s+(?:(\\d+):)?(\\d{2}"
                       "):(\\d{2})\\.(\\d{3})(?:\\s.*)?$"));
    const QRegularExpression &timing = vtt ? vttTiming : srtTiming;

    SubtitleCues out;
    qsizetype index = 0;
    const auto takeBlock = [&](const QList<QStringView> &block) {
        const qsizetype b = index++;
        if (vtt) {
            const QStringView first = block.first().trimmed();
            if (b == 0 && first.startsWith(QLatin1String("WEBVTT")))
                return;
            if (first.startsWith(QLatin1String("NOTE")) || first == QLatin1String("STYLE")
                || first == QLatin1String("REGION"))
                return;
        }
        // The timing line is the first or, after an identifier, the second.
        qsizetype at = block.first().contains(QLatin1String("-->")) ? 0 : 1;
        const QRegularExpressionMatch m =
            at < block.size() ? timing.match(block[at].toString()) : QRegularExpressionMatch();
        if (!m.hasMatch()) {
            ++out.malformed;
            return;
        }
        Sentence cue;
        cue.start = clockSeconds(m.captured(1), m.captured(2), m.captured(3), m.captured(4));
        cue.end = clockSeconds(m.captured(5), m.captured(6), m.captured(7), m.captured(8));
        const bool badClock = m.captured(3).toInt() >= 60 || m.captured(7).toInt() >= 60
                              || m.captured(2).toInt() >= 60 || m.captured(6).toInt() >= 60;
        if (badClock || cue.end <= cue.start) {
            ++out.malformed;
            return;
        }
        cue.text = plainText(block.mid(at + 1));
        if (!cue.text.isEmpty())
            out.cues.append(cue);
    };
    // Blocks of non-blank lines.
    QList<QStringView> block;
    const bool finished = forEachLine(text, cancelled, [&](QStringView line) {
        if (!isBlankLine(line)) {
            block.append(line);
        } else if (!block.isEmpty()) {
            takeBlock(block);
            block.clear();
        }
    });
    if (!finished) {
        out.cancelled = true;
        return out;
    }
    if (!block.isEmpty())
        takeBlock(block);
    return out;
}

// Lyrics: each line carries one or more [mm:ss.xx] stamps; a line lasts until
// the next stamped line. [offset:ms] shifts every stamp earlier by ms.
SubtitleCues parseLrc(const QString &text, double duration, const SubtitleCancel &cancelled)
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
    const bool finished = forEachLine(text, cancelled, [&](QStringView raw) {
        const QString line = raw.trimmed().toString();
        if (line.isEmpty())
            return;
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
        const QString lyric = plainText({QStringView(line).sliced(pos)});
        if (bad || (times.isEmpty() && (!metadata || !lyric.isEmpty()))) {
            ++out.malformed;
            return;
        }
        for (double t : times)
            stamped.append({t, lyric});
    });
    if (!finished) {
        out.cancelled = true;
        return out;
    }
    std::stable_sort(stamped.begin(), stamped.end(),
                     [](const Stamped &a, const Stamped &b) { return a.time < b.time; });
    // The first later stamp after each one, found from the back in one pass:
    // thousands of lines under one stamp are no reason to scan them all again.
    QList<qsizetype> later(stamped.size(), stamped.size());
    for (qsizetype i = stamped.size() - 2; i >= 0; --i)
        later[i] = stamped[i + 1].time > stamped[i].time ? i + 1 : later[i + 1];
    for (qsizetype i = 0; i < stamped.size(); ++i) {
        if (stamped[i].text.isEmpty())
            continue; // an empty stamped line only ends the one before it
        Sentence cue;
        cue.start = std::max(0.0, stamped[i].time - offset);
        const qsizetype next = later[i];
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

void tidy(SubtitleCues &out, double duration)
{
    QList<Sentence> &cues = out.cues;
    std::stable_sort(cues.begin(), cues.end(),
                     [](const Sentence &a, const Sentence &b) { return a.start < b.start; });
    // Two speakers at once, or a cue split over two entries: one sentence
    // with both texts, as long as the longer.
    // A text that comes twice (a chorus under one stamp) is taken once.
    QList<Sentence> joined;
    joined.reserve(cues.size());
    QStringList parts;
    QSet<QString> seen;
    const auto joinParts = [&] {
        if (parts.size() > 1)
            joined.last().text = parts.join(QLatin1Char(' '));
    };
    for (Sentence &cue : cues) {
        if (!joined.isEmpty() && std::abs(joined.last().start - cue.start) < 0.0005) {
            if (!cue.text.isEmpty() && !seen.contains(cue.text)) {
                seen.insert(cue.text);
                parts.append(cue.text);
            }
            joined.last().end = std::max(joined.last().end, cue.end);
            ++out.merged;
            continue;
        }
        joinParts();
        parts = QStringList{cue.text};
        seen = QSet<QString>{cue.text};
        joined.append(std::move(cue));
    }
    if (!joined.isEmpty())
        joinParts();
    cues = std::move(joined);
    for (qsizetype i = 0; i + 1 < cues.size(); ++i)
        cues[i].end = std::min(cues[i].end, cues[i + 1].start);
    if (duration > 0) {
        for (Sentence &cue : cues)
            cue.end = std::min(cue.end, duration);
    }
    out.dropped += int(cues.removeIf([](const Sentence &cue) { return cue.end <= cue.start; }));
}

} // namespace

namespace {

// UTF-16 without a byte-order mark: text whose every other byte is NUL
// (the high bytes of Latin letters, digits and line breaks).
std::optional<QStringConverter::Encoding> utf16WithoutBom(const QByteArray &bytes)
{
    const qsizetype sample = std::min<qsizetype>(bytes.size(), 4096) & ~qsizetype(1);
    if (sample < 2)
        return std::nullopt;
    qsizetype evenNuls = 0, oddNuls = 0;
    for (qsizetype i = 0; i < sample; i += 2) {
        evenNuls += bytes[i] == '\0';
        oddNuls += bytes[i + 1] == '\0';
    }
    const qsizetype units = sample / 2;
    if (oddNuls * 4 >= units && evenNuls * 16 < units)
        return QStringConverter::Utf16LE;
    if (evenNuls * 4 >= units && oddNuls * 16 < units)
        return QStringConverter::Utf16BE;
    return std::nullopt;
}

} // namespace

QString decodeSubtitleText(const QByteArray &bytes)
{
    if (const std::optional<QStringConverter::Encoding> utf16 = utf16WithoutBom(bytes)) {
        QStringDecoder decoder(*utf16, QStringConverter::Flag::ConvertInvalidToNull);
        return decoder.decode(bytes);
    }
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

SubtitleCues parseSubtitles(const QByteArray &bytes, SubtitleFormat format, double duration,
                            const SubtitleCancel &cancelled)
{
    const QString text = decodeSubtitleText(bytes);
    SubtitleCues out = format == SubtitleFormat::Lrc
                           ? parseLrc(text, duration, cancelled)
                           : parseBlocks(text, format == SubtitleFormat::Vtt, cancelled);
    if (out.cancelled) {
        SubtitleCues none;
        none.cancelled = true;
        return none;
    }
    tidy(out, duration);
    return out;
}

QString subtitleFileFor(const QString &recordingPath)
{
    const QFileInfo recording(recordingPath);
    const QDir dir = recording.absoluteDir();
    const QString base = recording.completeBaseName();
    // No name filter: a base name may hold wildcard characters such as '['.
    const QStringList names = dir.entryList(QDir::Files | QDir::Readable);
    for (const char *suffix : {"srt", "vtt", "lrc"}) {
        for (const QString &name : names) {
            const QFileInfo candidate(dir.filePath(name));
            if (candidate.completeBaseName() == base
                && candidate.suffix().compare(QLatin1String(suffix), Qt::CaseInsensitive) == 0)
                return candidate.filePath();
        }
    }
    return {};
}

SubtitleCues readSubtitleFile(const QString &path, double duration, const SubtitleCancel &cancelled)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxSubtitleBytes)
        return {};
    const QString suffix = QFileInfo(path).suffix().toLower();
    const SubtitleFormat format = suffix == QLatin1String("vtt")   ? SubtitleFormat::Vtt
                                  : suffix == QLatin1String("lrc") ? SubtitleFormat::Lrc
                                                                   : SubtitleFormat::Srt;
    return parseSubtitles(file.readAll(), format, duration, cancelled);
}
