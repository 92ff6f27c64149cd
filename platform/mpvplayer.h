#pragma once

#include "platform/heardposition.h"
#include "platform/mediaplayer.h"
#include "platform/videosource.h"

#include <QElapsedTimer>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <memory>

class QThread;
struct MpvApi;
class MpvVideo;
struct MpvStartup;
struct mpv_handle;
struct mpv_event_property;
struct mpv_event_log_message;

// The product's player, on libmpv. One recording at a time: its sound, and
// the picture of a video while one is attached (see VideoSource).
//
// States it reports: Undefined (nothing open, also after close() and after a
// recording failed to open), Transitioning (opening, right after setUrl),
// Playing, Paused, Stopped (loaded, at position 0), and MediaEnded, which a
// recording that plays out reports just before Stopped.
//
// status() texts: Undefined "就绪", Transitioning "正在打开", Playing
// "正在播放", Paused "已暂停", Stopped "已停止", MediaEnded "播放结束".
//
// Speed uses libmpv's "speed" with pitch correction (scaletempo2); volume is
// libmpv's "volume", already on a cubic, perceptual scale.
//
// The loop range is libmpv's A-B loop (ab-loop-a/ab-loop-b), as libmpv 0.35
// runs it:
// - It loops only with both ends set and a != b (a > b is taken as b..a).
//   With only a or only b set nothing loops: playback runs on to the end of
//   the recording and ends there as usual.
// - Set while the position is before a, playback runs on to b, then wraps to
//   a. Set while the position is already past b, it does not loop: playback
//   runs on to the end. After a seek or stop() to before b it loops again.
// - The wrap is decided when decoding reaches b and the seek to a is exact
//   and gapless, so nothing past b is heard.
// - The range stays set across setUrl() and close() until it is changed.
//
// currentPosition() is what is heard, as HeardPosition works it out from
// libmpv's own position: it never leaves a..b while looping, and the loop
// range and seeks are shifted by the lead of libmpv 0.35's clock, so that
// what is heard starts at a and ends at b at every speed. libmpv's position
// is read as events come and every few milliseconds while playing.
//
// A libmpv message at warning level or above goes to the logging category
// "quillmar.mpv" (errors as critical); of a damaged picture's decoding errors
// only the first few, the rest are counted.
//
// A video without a sound track (or with none that decodes) is opened again
// with its picture, which then keeps the time: it plays, seeks and loops as
// any recording, silently, and isSoundless() tells it.
//
class MpvPlayer : public MediaPlayer, public VideoSource
{
    Q_OBJECT
public:
    // audioOutput: the libmpv audio outputs to try, in order. "null" is always
    // tried last, so the program still runs (silently) without a sound device.
    //
    // Returns at once: libmpv (the shared library `library`) is loaded and
    // set up on a worker thread, so the window can show meanwhile. Until it
    // is ready the player is Undefined with nothing open; speed, volume and
    // loop range are kept and handed on. setUrl() waits for it and then works
    // as usual; if libmpv could not be loaded or set up, setUrl() throws a
    // PlayerError that says why ("无法加载播放组件 libmpv：..."), every time.
    // Create it after LC_NUMERIC is set to "C".
    explicit MpvPlayer(const QString &audioOutput = QStringLiteral("pulse,alsa,null"),
                       QObject *parent = nullptr,
                       const QString &library = QStringLiteral("libmpv.so.2"));
    ~MpvPlayer() override;

    // Starts loading libmpv on its own thread; setUrl() starts it too and
    // waits for it. Nothing else starts it (speed, volume and loop are kept
    // until it is ready). The program starts it once its window shows, or at
    // once when it has a recording to open: loading competes with building
    // and showing the window.
    void startLoading();

    MpvPlayer(const MpvPlayer &) = delete;
    MpvPlayer &operator=(const MpvPlayer &) = delete;

