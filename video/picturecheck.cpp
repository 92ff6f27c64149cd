#include "video/picturecheck.h"

#include <iterator>

namespace {

// How long the picture must stand still, with decoding errors, before it
// counts as damaged: a brief stall after a seek or a loop wrap is no fault.
// A short recording's broken pieces may all fail at once, as soon as read.
constexpr double DamagedAfterSeconds = 3.0;
// How long frames must keep going missing before the computer counts as too
// slow: opening, a seek or another program may take a second or two.
constexpr double TooSlowAfterSeconds = 4.0;
// Share of the frames due that may be left out before the picture visibly
// jerks.
constexpr double DroppedShareTooSlow = 0.25;
// A decoder far behind shows few of the frames due and leaves out fewer than
// it never gets to; some must be left out all the same, since a picture that
// stands still on purpose (a slide, a screen recording) also shows few.
constexpr double DrawnShareTooSlow = 0.5;
constexpr double DroppedShareBehind = 0.1;
// The sound is held up when the recording moves on by less than this share
// of the time it played.
constexpr double AdvanceShareHeldUp = 0.7;

// The share of the time played by which the recording moved on, over the
// looks from `from` on; seeks and loop wraps (a move back, or far ahead) are
// left out. Negative when too little is left to tell.
double advanceShare(const std::vector<PictureSample> &samples, std::size_t from)
{
    double played = 0.0;
    double moved = 0.0;
    for (std::size_t i = from + 1; i < samples.size(); ++i) {
        const double due = (samples[i].seconds - samples[i - 1].seconds) * samples[i].counts.speed;
        const double step = samples[i].counts.position - samples[i - 1].counts.position;
        if (due <= 0 || step < -0.05 || step > 2 * due + 0.5)
            continue;
        played += due;
        moved += step;
    }
    return played >= 3.0 ? moved / played : -1.0;
}

// The newest sample at least `seconds` before the last one; null when the
// looks do not reach that far back.
const PictureSample *sampleBefore(const std::vector<PictureSample> &samples, double seconds)
{
    const double last = samples.back().seconds;
    for (auto it = samples.rbegin(); it != samples.rend(); ++it) {
        if (last - it->seconds >= seconds)
            return &*it;
    }
    return nullptr;
}

} // namespace

PictureTrouble pictureTrouble(const std::vector<PictureSample> &samples)
{
    if (samples.empty())
        return PictureTrouble::None;
    const PictureCounts &now = samples.back().counts;
    if (now.undecodable)
        return PictureTrouble::Undecodable;

    // Since when the picture has stood still; with decoding errors since just
    // before then (or errors and never a frame) it is damaged. A picture that
    // has merely ended before the sound stands still without new errors.
    auto still = samples.rbegin();
    while (std::next(still) != samples.rend()
           && std::next(still)->counts.framesDrawn == now.framesDrawn)
        ++still;
    if (samples.back().seconds - still->seconds >= DamagedAfterSeconds) {
        const std::int64_t errorsBefore = std::next(still) != samples.rend()
                                              ? std::next(still)->counts.decodeErrors
                                              : still->counts.decodeErrors;
        if (now.decodeErrors > errorsBefore || (now.decodeErrors > 0 && now.framesDrawn == 0))
            return PictureTrouble::Damaged;
    }

    if (const PictureSample *then = sampleBefore(samples, TooSlowAfterSeconds)) {
        const double seconds = samples.back().seconds - then->seconds;
        const double drawn = double(now.framesDrawn - then->counts.framesDrawn);
        const double dropped = double(now.framesDropped - then->counts.framesDropped);
        // Frames due in that time; without a known rate, those that came.
        const double due =
            now.frameRate > 0 ? now.frameRate * now.speed * seconds : drawn + dropped;
        const bool jerks = dropped >= DroppedShareTooSlow * due;
        const bool behind = drawn < DrawnShareTooSlow * due && dropped >= DroppedShareBehind * due;
        if (due >= 1.0 && (jerks || behind)) {
            const double share = advanceShare(samples, std::size_t(then - samples.data()));
            return share >= 0 && share < AdvanceShareHeldUp ? PictureTrouble::SoundHeldUp
                                                            : PictureTrouble::TooSlow;
        }
    }
    return PictureTrouble::None;
}
