// The FFmpeg decoder, built as a module of its own (libquillmar_decoder.so)
// that audiodecoder.cpp loads at first use: the program itself links no
// FFmpeg library, so none of them is loaded before its window shows.
#include "sentences/decodermodule.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <type_traits>

namespace {

// Speech sits below 4 kHz; a rate this low keeps the resampler and the
// level pass cheap while a 10 ms frame still holds 80 samples.
constexpr int AnalysisRate = 8000;
// The first partial envelope once this much is decoded (a few milliseconds
// of work), then one at most this often.
constexpr double FirstPartialSeconds = 30.0;
constexpr qint64 PartialIntervalMs = 250;
// A jump in the sound's stamps this long is damage, not jitter.
constexpr double LostSoundSeconds = 0.25;

struct FormatCloser {
    void operator()(AVFormatContext *p) const { avformat_close_input(&p); }
};
struct CodecFreer {
    void operator()(AVCodecContext *p) const { avcodec_free_context(&p); }
};
struct SwrFreer {
    void operator()(SwrContext *p) const { swr_free(&p); }
};
struct PacketFreer {
    void operator()(AVPacket *p) const { av_packet_free(&p); }
};
struct FrameFreer {
    void operator()(AVFrame *p) const { av_frame_free(&p); }
};

// Sums squares into frames of fixed length as samples arrive.
class LevelMeter
{
public:
    LevelMeter(int frameSamples, std::vector<float> &levels)
        : m_frameSamples(frameSamples), m_levels(levels)
    {}

    void add(const float *samples, int count)
    {
        for (int i = 0; i < count; ++i) {
            const double s = samples[i];
            m_sum += s * s;
            if (++m_filled == m_frameSamples)
                flush();
        }
        m_total += count;
    }
    void finish()
    {
        if (m_filled > 0)
            flush();
    }
    long long totalSamples() const { return m_total; }

private:
    void flush()
    {
        m_levels.push_back(static_cast<float>(std::sqrt(m_sum / m_filled)));
        m_sum = 0.0;
        m_filled = 0;
    }

