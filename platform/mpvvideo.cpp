#include "platform/mpvvideo.h"

#include "platform/dynamiclibrary.h"
#include "platform/errors.h"
#include "platform/mpvlibrary.h"

#include <QCoreApplication>

#include <mpv/render.h>
#include <mpv/render_gl.h>

#include <cstring>
#include <type_traits>
#include <utility>

struct MpvRenderApi {
    decltype(&::mpv_render_context_create) create = nullptr;
    decltype(&::mpv_render_context_set_update_callback) set_update_callback = nullptr;
    decltype(&::mpv_render_context_update) update = nullptr;
    decltype(&::mpv_render_context_render) render = nullptr;
    decltype(&::mpv_render_context_report_swap) report_swap = nullptr;
    decltype(&::mpv_render_context_free) free = nullptr;
};

namespace {

// Looks the render functions up in the libmpv the player has loaded;
// returns why when it cannot.
QString resolveRenderApi(const QString &library, MpvRenderApi &api)
{
    // Loaded already; this only takes another reference, never released, as
    // the player's own.
    DynamicLibrary lib(library);
    lib.resolve(api.create, "mpv_render_context_create");
    lib.resolve(api.set_update_callback, "mpv_render_context_set_update_callback");
    lib.resolve(api.update, "mpv_render_context_update");
    lib.resolve(api.render, "mpv_render_context_render");
    lib.resolve(api.report_swap, "mpv_render_context_report_swap");
    lib.resolve(api.free, "mpv_render_context_free");
    return lib.error();
}

} // namespace

MpvVideo::MpvVideo(const MpvApi &api, mpv_handle *handle, const QString &library)
    : m_mpv(api), m_handle(handle), m_library(library)
{}

// The player detaches the picture first; this is the last resort, before
// the handle goes.
MpvVideo::~MpvVideo()
{
    freeContext();
}

void MpvVideo::attach(VideoSource::ProcAddress getProcAddress, void *context,
                      std::function<void()> frameReady, bool soundless)
{
    if (m_context)
        return;
    if (!m_api) {
        auto api = std::make_unique<MpvRenderApi>();
        const QString missing = resolveRenderApi(m_library, *api);
        if (!missing.isEmpty())
            throw PlayerError(
                QCoreApplication::translate("MpvPlayer", "无法显示画面：%1").arg(missing));
        m_api = std::move(api);
    }
    mpv_opengl_init_params gl{getProcAddress, context};
    char apiType[] = MPV_RENDER_API_TYPE_OPENGL;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, apiType},
        {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &gl},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    const int rc = m_api->create(&m_context, m_handle, params);
    if (rc < 0) {
        m_context = nullptr;
        throw PlayerError(QCoreApplication::translate("MpvPlayer", "无法显示画面：%1")
                              .arg(mpvErrorText(m_mpv, rc)));
    }
    m_frameReady = std::move(frameReady);
    m_framesDrawn = 0;
    m_api->set_update_callback(
        m_context,
        [](void *self) {
            const auto &ready = static_cast<MpvVideo *>(self)->m_frameReady;
            if (ready)
                ready();
        },
        this);
    m_decodeErrors = 0;

    // Plain scaling and no dithering: on a machine without a graphics card
    // (Mesa's software renderer) the picture keeps up, and a learner sees no
    // difference. A libmpv without one of them draws as it would anyway.
    for (const char *option : {"scale", "cscale", "dscale"})
        m_mpv.set_property_string(m_handle, option, "bilinear");
    for (const char *option : {"dither-depth", "correct-downscaling", "linear-downscaling",
                               "sigmoid-upscaling", "hdr-compute-peak"})
        m_mpv.set_property_string(m_handle, option, "no");
    // The render context exists before libmpv's video output looks for it.
    try {
        // A video without sound decodes its picture all along, for no output.
        if (soundless)
            setMpvString(m_mpv, m_handle, "vid", "no");
        setMpvString(m_mpv, m_handle, "vo", "libmpv");
        setMpvString(m_mpv, m_handle, "vid", "auto");
    } catch (...) {
        detach(soundless);
        throw;
    }
}