    // A file that cannot be opened is reported later through errorOccurred,
    // and the player then goes back to Undefined.
    void setUrl(const QString &path) override;
    int playState() const override;
    QString status() const override;
    // play, pause, stop and seeking do nothing while no recording is loaded.
    void play() override;
    void pause() override;
    void stop() override;
    double currentPosition() const override;
    void setCurrentPosition(double seconds) override;
    double duration() const override;
    void close() override;
    void setSpeed(double factor) override;
    double speed() const override;
    void setVolume(int percent) override;
    int volume() const override;
    void setLoopRange(double a, double b) override;
    // Between startLoading() and the end of loading.
    bool isStarting() const override;

    // The picture, through libmpv's render API. Without it the player decodes
    // no video at all; vo=libmpv only while it is attached.
    bool hasVideo() const override;
    bool isSoundless() const override;
    void attachVideo(ProcAddress getProcAddress, void *context,
                     std::function<void()> frameReady) override;
    bool isVideoAttached() const override;
    void renderVideo(int framebuffer, int width, int height) override;
    void detachVideo() override;
    PictureCounts pictureCounts() const override;

private:
    // reply_userdata of the observed properties.
    enum PropertyId : std::uint64_t {
        EofReachedProperty = 1,
        PauseProperty,
        DurationProperty,
    };

    void finishStartup();
    // Takes over a finished start-up without waiting or starting one; true
    // once libmpv is usable.
    bool isReady();
    // Waits for the start-up; throws its failure.
    void waitUntilReady();
    QString mpvText(int error) const;
    void applyLoopRange();
    // Tells the model where libmpv is now.
    void sample();
    void drainEvents();
    void onPropertyChange(const mpv_event_property &property, std::uint64_t id);
    void onFlagChange(std::uint64_t id, bool value);
    void onLogMessage(const mpv_event_log_message &message);
    void onFileEnded(std::int64_t entryId, int reason, int error);
    void onPlaybackRestart();
    void finishAtEnd();
    void failOpening(const QString &path, const QString &reason);
    // loadfile, for the picture too when forPicture; libmpv's error code.
    int loadFile(const QString &path, bool forPicture);

    void setState(int state);
    void setPaused(bool paused);
    // To libmpv's time (see HeardPosition::clockTime).
    void seekTo(double seconds);
    void runCommand(const char **args, const QString &what);
    void setDoubleProperty(const char *name, double value);
    void setStringProperty(const char *name, const QByteArray &value);
    void observe(std::uint64_t id, const char *name, int format);
    double readDuration() const;
    bool readFlag(const char *name) const;
    void forgetRecording();

    // Written by the loading thread until it finishes, then read here only.
    std::unique_ptr<MpvStartup> m_startup;
    std::unique_ptr<QThread> m_loader;
    bool m_started = false;
    bool m_loading = false;
    const MpvApi *m_api = nullptr;
    mpv_handle *m_handle = nullptr;
    QString m_library;
    // The render context while the picture is shown; freed before the handle.
    std::unique_ptr<MpvVideo> m_video;
    bool m_hasVideo = false;
    // Opened again with its picture, having no sound to play; the picture's
    // clock drives it, and it is decoded while not shown.
    bool m_openedForPicture = false;
    bool m_soundless = false;
    int m_state = Undefined;
    QString m_path;
    // Playlist entry of the recording asked for by the last setUrl; 0 when none.
    // Events of entries replaced since are ignored.
    std::int64_t m_entryId = 0;
    std::int64_t m_startedEntryId = 0;
    // The recording is loaded: seeking and the time properties work.
    bool m_loaded = false;
    // stop() came while opening: opening ends in Stopped instead of Playing.
    bool m_stopWhenOpened = false;
    // Counts openings, so a failure queued for an earlier one is told apart.
    int m_openSerial = 0;
    // What is heard; fed by sample(), and by every seek, pause and play.
    HeardPosition m_heard;
    QElapsedTimer m_clock;
    QTimer m_sampler;
    // Length of the loaded recording, kept up to date by libmpv; 0 when none.
    double m_duration = 0.0;
    double m_speed = 1.0;
    int m_volume = 100;
    // The loop range as set; negative ends are unset.
    double m_loopA = -1.0;
    double m_loopB = -1.0;
};
