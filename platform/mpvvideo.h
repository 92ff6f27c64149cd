#pragma once

#include "platform/videosource.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

struct mpv_handle;
struct mpv_render_context;
struct mpv_event_log_message;
struct MpvApi;
struct MpvRenderApi;

// The picture of the player's recording: libmpv's render API on the player's
// handle, drawn with OpenGL into a framebuffer of the caller's, and what the
// picture asks of libmpv. libmpv decodes no video at all while no picture is
// attached (vid=no), and its video output is "libmpv" only while one is. The
// render functions are looked up at run time in the libmpv already loaded
// by the player, as the player's own are.
class MpvVideo
{
public:
    // library: the libmpv the player loaded, with its functions in `api`.
    MpvVideo(const MpvApi &api, mpv_handle *handle, const QString &library);
    ~MpvVideo();

    MpvVideo(const MpvVideo &) = delete;
    MpvVideo &operator=(const MpvVideo &) = delete;

    // As VideoSource; attach() throws a PlayerError that says why it failed.
    // soundless: the recording plays on its picture's clock, so its picture
    // is decoded also while not attached.
    void attach(VideoSource::ProcAddress getProcAddress, void *context,
                std::function<void()> frameReady, bool soundless);
    bool isAttached() const { return m_context != nullptr; }
    void render(int framebuffer, int width, int height);
    void detach(bool soundless);

    // A libmpv message about decoding the picture: false for one not worth
    // logging, since a damaged picture gives one for every piece it fails on,
    // many a second. They are counted, and only the first few logged.
    bool isWorthLogging(const mpv_event_log_message &message);
    // As VideoSource, less what only the player knows (playing, speed).
    // hasVideo: the recording has a moving picture.
    PictureCounts counts(bool hasVideo) const;

private:
    void freeContext();

    const MpvApi &m_mpv;
    mpv_handle *m_handle;
    QString m_library;
    std::unique_ptr<MpvRenderApi> m_api;
    mpv_render_context *m_context = nullptr;
    std::int64_t m_framesDrawn = 0;
    // Pieces the decoder failed on since the picture was attached.
    std::int64_t m_decodeErrors = 0;
    // Outlives every update callback: libmpv stops calling it once the
    // context is freed.
    std::function<void()> m_frameReady;
};

// The open recording has a moving picture: a video track that is no cover or
// still image.
bool hasMovingPicture(const MpvApi &api, mpv_handle *handle);
