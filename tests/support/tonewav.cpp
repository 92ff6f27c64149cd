#include "support/tonewav.h"

#include <QDataStream>
#include <QFile>

#include <cmath>
#include <numbers>

bool writeToneWav(const QString &path, double seconds, double frequency)
{
    constexpr int rate = 44100;
    const auto samples = static_cast<quint32>(seconds * rate);
    QByteArray pcm;
    QDataStream out(&pcm, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    for (quint32 i = 0; i < samples; ++i)
        out << qint16(std::lround(12000.0 * std::sin(2 * std::numbers::pi * frequency * i / rate)));
    const QByteArray wav = monoWav(pcm, rate);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(wav) == wav.size() && file.flush();
}

QByteArray monoWav(const QByteArray &samples, int rate)
{
    QByteArray wav("RIFF");
    QDataStream header(&wav, QIODevice::Append);
    header.setByteOrder(QDataStream::LittleEndian);
    header << quint32(36 + samples.size());
    header.writeRawData("WAVEfmt ", 8);
    header << quint32(16) << quint16(1) << quint16(1) << quint32(rate) << quint32(rate * 2)
           << quint16(2) << quint16(16);
    header.writeRawData("data", 4);
    header << quint32(samples.size());
    return wav + samples;
}

QByteArray srtFile(const QList<SrtCue> &cues)
{
    const auto stamp = [](double seconds) {
        const qint64 ms = std::llround(seconds * 1000);
        return QStringLiteral("%1:%2:%3,%4")
            .arg(ms / 3600000, 2, 10, QLatin1Char('0'))
            .arg(ms / 60000 % 60, 2, 10, QLatin1Char('0'))
            .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
            .arg(ms % 1000, 3, 10, QLatin1Char('0'))
            .toUtf8();
    };
    QByteArray srt;
    for (qsizetype i = 0; i < cues.size(); ++i) {
        const SrtCue &cue = cues.at(i);
        srt += QByteArray::number(i + 1) + "\n" + stamp(cue.start) + " --> " + stamp(cue.end) + "\n"
               + cue.text + "\n\n";
    }
    return srt;
}

QString writeCuedLesson(const QString &folder, const QList<QByteArray> &cues, double cueSeconds,
                        int pitch)
{
    constexpr int Rate = 8000;
    const auto seconds = 2 * cues.size() + 2;
    QByteArray samples;
    QDataStream out(&samples, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    for (qsizetype i = 0; i < seconds * Rate; ++i)
        out << qint16(3000 * std::sin(double(i) * 2 * std::numbers::pi * pitch / Rate));
    QList<SrtCue> timed;
    for (qsizetype i = 0; i < cues.size(); ++i)
        timed.append({0.5 + 2.0 * double(i), 0.5 + 2.0 * double(i) + cueSeconds, cues.at(i)});
    const QString wav = folder + QStringLiteral("/lesson.wav");
    QFile recording(wav);
    QFile subtitles(folder + QStringLiteral("/lesson.srt"));
    if (!recording.open(QIODevice::WriteOnly) || !subtitles.open(QIODevice::WriteOnly)
        || recording.write(monoWav(samples, Rate)) < 0 || subtitles.write(srtFile(timed)) < 0)
        return {};
    return wav;
}
