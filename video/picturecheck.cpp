#include "video/picturecheck.h"

namespace {

// How long the picture must stand still, with decoding errors, before it
// counts as damaged: a brief stall after a seek or a loop wrap is no fault.
constexpr double DamagedAfterSeconds = 3.0;
// How long frames must keep going missing before the computer counts as too
// slow: opening, a seek or another program may take a second or two.
constexpr double TooSlowAfterSeconds = 4.0;
// Share of the frames due that may be left out, or missing, before the
// picture visibly jerks.
constexpr double DroppedShareTooSlow = 0.25;

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

    if (const PictureSample *then = sampleBefore(samples, DamagedAfterSeconds)) {
        if (now.decodeErrors > 0 && now.framesDrawn == then->counts.framesDrawn)
            return PictureTrouble::Damaged;
    }

    if (const PictureSample *then = sampleBefore(samples, TooSlowAfterSeconds)) {
        const double seconds = samples.back().seconds - then->seconds;
        const double drawn = double(now.framesDrawn - then->counts.framesDrawn);
        const double dropped = double(now.framesDropped - then->counts.framesDropped);
        // Frames due in that time; without a known rate, those that came.
        const double due =
            now.frameRate > 0 ? now.frameRate * now.speed * seconds : drawn + dropped;
        if (due >= 1.0 && dropped >= DroppedShareTooSlow * due)
            return PictureTrouble::TooSlow;
    }
    return PictureTrouble::None;
}
