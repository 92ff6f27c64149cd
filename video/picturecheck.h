#pragma once

#include "platform/videosource.h"

#include <vector>

// One look at the picture while the recording played: when (seconds on any
// steady clock) and what had been counted by then.
struct PictureSample {
    double seconds = 0.0;
    PictureCounts counts;
};

enum class PictureTrouble {
    None,
    // No decoder starts on the track: there will be no picture.
    Undecodable,
    // The decoder fails on the track and no new frame comes.
    Damaged,
    // The computer cannot decode or draw the picture as fast as it plays.
    TooSlow,
    // So far behind that the sound is held up too.
    SoundHeldUp,
};

// What is wrong with the picture, judged from looks about a second apart,
// oldest first, taken while the recording played on at one speed with its
// picture on screen. A few seconds of looks are needed before any verdict
// but Undecodable.
PictureTrouble pictureTrouble(const std::vector<PictureSample> &samples);
