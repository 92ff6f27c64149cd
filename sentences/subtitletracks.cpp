#include "sentences/subtitletracks.h"

#include "sentences/subtitles.h"
#include "sentences/subtitletext.h"

#include <QCoreApplication>
#include <QLocale>

#include <unicode/uloc.h>

#include <iterator>

namespace {

QLocale::Language languageOf(const QString &code)
{
    // "en-US", "pt_BR": the language part only.
    const QString part = code.section(QLatin1Char('-'), 0, 0).section(QLatin1Char('_'), 0, 0);
    if (part.isEmpty())
        return QLocale::AnyLanguage;
    return QLocale::codeToLanguage(part.toLower(), QLocale::AnyLanguageCode);
}

} // namespace

QString languageName(const QString &tag, const QString &interfaceLanguage)
{
    const QLocale::Language language = languageOf(tag);
    if (language == QLocale::AnyLanguage || language == QLocale::C)
        return tag;
    const QByteArray code = QLocale::languageToCode(language).toLatin1();
    const QByteArray display = interfaceLanguage.toLatin1();
    UChar name[128];
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = uloc_getDisplayLanguage(code.constData(), display.constData(), name,
                                                   int32_t(std::size(name)), &status);
    if (U_FAILURE(status) || status == U_USING_DEFAULT_WARNING || length <= 0)
        return tag;
    return QString(reinterpret_cast<const QChar *>(name), length);
}

bool languageMatches(const QString &tag, const QString &language)
{
    const QLocale::Language wanted = languageOf(language);
    return wanted != QLocale::AnyLanguage && languageOf(tag) == wanted;
}

int chooseSubtitleTrack(const QList<SubtitleTrack> &tracks, const CueWish &wish)
{
    for (const SubtitleTrack &track : tracks) {
        if (track.isText && wish.stream >= 0 && track.stream == wish.stream)
            return track.stream;
    }
    for (const SubtitleTrack &track : tracks) {
        if (track.isText && languageMatches(track.language, wish.language))
            return track.stream;
    }
    for (const SubtitleTrack &track : tracks) {
        if (track.isText)
            return track.stream;
    }
    return -1;
}

TrackReading readSubtitleTrack(const QString &path, const TrackChooser &choose,
                               const DecodeControl &control)
{
    TrackReading result;
    const DecoderModule &module = DecoderModule::programModule();
    const auto read =
        reinterpret_cast<ReadSubtitleTrackEntry>(module.entry(ReadSubtitleTrackEntryName));
    if (!read) {
        result.error = module.isLoaded() ? QCoreApplication::translate("SubtitleTracks",
                                                                       "解码组件不能读取字幕轨道")
                                         : module.error();
        return result;
    }
    read(path, choose, control, result);
    return result;
}

TrackCues findTrackCues(const QString &path, double duration, const CueWish &wish, bool readCues,
                        const DecodeControl &control)
{
    TrackCues out;
    TrackReading reading = readSubtitleTrack(
        path,
        [&wish, readCues](const QList<SubtitleTrack> &tracks) {
            return readCues ? chooseSubtitleTrack(tracks, wish) : -1;
        },
        control);
    out.tracks = reading.tracks;
    out.cancelled = reading.cancelled;
    out.damaged = reading.damaged;
    if (out.cancelled || !readCues)
        return out;
    if (reading.stream >= 0) {
        keepSpokenCues(reading.cues);
        tidyCues(reading.cues, duration);
        if (!reading.cues.isEmpty()) {
            out.cues = std::move(reading.cues);
            out.stream = reading.stream;
            return out;
        }
        out.note = QCoreApplication::translate("SubtitleTracks",
                                               "录音里的字幕轨道没有可用的字幕，已按停顿分句");
    } else if (!out.tracks.isEmpty()) {
        out.note = QCoreApplication::translate("SubtitleTracks",
                                               "录音里的字幕是图像，读不出文字，已按停顿分句");
    }
    return out;
}
