#pragma once

#include <QOpenGLWidget>
#include <QString>

class VideoSource;

// The player's picture in an OpenGL widget. The player draws each frame into
// the widget's framebuffer; a new frame only queues a repaint. While inactive
// the player decodes no picture at all.
class VideoView : public QOpenGLWidget
{
    Q_OBJECT
public:
    VideoView(VideoSource *source, QWidget *parent);
    ~VideoView() override;

    // Starts or stops drawing. Starting waits for the widget's context when
    // it has none yet (the first time it shows).
    void setActive(bool active);
    bool isActive() const { return m_active; }
    // The picture is being drawn: the player has its render context.
    bool isDrawing() const;

Q_SIGNALS:
    // Drawing could not start; the recording plays on without its picture.
    void failed(const QString &text);
    // A frame has been drawn (for tests and measurements).
    void frameDrawn();

protected:
    void initializeGL() override;
    void paintGL() override;

private:
    void attach();
    void detach();
    void frameReady();

    VideoSource *m_source;
    bool m_active = false;
    QMetaObject::Connection m_contextGoing;
};
