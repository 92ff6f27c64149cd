#include "progress/reviewrules.h"

namespace ReviewRules {

bool passedAlone(const Outcome &outcome)
{
    return outcome.passed && !outcome.helped;
}

bool entersReview(const Outcome &outcome)
{
    return !passedAlone(outcome) || outcome.tryNumber >= 3;
}

std::optional<Schedule> afterAttempt(const std::optional<Schedule> &current, const Outcome &outcome,
                                     const QDate &day)
{
    const bool passed = passedAlone(outcome);
    const Schedule restart{0, day.addDays(Intervals[0])};
    if (!current)
        return entersReview(outcome) ? std::optional(restart) : std::nullopt;
    if (!passed)
        return restart;
    if (!isDue(*current, day))
        return current;
    const int next = current->step + 1;
    if (next >= int(Intervals.size()))
        return std::nullopt;
    return Schedule{next, day.addDays(Intervals[std::size_t(next)])};
}

bool isDue(const Schedule &schedule, const QDate &day)
{
    return schedule.due.isValid() && schedule.due <= day;
}

} // namespace ReviewRules
