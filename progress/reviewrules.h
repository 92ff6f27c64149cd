#pragma once

#include <QDate>

#include <array>
#include <optional>

// When a sentence comes back for review. The rule, in full:
// - A sentence enters the schedule on the day of an attempt that scored under
//   the pass mark, was passed only with help (hints or the answer shown), or
//   was its third try or later. It is then due the next day (step 0).
// - An attempt on a day the sentence is due is a review. Passed on its own,
//   the sentence moves one step on: due again after 1, 3, 7, 16, 35 days;
//   passing the 35-day review takes it off the schedule. Failed (under the
//   pass mark, or passed only with help) it goes back to step 0, due tomorrow.
// - An attempt before the due day moves nothing forward: passing early is no
//   review, but failing it starts the sentence over at step 0.
namespace ReviewRules {

// Days between reviews, by step.
inline constexpr std::array<int, 5> Intervals = {1, 3, 7, 16, 35};

struct Schedule {
    int step = 0; // index into Intervals
    QDate due;
    bool operator==(const Schedule &) const = default;
};

// One applied line as the rule sees it.
struct Outcome {
    bool passed = false; // reached the pass mark (or had nothing to compare with)
    bool helped = false; // hints taken or the answer shown
    int tryNumber = 1;   // 1 for the day's first try at the sentence
};

// Whether the line was good enough on its own.
bool passedAlone(const Outcome &outcome);
// Whether the line puts a sentence not yet scheduled on the schedule.
bool entersReview(const Outcome &outcome);
// The schedule after a line applied on `day`; nullopt: not (or no longer) on it.
std::optional<Schedule> afterAttempt(const std::optional<Schedule> &current, const Outcome &outcome,
                                     const QDate &day);
// Whether a scheduled sentence is due on `day` (overdue counts).
bool isDue(const Schedule &schedule, const QDate &day);

} // namespace ReviewRules
