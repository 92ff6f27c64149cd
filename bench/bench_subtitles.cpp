// Subtitle files a tester made to break the parser: 40,000 lyric lines under
// one stamp, and 63 MB of empty lines in an .srt. Prints the parse times and
// the memory the blank file took beyond its own bytes, as "name value unit"
// lines.
#include "sentences/subtitles.h"

#include <QElapsedTimer>

#include <cstdio>

#include <sys/resource.h>

namespace {

long peakKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

double parseMs(const QByteArray &bytes, SubtitleFormat format, int *cues)
{
    QElapsedTimer timer;
    timer.start();
    *cues = int(parseSubtitles(bytes, format, 3600.0).cues.size());
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main()
{
    int cues = 0;
    QByteArray lrc;
    for (int i = 0; i < 40000; ++i)
        lrc += "[00:01.00]line " + QByteArray::number(i) + '\n';
    std::printf("subtitle_lrc_one_stamp_bytes %lld bytes\n", static_cast<long long>(lrc.size()));
    std::printf("subtitle_lrc_one_stamp_ms %.1f ms\n", parseMs(lrc, SubtitleFormat::Lrc, &cues));

    const QByteArray blank(63 << 20, '\n');
    const long before = peakKb();
    const double ms = parseMs(blank, SubtitleFormat::Srt, &cues);
    const double extraMb = double(peakKb() - before) / 1024.0;
    std::printf("subtitle_srt_blank_63mb_ms %.0f ms\n", ms);
    std::printf("subtitle_srt_blank_63mb_extra_memory %.0f MB\n", extraMb);
    std::printf("subtitle_srt_blank_memory_per_file_byte %.2f x\n",
                extraMb / double(blank.size() >> 20));
    return cues == 0 ? 0 : 1;
}
