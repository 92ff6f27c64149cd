#pragma once

#include "platform/qttranslations.h"

#include <QString>

#include <optional>
#include <utility>

// The rules of the loop region, apart from the window that shows it.
namespace LoopRules {

// Seconds the nudge commands move a loop point by.
constexpr double NudgeStep = 0.1;

struct Points {
    double start = -1.0;
    double end = -1.0;
};

enum class Outcome {
    Cleared,   // playback not active: both points unset, label rendered unset
    Refused,   // start at or after a set end: nothing changes
    Unchanged, // the same points again: nothing to do
    Stored,    // the new points are stored and rendered from the request
};

// What storing the requested points (start, end) does, given whether playback
// is active and the current points. `stored` receives the points to keep.
Outcome store(bool playbackActive, double start, double end, const Points &current, Points *stored);

// "  循环开始点: <start> 结束点: <end>" for the requested points, as the
// information line of a dictation record has it; "  Loop start: <start> End:
// <end>" in records written in English.
QString loopInfoText(double start, double end,
                     InterfaceLanguage language = InterfaceLanguage::Chinese);
// The same in the interface language, for the loop label.
QString loopLabelText(double start, double end);

// The seek bar's selection for the requested points on a recording of `length`
// seconds and a bar of `barMax` units: {-1, -1} for none. nullopt when the
// selection needs the length and it is not known (0 or less).
std::optional<std::pair<int, int>> selectionFor(double start, double end, double length,
                                                int barMax);

// Trunc(seconds * barMax / length), kept inside the int range.
int toBarUnits(double seconds, double length, int barMax);

} // namespace LoopRules
