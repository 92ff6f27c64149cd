#include "playback/timetext.h"

#include <cmath>

SplitTime SplitSeconds(int totalSeconds)
{
    if (totalSeconds > 86400)
        return {};
    SplitTime split;
    split.seconds = totalSeconds % 60;
    const int totalMinutes = (totalSeconds - split.seconds) / 60;
    split.minutes = totalMinutes % 60;
    split.hours = (totalMinutes - split.minutes) / 60;
    return split;
}

int MillisecondPart(double x)
{
    if (!(x >= 0))
        return 0;
    // Only the three digits behind the separator count, whatever the separator.
    const QString fixed = QString::number(x, 'f', 3);
    return fixed.right(3).toInt();
}

QString FormatTimePosition(bool forceHours, double x)
{
    if (std::isnan(x) || x < 0)
        return QString();
    if (x >= 86400) // also keeps the conversion below in range
        return QStringLiteral("???");
    const int ms = MillisecondPart(x);
    const SplitTime t = SplitSeconds(static_cast<int>(std::trunc(x)));
    if (t.hours > 0 || forceHours) {
        return QString::asprintf("%.2d:%.2d:%.2d.%.3d", t.hours, t.minutes, t.seconds, ms);
    }
    return QString::asprintf("%.2d:%.2d.%.3d", t.minutes, t.seconds, ms);
}
