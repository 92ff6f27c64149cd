#include "support/tonewav.h"

#include <QDataStream>
#include <QFile>

#include <cmath>
#include <numbers>

bool writeToneWav(const QString &path, double seconds, double frequency)
{
    constexpr quint32 rate = 44100;
    const auto samples = static_cast<quint32>(seconds * rate);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QDataStream out(&file);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + samples * 2);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << rate << quint32(rate * 2) << quint16(2)
        << quint16(16);
    out.writeRawData("data", 4);
    out << quint32(samples * 2);
    for (quint32 i = 0; i < samples; ++i)
        out << qint16(std::lround(12000.0 * std::sin(2 * std::numbers::pi * frequency * i / rate)));
    return out.status() == QDataStream::Ok && file.flush();
}
