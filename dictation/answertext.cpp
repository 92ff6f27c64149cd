#include "dictation/answertext.h"

#include "dictation/textfile.h"
#include "platform/errors.h"
#include "sentences/subtitles.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include <optional>

namespace {

std::optional<SubtitleFormat> subtitleFormat(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("srt"))
        return SubtitleFormat::Srt;
    if (suffix == QLatin1String("vtt"))
        return SubtitleFormat::Vtt;
    if (suffix == QLatin1String("lrc"))
        return SubtitleFormat::Lrc;
    return std::nullopt;
}

// No recording bounds an answer's cues. A length far beyond any recording
// keeps the last lyric line, whose end would otherwise be unknown.
constexpr double UnboundedLength = 1.0e9;

} // namespace

bool isSubtitleAnswer(const QString &path)
{
    return subtitleFormat(path).has_value();
}

QString readAnswerText(const QString &path)
{
    const std::optional<SubtitleFormat> format = subtitleFormat(path);
    if (!format)
        return readTextFile(path).text;
    const SubtitleCues subtitles = parseSubtitles(readFileBytes(path), *format, UnboundedLength);
    if (subtitles.cues.isEmpty())
        throw AppError(
            QCoreApplication::translate("AnswerText", "字幕文件“%1”中没有可读的字幕。").arg(path));
    QStringList lines;
    lines.reserve(subtitles.cues.size());
    for (const Sentence &cue : subtitles.cues)
        lines.append(cue.text);
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}
