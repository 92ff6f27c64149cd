#pragma once

#include "video/picturecheck.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <vector>

class QLabel;
class QTimer;
class QWidget;
class VideoSource;
class VideoView;

// The picture of the open recording, above the transport panel, with the
// current subtitle under it. It shows only for a recording with a moving
// picture while "显示画面" is on; otherwise it takes no room at all and the
// player decodes no picture. The OpenGL widget is made when the first
// picture shows: until then the window draws without OpenGL, as it always has.
// While it shows, it watches the picture once a second: a picture that cannot
// be decoded or is damaged goes (the sound plays on), and one the computer
// cannot keep up with is reported once; both in the status line.
class VideoPane : public QObject
{
    Q_OBJECT
public:
    // panel: the pane's widget, with a vertical layout holding the caption;
    // source: the player's picture, null when there is none.
    VideoPane(QWidget *panel, QLabel *caption, VideoSource *source, QObject *parent);
    ~VideoPane() override;

    // The open recording has a picture (false: none, or nothing open).
    void setRecordingHasVideo(bool hasVideo);
    // The learner's switch; on by default.
    void setPictureShown(bool shown);
    // The pane is up and the picture drawn.
    bool isShowing() const { return m_source && m_hasVideo && m_pictureShown && !m_failed; }

    // Subtitles under the picture; off by default, since they give the answer away.
    void setCaptionsShown(bool shown);
    bool areCaptionsShown() const { return m_captionsShown; }
    // The cue at the playing position (empty: none), and whether it may be
    // read yet (see captionHidden()).
    void setCaption(const QString &text, bool hidden);

Q_SIGNALS:
    void statusChanged(const QString &text);

private:
    void apply();
    void watchPicture();
    void giveUpPicture(const QString &text);

    QWidget *m_panel;
    QLabel *m_caption;
    VideoSource *m_source;
    VideoView *m_view = nullptr;
    bool m_hasVideo = false;
    bool m_pictureShown = true;
    bool m_captionsShown = false;
    // Drawing failed for this recording; it plays on as sound.
    bool m_failed = false;
    QTimer *m_watch;
    QElapsedTimer m_clock;
    // Looks at the picture while it plays on at one speed, oldest first.
    std::vector<PictureSample> m_samples;
    // Said once per recording that the computer cannot keep up.
    bool m_slowTold = false;
};

// While a loop plays the sentence the learner is dictating, its subtitle
// would give the answer away: it stays hidden until a line has been applied
// for that loop (answered).
bool captionHidden(double loopStart, double loopEnd, double position, bool answered);
