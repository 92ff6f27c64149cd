#include "sentences/subtitles.h"

#include "sentences/subtitletext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

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

bool hasMarkup(QStringView text)
{
    for (const QChar c : text) {
        if (c == u'<' || c == u'&')
            return true;
    }
    return false;
}

// Cue text as plain text: tags and entities removed, lines joined. Override
// blocks in braces are left for cleanCueText(), which knows the format.
QString plainText(const QList<QStringView> &textLines)
{
    static const QRegularExpression tags(QStringLiteral("<[^>]*>"));
    QString text;
    for (const QStringView line : textLines) {
        if (!text.isEmpty())
            text += QLatin1Char(' ');
        text += line;
    }
    if (!hasMarkup(text))
        return text.simplified();
    text.remove(tags);
    text.replace(QLatin1String("&lt;"), QLatin1String("<"));
    text.replace(QLatin1String("&gt;"), QLatin1String(">"));
    text.replace(QLatin1String("&nbsp;"), QLatin1String(" "));
    text.replace(QLatin1String("&lrm;"), QString());
    text.replace(QLatin1String("&rlm;"), QString());
    text.replace(QLatin1String("&quot;"), QLatin1String("\""));
    text.replace(QLatin1String("&apos;"), QLatin1String("'"));
    text.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return text.simplified();
}

// Most lines are short or blank: they need not go through a substring search.
bool hasArrow(QStringView line)
{
    return line.size() >= 3 && line.contains(QLatin1String("-->"));
}

bool isDigits(QStringView line)
{
    const QStringView trimmed = line.trimmed();
    return !trimmed.isEmpty()
           && std::all_of(trimmed.begin(), trimmed.end(), [](QChar c) { return c.isDigit(); });
}

// SubRip as players read it: a cue runs from its timing line to the next
// one, blank lines inside it included; the number line before a timing line
// is the next cue's, not text. Anything may follow the times (DVD rips put
// the cue's box there: "X1:63 X2:223 Y1:43 Y2:58").
SubtitleCues parseSubRip(const QString &text, const SubtitleCancel &cancelled)
{
    static const QRegularExpression timing(
        QStringLiteral("^\\s*(\\d+):(\\d{1,2}):(\\d{1,2})[,.](\\d{1,3})\\s*-->\\s*(\\d+):(\\d{1,2})"
                       ":(\\d{1,2})[,.](\\d{1,3})(?:\\s.*)?$"));
    SubtitleCues out;
    std::optional<Sentence> cue;
    QList<QStringView> lines;
    bool skipping = false; // after a timing line that could not be read
    bool stray = false;    // text outside any cue, counted once per block
    const auto finishCue = [&] {
        // The number line just before the next timing line belongs to it.
        if (!lines.isEmpty() && isDigits(lines.last()))
            lines.removeLast();
        if (cue) {
            cue->text = plainText(lines);
            if (!cue->text.isEmpty())
                out.cues.append(std::move(*cue));
        }
        cue.reset();
        lines.clear();
    };
    const bool finished = forEachLine(text, cancelled, [&](QStringView line) {
        if (line.isEmpty()) {
            stray = false;
            return;
        }
        if (hasArrow(line)) {
            finishCue();
            stray = false;
            const QRegularExpressionMatch m = timing.match(line.toString());
            Sentence next;
            bool good = m.hasMatch();
            if (good) {
                next.start =
                    clockSeconds(m.captured(1), m.captured(2), m.captured(3), m.captured(4));
                next.end = clockSeconds(m.captured(5), m.captured(6), m.captured(7), m.captured(8));
                good = m.captured(2).toInt() < 60 && m.captured(3).toInt() < 60
                       && m.captured(6).toInt() < 60 && m.captured(7).toInt() < 60
                       && next.end > next.start;
            }
            skipping = !good;
            if (good)
                cue = next;
            else
                ++out.malformed;
            return;
        }
        if (cue) {
            // Blank lines add nothing to the joined text; not keeping them
            // keeps a file of millions of them cheap.
            if (!isBlankLine(line))
                lines.append(line);
        } else if (isBlankLine(line)) {
            stray = false;
        } else if (isDigits(line)) {
            lines = {line}; // the next cue's number, perhaps
        } else if (!skipping && !stray) {
            stray = true;
            ++out.malformed;
        }
    });
    if (!finished) {
        out.cancelled = true;
        return out;
    }
    finishCue();
    return out;
}