void MpvVideo::render(int framebuffer, int width, int height)
{
    if (!m_context)
        return;
    // Takes the pending update; the frame is drawn whatever it says, since a
    // repaint may also come from the window (resize, expose).
    if (m_api->update(m_context) & MPV_RENDER_UPDATE_FRAME)
        ++m_framesDrawn;
    mpv_opengl_fbo fbo{framebuffer, width, height, 0};
    // OpenGL counts rows from the bottom; the widget's framebuffer is shown
    // the other way up.
    int flip = 1;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
        {MPV_RENDER_PARAM_FLIP_Y, &flip},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    m_api->render(m_context, params);
    m_api->report_swap(m_context);
}

void MpvVideo::detach(bool soundless)
{
    if (!m_context)
        return;
    // Errors are of no use here: the context is freed whatever they say.
    m_mpv.set_property_string(m_handle, "vid", "no");
    freeContext();
    m_mpv.set_property_string(m_handle, "vo", "null");
    // Without sound, the picture keeps the time.
    if (soundless)
        m_mpv.set_property_string(m_handle, "vid", "auto");
}

void MpvVideo::freeContext()
{
    if (!m_context)
        return;
    m_api->set_update_callback(m_context, nullptr, nullptr);
    m_api->free(m_context);
    m_context = nullptr;
    m_frameReady = nullptr;
}

bool MpvVideo::isWorthLogging(const mpv_event_log_message &message)
{
    const bool decoding =
        std::strcmp(message.prefix, "vd") == 0 || std::strncmp(message.prefix, "ffmpeg", 6) == 0;
    if (!decoding || !isAttached())
        return true;
    if (std::strcmp(message.prefix, "vd") == 0
        && std::strncmp(message.text, "Error while decoding frame", 26) == 0)
        ++m_decodeErrors;
    return m_decodeErrors <= 3;
}

PictureCounts MpvVideo::counts(bool hasVideo) const
{
    PictureCounts counts;
    if (!isAttached())
        return counts;
    counts.framesDrawn = m_framesDrawn;
    counts.decodeErrors = m_decodeErrors;
    // libmpv gives the track up at once when no decoder for it starts, too
    // soon for an observed property to tell.
    if (hasVideo) {
        char *track = nullptr;
        if (m_mpv.get_property(m_handle, "vid", MPV_FORMAT_STRING, &track) >= 0 && track) {
            counts.undecodable = std::strcmp(track, "no") == 0;
            m_mpv.free(track);
        }
    }
    for (const char *name : {"frame-drop-count", "decoder-frame-drop-count"}) {
        std::int64_t dropped = 0;
        if (m_mpv.get_property(m_handle, name, MPV_FORMAT_INT64, &dropped) >= 0)
            counts.framesDropped += dropped;
    }
    // libmpv's own: what the player makes of it for the listener is no use here.
    m_mpv.get_property(m_handle, "time-pos", MPV_FORMAT_DOUBLE, &counts.position);
    double rate = 0.0;
    if (m_mpv.get_property(m_handle, "container-fps", MPV_FORMAT_DOUBLE, &rate) >= 0)
        counts.frameRate = rate;
    return counts;
}

bool hasMovingPicture(const MpvApi &api, mpv_handle *handle)
{
    mpv_node tracks;
    if (api.get_property(handle, "track-list", MPV_FORMAT_NODE, &tracks) < 0)
        return false;
    bool found = false;
    if (tracks.format == MPV_FORMAT_NODE_ARRAY) {
        for (int i = 0; i < tracks.u.list->num && !found; ++i) {
            const mpv_node &track = tracks.u.list->values[i];
            if (track.format != MPV_FORMAT_NODE_MAP)
                continue;
            bool video = false;
            bool still = false;
            const mpv_node_list *fields = track.u.list;
            for (int f = 0; f < fields->num; ++f) {
                const char *key = fields->keys[f];
                const mpv_node &value = fields->values[f];
                if (std::strcmp(key, "type") == 0 && value.format == MPV_FORMAT_STRING)
                    video = std::strcmp(value.u.string, "video") == 0;
                else if ((std::strcmp(key, "albumart") == 0 || std::strcmp(key, "image") == 0)
                         && value.format == MPV_FORMAT_FLAG && value.u.flag)
                    still = true;
            }
            found = video && !still;
        }
    }
    api.free_node_contents(&tracks);
    return found;
}
