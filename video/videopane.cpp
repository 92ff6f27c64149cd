#include "video/videopane.h"

#include "video/videoview.h"

#include <QBoxLayout>
#include <QLabel>
#include <QWidget>

VideoPane::VideoPane(QWidget *panel, QLabel *caption, VideoSource *source, QObject *parent)
    : QObject(parent), m_panel(panel), m_caption(caption), m_source(source)
{
    setObjectName(QStringLiteral("VideoPane"));
    apply();
}

VideoPane::~VideoPane() = default;

void VideoPane::setRecordingHasVideo(bool hasVideo)
{
    if (!hasVideo)
        m_failed = false;
    if (hasVideo == m_hasVideo)
        return;
    m_hasVideo = hasVideo;
    apply();
}

void VideoPane::setPictureShown(bool shown)
{
    if (shown == m_pictureShown)
        return;
    m_pictureShown = shown;
    m_failed = false;
    apply();
}

void VideoPane::setCaptionsShown(bool shown)
{
    m_captionsShown = shown;
    if (!shown)
        m_caption->clear();
    m_caption->setVisible(shown);
}

void VideoPane::setCaption(const QString &text, bool hidden)
{
    if (!m_captionsShown)
        return;
    const QString shown = hidden && !text.isEmpty() ? tr("（字幕在提交本句后显示）") : text;
    if (m_caption->text() != shown)
        m_caption->setText(shown);
}

void VideoPane::apply()
{
    const bool showing = isShowing();
    if (showing && !m_view) {
        m_view = new VideoView(m_source, m_panel);
        m_view->setMinimumHeight(120);
        if (auto *column = qobject_cast<QBoxLayout *>(m_panel->layout()))
            column->insertWidget(0, m_view, 1);
        connect(m_view, &VideoView::failed, this, [this](const QString &text) {
            m_failed = true;
            apply();
            Q_EMIT statusChanged(tr("画面无法显示，只播放声音（%1）").arg(text));
        });
    }
    m_panel->setVisible(showing);
    if (m_view)
        m_view->setActive(showing);
    m_caption->setVisible(showing && m_captionsShown);
}

bool captionHidden(double loopStart, double loopEnd, double position, bool answered)
{
    const bool looping = loopStart >= 0 && loopEnd > loopStart;
    return looping && !answered && position >= loopStart && position <= loopEnd;
}
