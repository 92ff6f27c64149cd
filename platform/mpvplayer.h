#pragma once

#include "platform/mediaplayer.h"

#include <QString>

#include <cstdint>
#include <optional>

struct mpv_handle;

// The product's player, on libmpv. One recording at a time, audio only.
//
// States it reports: Undefined (nothing open, also after close() and after a
// recording failed to open), Transitioning (opening, right after setUrl),
// Playing, Paused, Stopped (loaded, at position 0), and MediaEnded, which a
// recording that plays out reports just before Stopped.
//
// status() texts: Undefined "就绪", Transitioning "正在打开", Playing
// "正在播放", Paused "已暂停", Stopped "已停止", MediaEnded "播放结束".
//
// Needs LC_NUMERIC set to "C" before it is created (a libmpv requirement).
class MpvPlayer : public MediaPlayer
{
    Q_OBJECT
public:
    // audioOutput: the libmpv audio outputs to try, in order. "null" is always
    // tried last, so the program still runs (silently) without a sound device.
    // Throws AppError when libmpv cannot be set up.
    explicit MpvPlayer(const QString &audioOutput = QStringLiteral("pulse,alsa,null"),
                       QObject *parent = nullptr);
    ~MpvPlayer() override;

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

private:
    // reply_userdata of the observed properties.
    enum PropertyId : std::uint64_t {
        EofReachedProperty = 1,
        PauseProperty,
    };

    void drainEvents();
    void onPropertyChange(std::uint64_t id, bool value);
    void onFileEnded(std::int64_t entryId, int reason, int error);
    void onPlaybackRestart();
    void finishAtEnd();
    void failOpening(const QString &path, const QString &reason);

    void setState(int state);
    void setPaused(bool paused);
    void seekTo(double seconds);
    void runCommand(const char **args, const QString &what);
    bool readFlag(const char *name) const;
    void forgetRecording();

    mpv_handle *m_handle = nullptr;
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
    // The position to report while libmpv's own is not right yet: after a
    // seek made while paused libmpv reports a position short of the target by
    // its output buffer, after a seek made while playing the old position
    // until the seek has run, and after a pause a position still moving.
    std::optional<double> m_heldPosition;
};