    int m_frameSamples;
    std::vector<float> &m_levels;
    double m_sum = 0.0;
    int m_filled = 0;
    long long m_total = 0;
};

// Decodes the first audio stream, mixed to mono at the given rate, handing the
// samples to sink as they come; afterPacket runs after each packet of sound
// with the number of samples decoded so far.
DecodeResult decodeSound(const QString &path, const DecodeControl &control, int rate,
                         const SampleSink &sink,
                         const std::function<void(long long decoded, double expected)> &afterPacket)
{
    DecodeResult result;
    const auto cancelled = [&] { return control.isCancelled && control.isCancelled(); };
    const auto fail = [&](const QString &why) {
        result.error = QCoreApplication::translate("AudioDecoder", "无法读取录音的声音：%1（%2）")
                           .arg(path, why);
        return result;
    };

    if (!QFile::exists(path))
        return fail(QCoreApplication::translate("AudioDecoder", "文件不存在"));
    AVFormatContext *rawFormat = nullptr;
    if (avformat_open_input(&rawFormat, QFile::encodeName(path).constData(), nullptr, nullptr) < 0)
        return fail(QCoreApplication::translate("AudioDecoder", "无法打开"));
    std::unique_ptr<AVFormatContext, FormatCloser> format(rawFormat);
    if (avformat_find_stream_info(format.get(), nullptr) < 0)
        return fail(QCoreApplication::translate("AudioDecoder", "无法识别格式"));

    const AVCodec *codec = nullptr;
    const int streamIndex =
        av_find_best_stream(format.get(), AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (streamIndex < 0 || !codec)
        return fail(QCoreApplication::translate("AudioDecoder", "没有声音"));
    // Only the sound is wanted; the demuxer need not hand over video packets.
    for (unsigned i = 0; i < format->nb_streams; ++i)
        format->streams[i]->discard = int(i) == streamIndex ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
    AVStream *stream = format->streams[streamIndex];

    std::unique_ptr<AVCodecContext, CodecFreer> decoder(avcodec_alloc_context3(codec));
    if (!decoder || avcodec_parameters_to_context(decoder.get(), stream->codecpar) < 0
        || avcodec_open2(decoder.get(), codec, nullptr) < 0)
        return fail(QCoreApplication::translate("AudioDecoder", "无法解码"));

    AVChannelLayout inLayout;
    if (decoder->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&inLayout, std::max(1, decoder->ch_layout.nb_channels));
    else
        av_channel_layout_copy(&inLayout, &decoder->ch_layout);
    AVChannelLayout mono = AV_CHANNEL_LAYOUT_MONO;
    SwrContext *rawSwr = nullptr;
    const int swrOk = swr_alloc_set_opts2(&rawSwr, &mono, AV_SAMPLE_FMT_FLT, rate, &inLayout,
                                          decoder->sample_fmt, decoder->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&inLayout);
    std::unique_ptr<SwrContext, SwrFreer> swr(rawSwr);
    if (swrOk < 0 || swr_init(swr.get()) < 0)
        return fail(QCoreApplication::translate("AudioDecoder", "无法转换采样"));

    const double expected = format->duration > 0 ? double(format->duration) / AV_TIME_BASE : 0.0;
    long long total = 0;

    std::unique_ptr<AVPacket, PacketFreer> packet(av_packet_alloc());
    std::unique_ptr<AVFrame, FrameFreer> frame(av_frame_alloc());
    std::vector<float> mixed;
    int lastPercent = -1;
    const auto report = [&](int percent) {
        percent = std::clamp(percent, 0, 100);
        if (percent != lastPercent && control.progress) {
            lastPercent = percent;
            control.progress(percent);
        }
    };
    const auto convert = [&](const AVFrame *in) {
        const int inCount = in ? in->nb_samples : 0;
        const int room = swr_get_out_samples(swr.get(), inCount);
        if (room <= 0)
            return true;
        mixed.resize(std::size_t(room));
        auto *out = reinterpret_cast<uint8_t *>(mixed.data());
        const int got =
            swr_convert(swr.get(), &out, room,
                        in ? const_cast<const uint8_t **>(in->extended_data) : nullptr, inCount);
        if (got < 0)
            return false;
        if (got > 0)
            sink(mixed.data(), got);
        total += got;
        return true;
    };
    // Sound lost to damage is silence, so that what follows stays where the
    // player plays it and the length stays the file's.
    const double base = av_q2d(stream->time_base);
    const double origin =
        stream->start_time != AV_NOPTS_VALUE ? double(stream->start_time) * base : 0.0;
    std::vector<float> silence;
    const auto fillLost = [&](const AVFrame *in) {
        if (in->best_effort_timestamp == AV_NOPTS_VALUE || total == 0)
            return;
        const double at = double(in->best_effort_timestamp) * base - origin;
        const double reached = double(total) / rate;
        if (at - reached < LostSoundSeconds)
            return;
        silence.assign(std::size_t((at - reached) * rate), 0.0f);
        sink(silence.data(), int(silence.size()));
        total += qsizetype(silence.size());
        result.lost.append({reached, at, {}});
    };
    const auto drain = [&] {
        while (avcodec_receive_frame(decoder.get(), frame.get()) == 0) {
            fillLost(frame.get());
            const bool ok = convert(frame.get());
            av_frame_unref(frame.get());
            if (!ok)
                return false;
        }
        return true;
    };

    report(0);
    int decodeErrors = 0;
    int decodedPackets = 0;
    while (true) {
        if (cancelled()) {
            result.cancelled = true;
            return result;
        }
        const int read = av_read_frame(format.get(), packet.get());
        if (read < 0)
            break;
        if (packet->stream_index == streamIndex) {
            if (expected > 0 && packet->pts != AV_NOPTS_VALUE)
                report(int(100.0 * packet->pts * av_q2d(stream->time_base) / expected));
            // A damaged packet here and there is skipped, as a player would.
            if (avcodec_send_packet(decoder.get(), packet.get()) < 0)
                ++decodeErrors;
            else
                ++decodedPackets;
            if (!drain())
                return fail(QCoreApplication::translate("AudioDecoder", "无法转换采样"));
            if (afterPacket)
                afterPacket(total, expected);
        }
        av_packet_unref(packet.get());
    }
    avcodec_send_packet(decoder.get(), nullptr);
    if (!drain() || !convert(nullptr))
        return fail(QCoreApplication::translate("AudioDecoder", "无法转换采样"));
    if (total == 0)
        return fail(decodeErrors > 0 && decodedPackets == 0
                        ? QCoreApplication::translate("AudioDecoder", "无法解码")
                        : QCoreApplication::translate("AudioDecoder", "没有声音"));
    report(100);
    return result;
}

DecodeResult decode(const QString &path, const DecodeControl &control, double frameSeconds)
{
    Envelope envelope;
    std::vector<float> &levels = envelope.levels;
    const int frameSamples = std::max(1, int(std::lround(frameSeconds * AnalysisRate)));
    envelope.frameSeconds = double(frameSamples) / AnalysisRate;
    LevelMeter meter(frameSamples, levels);
    bool reserved = false;

    // The first sentences are wanted at once, the rest as they come.
    QElapsedTimer sincePartial;
    sincePartial.start();
    bool partialSent = false;
    const auto afterPacket = [&](long long decodedSamples, double expected) {
        if (!reserved && expected > 0)
            levels.reserve(std::size_t(expected / envelope.frameSeconds) + 16);
        reserved = true;
        if (!control.partial)
            return;
        const double decoded = double(decodedSamples) / AnalysisRate;
        if (partialSent ? sincePartial.elapsed() < PartialIntervalMs
                        : decoded < FirstPartialSeconds)
            return;
        envelope.duration = decoded;
        control.partial(envelope, expected);
        partialSent = true;
        sincePartial.restart();
    };
    DecodeResult result = decodeSound(
        path, control, AnalysisRate,
        [&](const float *samples, int count) { meter.add(samples, count); }, afterPacket);
    if (!result.error.isEmpty() || result.cancelled)
        return result;
    meter.finish();
    envelope.duration = double(meter.totalSamples()) / AnalysisRate;
    levels.shrink_to_fit();
    result.envelope = std::move(envelope);
    return result;
}

} // namespace

extern "C" Q_DECL_EXPORT void quillmar_decode_envelope_3(const QString &path,
                                                         const DecodeControl &control,
                                                         double frameSeconds, DecodeResult &result)
{
    result = decode(path, control, frameSeconds);
}

extern "C" Q_DECL_EXPORT void quillmar_decode_samples_2(const QString &path,
                                                        const DecodeControl &control, int rate,
                                                        const SampleSink &sink,
                                                        DecodeResult &result)
{
    result = decodeSound(path, control, rate, sink, {});
}

extern "C" Q_DECL_EXPORT void quillmar_decoder_quiet_3()
{
    av_log_set_level(AV_LOG_QUIET);
}

static_assert(std::is_same_v<decltype(&quillmar_decode_envelope_3), DecodeEnvelopeEntry>);
static_assert(std::is_same_v<decltype(&quillmar_decode_samples_2), DecodeSamplesEntry>);
static_assert(std::is_same_v<decltype(&quillmar_decoder_quiet_3), DecoderQuietEntry>);
