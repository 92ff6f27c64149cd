#include "platform/mpvvideo.h"

#include "platform/dynamiclibrary.h"
#include "platform/errors.h"

#include <QCoreApplication>
#include <QFile>

#include <mpv/render.h>
#include <mpv/render_gl.h>

#include <type_traits>

struct MpvRenderApi {
    decltype(&::mpv_render_context_create) create = nullptr;
    decltype(&::mpv_render_context_set_update_callback) set_update_callback = nullptr;
    decltype(&::mpv_render_context_update) update = nullptr;
    decltype(&::mpv_render_context_render) render = nullptr;
    decltype(&::mpv_render_context_report_swap) report_swap = nullptr;
    decltype(&::mpv_render_context_free) free = nullptr;
    decltype(&::mpv_error_string) error_string = nullptr;
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
    lib.resolve(api.error_string, "mpv_error_string");
    return lib.error();
}

} // namespace

MpvVideo::MpvVideo(mpv_handle *handle, const QString &library)
    : m_handle(handle), m_library(library)
{}

MpvVideo::~MpvVideo()
{
    detach();
}

void MpvVideo::attach(VideoSource::ProcAddress getProcAddress, void *context,
                      std::function<void()> frameReady)
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
                              .arg(QString::fromUtf8(m_api->error_string(rc))));
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

void MpvVideo::detach()
{
    if (!m_context)
        return;
    m_api->set_update_callback(m_context, nullptr, nullptr);
    m_api->free(m_context);
    m_context = nullptr;
    m_frameReady = nullptr;
}
