#include "support/mediafiles.h"

#include <QProcess>

#include <cmath>
#include <cstdio>

bool runFfmpeg(const QStringList &arguments)
{
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 QStringList{QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"),
                             QStringLiteral("-nostdin")}
                     + arguments);
    if (!ffmpeg.waitForFinished(120000) || ffmpeg.exitStatus() != QProcess::NormalExit
        || ffmpeg.exitCode() != 0) {
        std::fprintf(stderr, "ffmpeg failed: %s\n", qPrintable(arguments.join(QLatin1Char(' '))));
        return false;
    }
    return true;
}

QByteArray subRip(const QList<CueText> &cues)
{
    const auto clock = [](double seconds) {
        const auto ms = static_cast<long long>(std::llround(seconds * 1000));
        return QStringLiteral("%1:%2:%3,%4")
            .arg(ms / 3600000, 2, 10, QLatin1Char('0'))
            .arg(ms / 60000 % 60, 2, 10, QLatin1Char('0'))
            .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
            .arg(ms % 1000, 3, 10, QLatin1Char('0'));
    };
    QString out;
    for (qsizetype i = 0; i < cues.size(); ++i)
        out += QStringLiteral("%1\n%2 --> %3\n%4\n\n")
                   .arg(i + 1)
                   .arg(clock(cues[i].start), clock(cues[i].end), cues[i].text);
    return out.toUtf8();
}

QByteArray pgsStream()
{
    const auto segment = [](char type, const QByteArray &body, quint32 pts) {
        QByteArray out("PG");
        for (int shift = 24; shift >= 0; shift -= 8)
            out.append(char(pts >> shift & 0xFF));
        out.append(4, '\0'); // decoding stamp
        out.append(type);
        out.append(char(body.size() >> 8 & 0xFF));
        out.append(char(body.size() & 0xFF));
        return out + body;
    };
    // Presentation composition: 1920x1080, 24 fps, composition 0, epoch
    // start, no palette update, palette 0, no objects.
    const QByteArray composition("\x07\x80\x04\x38\x10\x00\x00\x80\x00\x00\x00", 11);
    QByteArray out;
    for (quint32 pts : {90000u, 180000u}) {
        out += segment('\x16', composition, pts);
        out += segment('\x80', QByteArray(), pts);
    }
    return out;
}
