#include "playback/looprules.h"

#include "playback/timetext.h"

#include <algorithm>
#include <cmath>

namespace LoopRules {

Outcome store(bool playbackActive, double start, double end, const Points &current, Points *stored)
{
    if (!playbackActive) {
        *stored = Points{};
        return Outcome::Cleared;
    }
    if (start >= end && end > 0)
        return Outcome::Refused;
    if (start == current.start && end == current.end)
        return Outcome::Unchanged;
    stored->start = start >= 0 ? start : -1.0;
    stored->end = end > 0 ? end : -1.0;
    return Outcome::Stored;
}

QString loopInfoText(double start, double end)
{
    const QString unset = QStringLiteral("未设定");
    QString startText = unset;
    QString endText = unset;
    if (!(start < 0 && end < 0)) {
        bool hours = false;
        if (end < 0) {
            endText = QStringLiteral("至结尾");
        } else {
            const double whole = std::trunc(end);
            // Beyond one day the split gives zeros, so no hours (the text is "???").
            hours = whole <= 86400 && SplitSeconds(static_cast<int>(whole)).hours > 0;
            endText = FormatTimePosition(hours, end);
        }
        startText = FormatTimePosition(hours, start >= 0 ? start : 0.0);
    }
    return QStringLiteral("  循环开始点: ") + startText + QStringLiteral(" 结束点: ") + endText;
}

int toBarUnits(double seconds, double length, int barMax)
{
    const double units = std::trunc(seconds * barMax / length);
    if (std::isnan(units))
        return 0;
    return static_cast<int>(std::clamp(units, -1.0e9, 1.0e9));
}

std::optional<std::pair<int, int>> selectionFor(double start, double end, double length, int barMax)
{
    if (start < 0 && end <= 0)
        return std::pair{-1, -1};
    if (!(length > 0))
        return std::nullopt;
    if (start >= 0 && end <= 0)
        return std::pair{toBarUnits(start, length, barMax), barMax};
    if (start < 0)
        return std::pair{0, toBarUnits(end, length, barMax)};
    return std::pair{toBarUnits(start, length, barMax), toBarUnits(end, length, barMax)};
}

} // namespace LoopRules
