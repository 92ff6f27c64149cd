#pragma once

#include <QString>

// Time text of the position label, the loop label and the seek-bar preview.

struct SplitTime {
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
};

// Whole seconds 0..86400 into hours, minutes and seconds; anything above one
// day gives zeros.
SplitTime SplitSeconds(int totalSeconds);
// The thousandths of x, rounded to the nearest, 0..999 (0 for x < 0). Worked
// out apart from the whole seconds, so 59.9996 gives 0.
int MillisecondPart(double x);
// "mm:ss.zzz", or "hh:mm:ss.zzz" with hours or forceHours; "???" from one day
// on; empty for a negative x.
QString FormatTimePosition(bool forceHours, double x);
