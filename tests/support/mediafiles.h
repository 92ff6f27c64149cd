#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Runs ffmpeg (quiet, overwriting) with the arguments; false, with its
// messages on standard error, when it fails.
bool runFfmpeg(const QStringList &arguments);

// A subtitle file's bytes in SubRip: cues as start, end, text triples.
struct CueText {
    double start;
    double end;
    QString text;
};
QByteArray subRip(const QList<CueText> &cues);

// A minimal PGS (Blu-ray picture subtitle) stream of one empty display set,
// enough to make an image-only subtitle track with ffmpeg.
QByteArray pgsStream();
