#include "sentences/subtitletext.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>

namespace {

// h:mm:ss.cc, as ASS writes it (centiseconds; more or fewer digits are read too).
bool assClock(const QString &text, double &seconds)
{
    static const QRegularExpression clock(
        QStringLiteral("^\\s*(\\d+):(\\d{1,2}):(\\d{1,2})(?:[.:](\\d{1,3}))?\\s*$"));
    const QRegularExpressionMatch m = clock.match(text);
    if (!m.hasMatch() || m.captured(2).toInt() >= 60 || m.captured(3).toInt() >= 60)
        return false;
    const QString fraction = m.captured(4);
    double part = 0.0;
    if (!fraction.isEmpty()) {
        double scale = 1.0;
        for (qsizetype i = 0; i < fraction.size(); ++i)
            scale *= 10.0;
        part = fraction.toDouble() / scale;
    }
    seconds = m.captured(1).toDouble() * 3600 + m.captured(2).toDouble() * 60
              + m.captured(3).toDouble() + part;
    return true;
}

bool isMusicSign(QChar c)
{
    return c == QChar(0x266A) || c == QChar(0x266B) || c == QChar(0x266C) || c == QChar(0x266D);
}

// Removes bracketed sound descriptions and everything between music signs.
QString withoutSounds(const QString &text)
{
    static const QRegularExpression bracketed(
        QStringLiteral("\\[[^\\]]*\\]|\\([^)]*\\)|（[^）]*）|【[^】]*】"));
    QString out = text;
    out.remove(bracketed);
    QString spoken;
    bool inSong = false;
    for (QChar c : std::as_const(out)) {
        if (isMusicSign(c)) {
            inSong = !inSong;
            continue;
        }
        if (!inSong)
            spoken.append(c);
    }
    // A single sign starting a line marks the rest as sung, too.
    return inSong ? QString() : spoken;
}

bool hasWord(const QString &text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetterOrNumber(); });
}

// Override blocks removed, and the text drawn between {\p1} (any scale
// but 0) and {\p0}, which is shapes, not words. A brace never closed is text.
QString withoutOverrides(const QString &text)
{
    static const QRegularExpression drawing(QStringLiteral("\\\\p(\\d+)"));
    QString out;
    out.reserve(text.size());
    bool drawn = false;
    qsizetype at = 0;
    while (at < text.size()) {
        const qsizetype open = text.indexOf(QLatin1Char('{'), at);
        const qsizetype close = open < 0 ? -1 : text.indexOf(QLatin1Char('}'), open);
        const qsizetype plainEnd = close < 0 ? text.size() : open;
        if (!drawn)
            out += QStringView(text).sliced(at, plainEnd - at);
        if (close < 0)
            break;
        const QString block = text.mid(open + 1, close - open - 1);
        for (const QRegularExpressionMatch &m : drawing.globalMatch(block))
            drawn = m.captured(1).toInt() != 0;
        at = close + 1;
    }
    return out;
}

// Markup only, the sound descriptions kept.
QString withoutMarkup(const QString &text, CueMarkup markup)
{
    static const QRegularExpression tags(QStringLiteral("</?[A-Za-z][^>]*>"));
    QString out = text;
    if (markup == CueMarkup::AssOverrides) {
        if (out.contains(QLatin1Char('{')))
            out = withoutOverrides(out);
        if (out.contains(QLatin1Char('\\'))) {
            out.replace(QLatin1String("\\N"), QLatin1String(" "));
            out.replace(QLatin1String("\\n"), QLatin1String(" "));
            out.replace(QLatin1String("\\h"), QLatin1String(" "));
        }
    }
    if (out.contains(QLatin1Char('<')))
        out.remove(tags);
    if (out.contains(QLatin1Char('&'))) {
        out.replace(QLatin1String("&lt;"), QLatin1String("<"));
        out.replace(QLatin1String("&gt;"), QLatin1String(">"));
        out.replace(QLatin1String("&nbsp;"), QLatin1String(" "));
        out.replace(QLatin1String("&amp;"), QLatin1String("&"));
    }
    out.remove(QChar(0));
    out.remove(QChar::ReplacementCharacter);
    return out.simplified();
}

bool mayHoldSounds(const QString &text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'[' || u == u'(' || u == u'（' || u == u'【' || isMusicSign(c))
            return true;
    }
    return false;
}

} // namespace

QString cleanCueText(const QString &text, CueMarkup markup)
{
    const QString plain = withoutMarkup(text, markup);
    const QString spoken = mayHoldSounds(plain) ? withoutSounds(plain).simplified() : plain;
    return hasWord(spoken) ? spoken : QString();
}

bool isSoundOnlyCue(const QString &text)
{
    return cleanCueText(text).isEmpty();
}

void keepSpokenCues(QList<Sentence> &cues, CueMarkup markup)
{
    for (Sentence &cue : cues)
        cue.text = cleanCueText(cue.text, markup);
    cues.removeIf([](const Sentence &cue) { return cue.text.isEmpty(); });
}

SubtitleCues parseAssScript(const QString &text)
{
    SubtitleCues out;
    QString normal = text;
    normal.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    normal.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QStringList lines = normal.split(QLatin1Char('\n'));

    // The field order of the Dialogue lines; ASS's own when the script has no
    // Format line. The text is always the last field and may hold commas.
    QStringList format{QStringLiteral("layer"),   QStringLiteral("start"),
                       QStringLiteral("end"),     QStringLiteral("style"),
                       QStringLiteral("name"),    QStringLiteral("marginl"),
                       QStringLiteral("marginr"), QStringLiteral("marginv"),
                       QStringLiteral("effect"),  QStringLiteral("text")};
    bool inEvents = false;
    for (const QString &raw : lines) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEvents = line.compare(QLatin1String("[Events]"), Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inEvents)
            continue;
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon < 0)
            continue;
        const QString kind = line.left(colon).trimmed().toLower();
        const QString value = line.mid(colon + 1);
        if (kind == QLatin1String("format")) {
            QStringList fields;
            for (const QString &field : value.split(QLatin1Char(',')))
                fields.append(field.trimmed().toLower());
            if (fields.contains(QLatin1String("start")) && fields.contains(QLatin1String("end"))
                && fields.last() == QLatin1String("text"))
                format = fields;
            continue;
        }
        if (kind != QLatin1String("dialogue"))
            continue; // comments, pictures, sounds, commands
        const QStringList fields = value.split(QLatin1Char(','));
        if (fields.size() < format.size()) {
            ++out.malformed;
            continue;
        }
        Sentence cue;
        const bool timed = assClock(fields.at(format.indexOf(QLatin1String("start"))), cue.start)
                           && assClock(fields.at(format.indexOf(QLatin1String("end"))), cue.end);
        if (!timed || cue.end <= cue.start) {
            ++out.malformed;
            continue;
        }
        cue.text = fields.mid(format.size() - 1).join(QLatin1Char(','));
        out.cues.append(cue);
    }
    return out;
}
