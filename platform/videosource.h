#pragma once

#include <functional>

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
};
