#pragma once

#include <cstdint>
#include <functional>

// What became of the picture since it was last attached, for telling a
// damaged track, or one too demanding for the computer, from a good one.
struct PictureCounts {
    // New frames drawn by renderVideo().
    std::int64_t framesDrawn = 0;
    // Pieces of the track the decoder could not decode.
    std::int64_t decodeErrors = 0;
    // Frames decoded too late to be shown, and left out.
    std::int64_t framesDropped = 0;
    // No decoder could start on the track: no picture will come.
    bool undecodable = false;
    // The recording is playing (not paused, stopped or opening), at speed,
    // and where it is, in seconds: it falls behind when its sound is held up.
    bool playing = false;
    double speed = 1.0;
    double position = 0.0;
    // Frames per second of the track; 0 when not known.
    double frameRate = 0.0;
};

// The picture of the player's recording, which the player draws into an
// OpenGL framebuffer of the caller's. Every call but hasVideo() is made with
// the same OpenGL context current on the GUI thread.
class VideoSource
{
public:
    // OpenGL's function lookup of the caller's context.
    using ProcAddress = void *(*)(void *context, const char *name);

    virtual ~VideoSource() = default;

    // The open recording has a moving picture (a cover image is none); known
    // once it has started playing.
    virtual bool hasVideo() const = 0;
    // The open recording is a video that plays without sound: it has no
    // sound track, or none that can be decoded. Its picture still plays.
    virtual bool isSoundless() const = 0;
    // Starts drawing the picture into the current context. frameReady is
    // called on any thread whenever a new frame waits: it may only ask for a
    // repaint. Throws a PlayerError when the picture cannot be drawn.
    virtual void attachVideo(ProcAddress getProcAddress, void *context,
                             std::function<void()> frameReady) = 0;
    virtual bool isVideoAttached() const = 0;
    // Draws the frame due now into the framebuffer, width x height pixels.
    virtual void renderVideo(int framebuffer, int width, int height) = 0;
    // Stops drawing and frees what attachVideo() made; the recording plays
    // on without its picture. Must come before the context goes.
    virtual void detachVideo() = 0;
    // Counted since the last attachVideo(); zero while not attached.
    virtual PictureCounts pictureCounts() const = 0;
};
