#include "playback/sourcefilerules.h"

QString CompanionDictationPath(const QString &recordingPath)
{
    // The folder ends at the last delimiter; a "." before it is not an extension.
    const qsizetype slash = recordingPath.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = recordingPath.lastIndexOf(QLatin1Char('.'));
    if (dot > slash)
        return recordingPath.left(dot) + QStringLiteral(".txt");
    return recordingPath + QStringLiteral(".txt");
}
