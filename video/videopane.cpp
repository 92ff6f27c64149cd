#include "video/videopane.h"

#include "video/videoview.h"

#include "platform/videosource.h"

#include <QBoxLayout>
#include <QLabel>
#include <QLoggingCategory>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace {

Q_LOGGING_CATEGORY(lcVideo, "quillmar.video")

// Often enough to act within seconds, rarely enough to cost nothing.
constexpr int WatchIntervalMs = 1000;
constexpr int FirstLookMs = 250;
// Looks kept: more than the longest span the rule needs.
constexpr std::size_t WatchedSamples = 8;

} // namespace

VideoPane::VideoPane(QWidget *panel, QLabel *caption, VideoSource *source, QObject *parent)
    : QObject(parent), m_panel(panel), m_caption(caption), m_source(source),
      m_watch(new QTimer(this))
{
    setObjectName(QStringLiteral("VideoPane"));
    m_watch->setInterval(WatchIntervalMs);
    connect(m_watch, &QTimer::timeout, this, &VideoPane::watchPicture);
    m_clock.start();
    apply();
}

VideoPane::~VideoPane() = default;

void VideoPane::setRecordingHasVideo(bool hasVideo)
{
    if (!hasVideo) {
        m_failed = false;
        m_slowTold = false;
    }
    if (hasVideo == m_hasVideo)
        return;
    m_hasVideo = hasVideo;
    apply();
    if (hasVideo && m_source && m_source->isSoundless())
        Q_EMIT statusChanged(tr("这段视频没有声音，只有画面"));
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
            giveUpPicture(tr("画面无法显示，只播放声音（%1）").arg(text));
        });
    }
    m_panel->setVisible(showing);
    if (m_view)
        m_view->setActive(showing);
    m_caption->setVisible(showing && m_captionsShown);
    m_samples.clear();
    if (showing && !m_watch->isActive()) {
        m_watch->start();
        // A track no decoder takes is given up at once: said without waiting.
        QTimer::singleShot(FirstLookMs, this, &VideoPane::watchPicture);
    } else if (!showing) {
        m_watch->stop();
    }
}

void VideoPane::watchPicture()
{
    if (!m_view || !m_view->isDrawing()) {
        m_samples.clear();
        return;
    }
    const PictureCounts counts = m_source->pictureCounts();
    // Frames are only drawn while the picture is on screen: not while the
    // window is minimised or on another desktop.
    const QWidget *window = m_view->window();
    const QWindow *handle = window ? window->windowHandle() : nullptr;
    const bool onScreen =
        m_view->isVisible() && !window->isMinimized() && handle && handle->isExposed();
    const bool sameRun = !m_samples.empty() && m_samples.back().counts.speed == counts.speed
                         && m_samples.back().counts.framesDrawn <= counts.framesDrawn;
    if (!sameRun || !counts.playing || !onScreen)
        m_samples.clear();
    if ((counts.playing && onScreen) || counts.undecodable)
        m_samples.push_back({double(m_clock.elapsed()) / 1000.0, counts});
    if (m_samples.size() > WatchedSamples)
        m_samples.erase(m_samples.begin());
    qCDebug(lcVideo) << "drawn" << counts.framesDrawn << "dropped" << counts.framesDropped
                     << "errors" << counts.decodeErrors << "fps" << counts.frameRate << "playing"
                     << counts.playing << "on screen" << onScreen;
    if (m_samples.empty())
        return;
    switch (pictureTrouble(m_samples)) {
    case PictureTrouble::Undecodable:
        giveUpPicture(tr("录音里的画面无法解码，只播放声音"));
        break;
    case PictureTrouble::Damaged:
        giveUpPicture(tr("录音里的画面已损坏，无法显示，只播放声音"));
        break;
    case PictureTrouble::SoundHeldUp:
        giveUpPicture(tr("画面太大，拖慢了声音，已关闭画面，只播放声音"));
        break;
    case PictureTrouble::TooSlow:
        if (!m_slowTold) {
            m_slowTold = true;
            Q_EMIT statusChanged(
                tr("画面太大，电脑解码跟不上，会跳帧；可在“查看”里关闭“显示画面”"));
        }
        break;
    case PictureTrouble::None:
        break;
    }
}

// The pane goes and the player stops decoding the picture; the sound plays on.
void VideoPane::giveUpPicture(const QString &text)
{
    m_failed = true;
    apply();
    Q_EMIT statusChanged(text);
}

bool captionHidden(double loopStart, double loopEnd, double position, bool answered)
{
    const bool looping = loopStart >= 0 && loopEnd > loopStart;
    return looping && !answered && position >= loopStart && position <= loopEnd;
}