// WebVTT as browsers read it.
namespace vtt {

bool isSpace(QChar c)
{
    // Not the vertical tab, nor any other white space Unicode knows.
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\f' || c == u'\r';
}

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// hh:mm:ss.ttt or mm:ss.ttt at `at`, moving it past; nothing when it is none.
std::optional<double> timestamp(QStringView line, qsizetype &at)
{
    const auto digits = [&](qsizetype &count) {
        qint64 value = 0;
        count = 0;
        while (at < line.size() && isAsciiDigit(line[at])) {
            value = std::min<qint64>(value * 10 + (line[at].unicode() - u'0'), 1LL << 40);
            ++at;
            ++count;
        }
        return value;
    };
    if (at >= line.size() || !isAsciiDigit(line[at]))
        return std::nullopt;
    qsizetype count = 0;
    qint64 first = digits(count);
    const bool hours = count != 2 || first > 59;
    if (at >= line.size() || line[at] != u':')
        return std::nullopt;
    ++at;
    qint64 second = digits(count);
    if (count != 2)
        return std::nullopt;
    qint64 third = 0;
    if (hours || (at < line.size() && line[at] == u':')) {
        if (at >= line.size() || line[at] != u':')
            return std::nullopt;
        ++at;
        third = digits(count);
        if (count != 2)
            return std::nullopt;
    } else {
        third = second;
        second = first;
        first = 0;
    }
    if (at >= line.size() || line[at] != u'.')
        return std::nullopt;
    ++at;
    const qint64 millis = digits(count);
    if (count != 3 || second > 59 || third > 59)
        return std::nullopt;
    return double(first) * 3600 + double(second) * 60 + double(third) + double(millis) / 1000.0;
}

// The times of a cue timing line; its settings are of no use here.
std::optional<Sentence> timing(QStringView line)
{
    qsizetype at = 0;
    const auto skipSpace = [&] {
        while (at < line.size() && isSpace(line[at]))
            ++at;
    };
    skipSpace();
    const std::optional<double> start = timestamp(line, at);
    if (!start)
        return std::nullopt;
    skipSpace();
    if (!line.sliced(at).startsWith(QLatin1String("-->")))
        return std::nullopt;
    at += 3;
    skipSpace();
    const std::optional<double> end = timestamp(line, at);
    if (!end)
        return std::nullopt;
    Sentence cue;
    cue.start = *start;
    cue.end = *end;
    return cue;
}

} // namespace vtt

