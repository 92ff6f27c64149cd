// Reads the subtitle tracks inside a recording with FFmpeg; part of the
// decoder module, beside the envelope decoder.
#include "sentences/subtitletracks.h"

#include <QCoreApplication>
#include <QFile>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <cstdint>
#include <limits>
#include <memory>
#include <type_traits>

namespace {

// Read errors in a row after which the rest of the file is taken as unreadable.
constexpr int MaxFailuresInRow = 1000;

struct TrackFormatCloser {
    void operator()(AVFormatContext *p) const { avformat_close_input(&p); }
};
struct TrackCodecFreer {
    void operator()(AVCodecContext *p) const { avcodec_free_context(&p); }
};
struct TrackPacketFreer {
    void operator()(AVPacket *p) const { av_packet_free(&p); }
};

QString metadataTag(const AVDictionary *metadata, const char *key)
{
    const AVDictionaryEntry *entry = av_dict_get(metadata, key, nullptr, 0);
    return entry ? QString::fromUtf8(entry->value) : QString();
}

// FFmpeg's text subtitle decoders all hand over ASS event lines without
// their timing: "ReadOrder,Layer,Style,Name,MarginL,MarginR,MarginV,Effect,Text".
QString eventText(const char *ass)
{
    const QString line = QString::fromUtf8(ass);
    qsizetype at = 0;
    for (int field = 0; field < 8; ++field) {
        at = line.indexOf(QLatin1Char(','), at);
        if (at < 0)
            return line;
        ++at;
    }
    return line.mid(at);
}

void readTrack(const QString &path, const TrackChooser &choose, const DecodeControl &control,
               TrackReading &result)
{
    const auto cancelled = [&] { return control.isCancelled && control.isCancelled(); };
    AVFormatContext *rawFormat = nullptr;
    if (!QFile::exists(path)
        || avformat_open_input(&rawFormat, QFile::encodeName(path).constData(), nullptr, nullptr)
               < 0) {
        result.error = QCoreApplication::translate("SubtitleTracks", "无法打开");
        return;
    }
    std::unique_ptr<AVFormatContext, TrackFormatCloser> format(rawFormat);
    // The subtitle streams' parameters are all in the header; reading ahead
    // to probe the video and sound would only cost time.
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVCodecParameters *codec = format->streams[i]->codecpar;
        if (codec->codec_type != AVMEDIA_TYPE_SUBTITLE)
            continue;
        const AVCodecDescriptor *descriptor = avcodec_descriptor_get(codec->codec_id);
        SubtitleTrack track;
        track.stream = int(i);
        track.language = metadataTag(format->streams[i]->metadata, "language");
        if (track.language == QLatin1String("und"))
            track.language.clear();
        track.title = metadataTag(format->streams[i]->metadata, "title");
        track.codec = descriptor ? QString::fromLatin1(descriptor->name) : QString();
        track.isText = descriptor && (descriptor->props & AV_CODEC_PROP_TEXT_SUB) != 0;
        result.tracks.append(track);
    }
    const int streamIndex = result.tracks.isEmpty() || !choose ? -1 : choose(result.tracks);
    if (streamIndex < 0 || streamIndex >= int(format->nb_streams))
        return;
    AVStream *stream = format->streams[streamIndex];
    const AVCodec *codec = avcodec_find_decoder(stream->codecpar->codec_id);
    std::unique_ptr<AVCodecContext, TrackCodecFreer> decoder(codec ? avcodec_alloc_context3(codec)
                                                                   : nullptr);
    if (!decoder || avcodec_parameters_to_context(decoder.get(), stream->codecpar) < 0)
        return;
    decoder->pkt_timebase = stream->time_base;
    if (avcodec_open2(decoder.get(), codec, nullptr) < 0)
        return;
    // Only this track's packets are wanted; the demuxer skips the others.
    for (unsigned i = 0; i < format->nb_streams; ++i)
        format->streams[i]->discard = int(i) == streamIndex ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
    result.stream = streamIndex;

    const double base = av_q2d(stream->time_base);
    // The player counts from the start of the file, whatever its first stamp.
    const double origin =
        format->start_time != AV_NOPTS_VALUE ? double(format->start_time) / AV_TIME_BASE : 0.0;
    std::unique_ptr<AVPacket, TrackPacketFreer> packet(av_packet_alloc());
    // Damage in the middle is read past, as players do: the demuxer finds
    // its way to the next readable part. Where it was is kept, from the last
    // cue read before it to the first after.
    int failuresInRow = 0;
    bool damaged = false;
    double lastRead = 0.0;
    while (true) {
        if (cancelled()) {
            result.cancelled = true;
            return;
        }
        const int read = av_read_frame(format.get(), packet.get());
        if (read == AVERROR_EOF || (read < 0 && format->pb && avio_feof(format->pb)))
            break;
        if (read < 0) {
            if (++failuresInRow > MaxFailuresInRow)
                break;
            damaged = true;
            continue;
        }
        failuresInRow = 0;
        const std::int64_t stamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        if (packet->stream_index != streamIndex || stamp == AV_NOPTS_VALUE) {
            av_packet_unref(packet.get());
            continue;
        }
        if (damaged) {
            damaged = false;
            result.damaged.append({lastRead, double(stamp) * base - origin, {}});
        }
        lastRead = double(stamp) * base - origin;
        AVSubtitle subtitle{};
        int got = 0;
        // A damaged cue is skipped, as a player would.
        if (avcodec_decode_subtitle2(decoder.get(), &subtitle, &got, packet.get()) >= 0 && got) {
            Sentence cue;
            const double at = double(stamp) * base - origin;
            cue.start = at + subtitle.start_display_time / 1000.0;
            if (packet->duration > 0)
                cue.end = at + double(packet->duration) * base;
            else if (subtitle.end_display_time != std::numeric_limits<std::uint32_t>::max()
                     && subtitle.end_display_time > subtitle.start_display_time)
                cue.end = at + subtitle.end_display_time / 1000.0;
            else
                cue.end = -1.0; // until the next cue
            QStringList texts;
            for (unsigned r = 0; r < subtitle.num_rects; ++r) {
                const AVSubtitleRect *rect = subtitle.rects[r];
                if (rect->type == SUBTITLE_ASS && rect->ass)
                    texts.append(eventText(rect->ass));
                else if (rect->type == SUBTITLE_TEXT && rect->text)
                    texts.append(QString::fromUtf8(rect->text));
            }
            cue.text = texts.join(QLatin1Char(' '));
            if (!cue.text.isEmpty())
                result.cues.append(cue);
            avsubtitle_free(&subtitle);
        }
        av_packet_unref(packet.get());
    }
    // Cues with no length of their own last until the next one.
    for (qsizetype i = 0; i < result.cues.size(); ++i) {
        if (result.cues[i].end >= 0)
            continue;
        result.cues[i].end =
            i + 1 < result.cues.size() ? result.cues[i + 1].start : result.cues[i].start + 5.0;
    }
}

} // namespace

extern "C" Q_DECL_EXPORT void quillmar_read_subtitle_track_2(const QString &path,
                                                             const TrackChooser &choose,
                                                             const DecodeControl &control,
                                                             TrackReading &result)
{
    result = TrackReading();
    readTrack(path, choose, control, result);
}

static_assert(std::is_same_v<decltype(&quillmar_read_subtitle_track_2), ReadSubtitleTrackEntry>);
