#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Writes a 16-bit mono 44.1 kHz PCM wav of a sine tone; false when the file
// cannot be written.
bool writeToneWav(const QString &path, double seconds, double frequency = 440.0);

// A 16-bit mono PCM wav file around samples already in little-endian order.
QByteArray monoWav(const QByteArray &samples, int rate);

// A SubRip file of the cues, numbered from 1.
struct SrtCue {
    double start;
    double end;
    QByteArray text;
};
QByteArray srtFile(const QList<SrtCue> &cues);

// A lesson: "lesson.wav", a quiet tone of 2 s a cue and 2 s more, and
// "lesson.srt" beside it, the cues `cueSeconds` long, one every 2 s from
// 0.5 s. Returns the recording's path, empty when it cannot be written.
QString writeCuedLesson(const QString &folder, const QList<QByteArray> &cues,
                        double cueSeconds = 1.5, int pitch = 300);
