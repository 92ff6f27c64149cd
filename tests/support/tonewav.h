#pragma once

#include <QString>

// Writes a 16-bit mono 44.1 kHz PCM wav of a sine tone; false when the file
// cannot be written.
bool writeToneWav(const QString &path, double seconds, double frequency = 440.0);
