#include "video/videoview.h"

#include "platform/errors.h"
#include "platform/videosource.h"

#include <QMetaObject>
#include <QOpenGLContext>
#include <QOpenGLFunctions>

namespace {

void *procAddress(void *, const char *name)
{
    QOpenGLContext *context = QOpenGLContext::currentContext();
    return context ? reinterpret_cast<void *>(context->getProcAddress(name)) : nullptr;
}

} // namespace

VideoView::VideoView(VideoSource *source, QWidget *parent) : QOpenGLWidget(parent), m_source(source)
{
    setObjectName(QStringLiteral("VideoView"));
}

VideoView::~VideoView()
{
    // The base class destroys the context after this: no call may come back.
    disconnect(m_contextGoing);
    // The render context goes with the widget's OpenGL context, before the player.
    if (isValid()) {
        makeCurrent();
        detach();
        doneCurrent();
    }
}

void VideoView::setActive(bool active)
{
    if (active == m_active)
        return;
    m_active = active;
    if (!isValid())
        return; // initializeGL() attaches once the context exists
    makeCurrent();
    if (active)
        attach();
    else
        detach();
    doneCurrent();
    update();
}

bool VideoView::isDrawing() const
{
    return m_source && m_source->isVideoAttached();
}

void VideoView::initializeGL()
{
    // A context replaced (the widget moved to another window) takes the
    // render context with it.
    disconnect(m_contextGoing);
    m_contextGoing = connect(
        context(), &QOpenGLContext::aboutToBeDestroyed, this,
        [this] {
            makeCurrent();
            detach();
            doneCurrent();
        },
        Qt::DirectConnection);
    if (m_active)
        attach();
}

void VideoView::paintGL()
{
    if (isDrawing()) {
        const qreal ratio = devicePixelRatioF();
        m_source->renderVideo(int(defaultFramebufferObject()), int(width() * ratio),
                              int(height() * ratio));
        Q_EMIT frameDrawn();
    } else {
        QOpenGLFunctions *gl = context()->functions();
        gl->glClearColor(0, 0, 0, 1);
        gl->glClear(GL_COLOR_BUFFER_BIT);
    }
}

void VideoView::attach()
{
    if (!m_source || m_source->isVideoAttached())
        return;
    try {
        // Called on a libmpv thread: only queue the repaint.
        m_source->attachVideo(&procAddress, nullptr, [this] {
            QMetaObject::invokeMethod(this, &VideoView::frameReady, Qt::QueuedConnection);
        });
    } catch (const AppError &error) {
        m_active = false;
        QMetaObject::invokeMethod(
            this, [this, text = error.text()] { Q_EMIT failed(text); }, Qt::QueuedConnection);
    }
}

void VideoView::detach()
{
    if (m_source)
        m_source->detachVideo();
}

void VideoView::frameReady()
{
    update();
}
