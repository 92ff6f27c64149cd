#include "playback/looprules.h"

#include "playback/timetext.h"

#include <QCoreApplication>

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

namespace {

// The loop points in the words of `unset` and `toEnd`, laid into `frame`
// ("%1" the start, "%2" the end).
QString pointsText(double start, double end, const QString &frame, const QString &unset,
                   const QString &toEnd)
{
    QString startText = unset;
    QString endText = unset;
    if (!(start < 0 && end < 0)) {
        bool hours = false;
        if (end < 0) {
            endText = toEnd;
        } else {
            const double whole = std::trunc(end);
            // Beyond one day the split gives zeros, so no hours (the text is "???").
            hours = whole <= 86400 && SplitSeconds(static_cast<int>(whole)).hours > 0;
            endText = FormatTimePosition(hours, end);
        }
        startText = FormatTimePosition(hours, start >= 0 ? start : 0.0);
    }
    return frame.arg(startText, endText);
}

} // namespace

QString loopInfoText(double start, double end, InterfaceLanguage language)
{
    // Written into dictation documents: fixed words, not the translation of
    // the day, so that records read the same whatever wrote them.
    if (language == InterfaceLanguage::English)
        return pointsText(start, end, QStringLiteral("  Loop start: %1 End: %2"),
                          QStringLiteral("not set"), QStringLiteral("to the end"));
    return pointsText(start, end, QStringLiteral("  循环开始点: %1 结束点: %2"),
                      QStringLiteral("未设定"), QStringLiteral("至结尾"));
}

QString loopLabelText(double start, double end)
{
    return pointsText(start, end,
                      QCoreApplication::translate("LoopRules", "  循环开始点: %1 结束点: %2"),
                      QCoreApplication::translate("LoopRules", "未设定"),
                      QCoreApplication::translate("LoopRules", "至结尾"));
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
