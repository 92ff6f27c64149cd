#pragma once

#include "platform/videosource.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

struct mpv_handle;
struct mpv_render_context;
struct MpvRenderApi;

// libmpv's render API on one handle: the picture drawn with OpenGL into a
// framebuffer of the caller's. The functions are looked up at run time in the
// libmpv already loaded by the player, as the player's own are.
class MpvVideo
{
public:
    // library: the libmpv the player loaded.
    MpvVideo(mpv_handle *handle, const QString &library);
    ~MpvVideo();

    MpvVideo(const MpvVideo &) = delete;
    MpvVideo &operator=(const MpvVideo &) = delete;

    // As VideoSource; attach() throws a PlayerError that says why it failed.
    void attach(VideoSource::ProcAddress getProcAddress, void *context,
                std::function<void()> frameReady);
    bool isAttached() const { return m_context != nullptr; }
    void render(int framebuffer, int width, int height);
    void detach();
    // New frames render() has drawn since attach().
    std::int64_t framesDrawn() const { return m_framesDrawn; }

private:
    mpv_handle *m_handle;
    QString m_library;
    std::unique_ptr<MpvRenderApi> m_api;
    mpv_render_context *m_context = nullptr;
    std::int64_t m_framesDrawn = 0;
    // Outlives every update callback: libmpv stops calling it once the
    // context is freed.
    std::function<void()> m_frameReady;
};
