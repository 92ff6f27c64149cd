#pragma once

#include <QObject>
#include <QString>

// The player the main window drives: open by path, transport, position in
// seconds, length, play state and a state-change signal. The product uses the
// libmpv back end; tests use a scripted fake.
class MediaPlayer : public QObject
{
    Q_OBJECT
public:
    // Play states as the window understands them. Only 1, 2 and 3 are told
    // apart by the window; the others mark transitions.
    enum PlayState : int {
        Undefined = 0,
        Stopped = 1,
        Paused = 2,
        Playing = 3,
        ScanForward = 4,
        ScanReverse = 5,
        Buffering = 6,
        Waiting = 7,
        MediaEnded = 8,
        Transitioning = 9,
        Ready = 10,
        Reconnecting = 11,
    };

    using QObject::QObject;
    ~MediaPlayer() override = default;

    // Opens the recording at a full path and starts playing it by itself
    // (auto-start). Returns at once; the state reaches Playing later.
    virtual void setUrl(const QString &path) = 0;
    virtual int playState() const = 0;
    // A short text for the state, shown in the position label.
    virtual QString status() const = 0;
    virtual void play() = 0;
    virtual void pause() = 0;
    // Keeps the recording loaded, back at position 0.
    virtual void stop() = 0;
    virtual double currentPosition() const = 0;
    virtual void setCurrentPosition(double seconds) = 0;
    // Length of the open recording in seconds; 0 while not known.
    virtual double duration() const = 0;
    // Releases the recording.
    virtual void close() = 0;

    // Practice controls. They may be set at any time, also with nothing open,
    // and hold for every recording opened later.

    // Playback speed as a factor, kept within 0.5-1.5; the pitch stays as
    // recorded. Positions and the duration are always in the recording's own
    // time, whatever the speed.
    virtual void setSpeed(double factor) = 0;
    virtual double speed() const = 0;
    // Loudness in percent on a perceptual scale, kept within 0-100;
    // 100 is the recording as it is.
    virtual void setVolume(int percent) = 0;
    virtual int volume() const = 0;
    // The player's own loop from a to b seconds, wrapping without waiting for
    // the window's tick; a negative value leaves that end unset. The window
    // keeps it equal to its loop points. See the back end for what it does
    // with only one end set.
    virtual void setLoopRange(double a, double b) = 0;

    // True while the back end is still starting in the background (the
    // product loads libmpv after the window shows). Everything above may be
    // called meanwhile: setUrl() waits for the start-up to end. Opens that
    // need not happen at once are better held until started(), so the
    // window keeps painting.
    virtual bool isStarting() const { return false; }

Q_SIGNALS:
    // Raised after every change of the play state, always from the event loop,
    // never from inside one of the calls above.
    void playStateChanged(int newState);
    // A failure found after a call had returned (for example a recording that
    // turns out to be undecodable while it is being opened).
    void errorOccurred(const QString &text);
    // A background start-up has ended, successfully or not; raised once, from
    // the event loop, after isStarting() has turned false.
    void started();
};
