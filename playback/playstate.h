#pragma once

#include "platform/mediaplayer.h"

// Paused or playing: the states in which the loop and seek commands apply.
inline bool isPlaybackActive(const MediaPlayer &player)
{
    const int state = player.playState();
    return state == MediaPlayer::Paused || state == MediaPlayer::Playing;
}