SubtitleCues parseWebVtt(QString text, const SubtitleCancel &cancelled)
{
    SubtitleCues out;
    text.replace(QChar(0), QChar::ReplacementCharacter);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    // The signature, alone or followed by white space.
    if (!text.startsWith(QLatin1String("WEBVTT"))
        || (text.size() > 6 && text[6] != u' ' && text[6] != u'\t' && text[6] != u'\n'
            && text[6] != u'\r')) {
        out.wrongFormat = true;
        return out;
    }
    enum class State { Signature, Header, Between, Block };
    State state = State::Signature;
    qsizetype lineCount = 0; // lines of the block so far
    bool seenArrow = false;
    std::optional<Sentence> cue;
    bool badTiming = false;
    bool named = false; // a block that is no cue by its first word: NOTE, STYLE, REGION
    QList<QStringView> lines;
    const auto finishBlock = [&] {
        if (seenArrow && cue) {
            cue->text = plainText(lines);
            if (cue->end <= cue->start)
                ++out.malformed;
            else if (!cue->text.isEmpty())
                out.cues.append(std::move(*cue));
        } else if (badTiming || (!seenArrow && !named)) {
            ++out.malformed;
        }
        lineCount = 0;
        seenArrow = false;
        badTiming = false;
        named = false;
        cue.reset();
        lines.clear();
        state = State::Between;
    };
    const auto takeLine = [&](QStringView line) {
        const bool arrow = hasArrow(line);
        if (state == State::Signature) {
            state = State::Header;
            return;
        }
        if (state == State::Header) {
            // The header ends at a blank line, or where a cue begins without one.
            if (line.isEmpty()) {
                state = State::Between;
                return;
            }
            if (!arrow)
                return;
            state = State::Between;
        }
        if (state == State::Between) {
            if (line.isEmpty())
                return;
            state = State::Block;
        }
        if (arrow) {
            if (lineCount == 0 || (lineCount == 1 && !seenArrow)) {
                seenArrow = true;
                cue = vtt::timing(line);
                badTiming = !cue;
                ++lineCount;
                return;
            }
            // A second timing line: the next cue, with no blank line before it.
            finishBlock();
            state = State::Block;
            seenArrow = true;
            cue = vtt::timing(line);
            badTiming = !cue;
            lineCount = 1;
            return;
        }
        if (line.isEmpty()) {
            finishBlock();
            return;
        }
        if (lineCount == 0) {
            for (const char *word : {"NOTE", "STYLE", "REGION"}) {
                const QLatin1String w(word);
                named = named
                        || (line.startsWith(w)
                            && (line.size() == w.size() || vtt::isSpace(line[w.size()])));
            }
        }
        if (seenArrow)
            lines.append(line);
        ++lineCount;
    };
    const bool finished = forEachLine(text, cancelled, takeLine);
    if (!finished) {
        out.cancelled = true;
        return out;
    }
    if (state == State::Block)
        finishBlock();
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

// The same line drawn twice (an ASS sign on two layers, a shadow under the
// text) is one cue: a later cue with the same text that starts within this
// of an earlier one while that one still runs is taken into it.
constexpr double SameLineSeconds = 0.5;

void tidy(SubtitleCues &out, double duration)
{
    QList<Sentence> &cues = out.cues;
    std::stable_sort(cues.begin(), cues.end(),
                     [](const Sentence &a, const Sentence &b) { return a.start < b.start; });
    {
        QList<Sentence> once;
        once.reserve(cues.size());
        QHash<QString, qsizetype> lastWith; // text -> its latest cue in `once`
        for (Sentence &cue : cues) {
            const auto seen = lastWith.constFind(cue.text);
            if (seen != lastWith.cend()) {
                Sentence &earlier = once[*seen];
                if (cue.start - earlier.start < SameLineSeconds && earlier.end > cue.start) {
                    earlier.end = std::max(earlier.end, cue.end);
                    ++out.merged;
                    continue;
                }
            }
            lastWith.insert(cue.text, once.size());
            once.append(std::move(cue));
        }
        cues = std::move(once);
    }
    // Two speakers at once, or a cue split over two entries: one sentence
    // with both texts, as long as the longer.
    QList<Sentence> joined;
    joined.reserve(cues.size());
    QStringList parts;
    const auto joinParts = [&] {
        if (parts.size() > 1)
            joined.last().text = parts.join(QLatin1Char(' '));
    };
    for (Sentence &cue : cues) {
        if (!joined.isEmpty() && std::abs(joined.last().start - cue.start) < 0.0005) {
            if (!cue.text.isEmpty())
                parts.append(cue.text);
            joined.last().end = std::max(joined.last().end, cue.end);
            ++out.merged;
            continue;
        }
        joinParts();
        parts = QStringList{cue.text};
        joined.append(std::move(cue));
    }
    // The last group too.
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

QString decodeSubtitleText(const QByteArray &bytes)
{
    return decodeSubtitleBytes(bytes).text;
}

SubtitleCues parseSubtitles(const QByteArray &bytes, SubtitleFormat format, double duration,
                            const SubtitleCancel &cancelled, const SubtitleEncodingHints &hints)
{
    DecodedSubtitle decoded = decodeSubtitleBytes(bytes, hints);
    SubtitleCues out = format == SubtitleFormat::Lrc   ? parseLrc(decoded.text, duration, cancelled)
                       : format == SubtitleFormat::Ass ? parseAssScript(decoded.text)
                       : format == SubtitleFormat::Vtt
                           ? parseWebVtt(std::move(decoded.text), cancelled)
                           : parseSubRip(decoded.text, cancelled);
    if (out.cancelled) {
        SubtitleCues none;
        none.cancelled = true;
        return none;
    }
    out.encoding = decoded.encoding;
    // Markup the line readers left, and cues that only describe sounds.
    keepSpokenCues(out.cues,
                   format == SubtitleFormat::Vtt ? CueMarkup::Html : CueMarkup::AssOverrides);
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
    SubtitleCues out;
    out.cues = std::move(cues);
    tidy(out, duration);
    cues = std::move(out.cues);
}

SubtitleCues readSubtitleFile(const QString &path, double duration, const SubtitleCancel &cancelled,
                              const SubtitleEncodingHints &hints)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxSubtitleBytes) {
        SubtitleCues unread;
        unread.unreadable = true;
        return unread;
    }
    const QString suffix = QFileInfo(path).suffix().toLower();
    const SubtitleFormat format = suffix == QLatin1String("vtt")   ? SubtitleFormat::Vtt
                                  : suffix == QLatin1String("lrc") ? SubtitleFormat::Lrc
                                  : suffix == QLatin1String("ass") || suffix == QLatin1String("ssa")
                                      ? SubtitleFormat::Ass
                                      : SubtitleFormat::Srt;
    return parseSubtitles(file.readAll(), format, duration, cancelled, hints);
}
