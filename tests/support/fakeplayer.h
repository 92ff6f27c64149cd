#pragma once

#include "platform/mediaplayer.h"

#include <QStringList>

// A scripted player: tests set its state, position and length directly and
// read the calls it received. State changes are announced through the event
// loop, as the real player does.
class FakePlayer : public MediaPlayer
{
    Q_OBJECT
public:
    using MediaPlayer::MediaPlayer;

    void setUrl(const QString &path) override;
    int playState() const override;
    QString status() const override;
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
    bool isStarting() const override;

    // Ends the start-up begun with `starting = true`: started() follows
    // through the event loop, as from the real player.
    void finishStarting();

    // Scripting.
    int state = Stopped;
    double position = 0.0;
    double length = 0.0;
    QString statusText = QStringLiteral("已停止");
    QString url;
    // The practice controls as last set, unchanged (no limits applied).
    double speedFactor = 1.0;
    int volumePercent = 100;
    double loopA = -1.0;
    double loopB = -1.0;
    // When set, play() and pause() and setUrl() change the state as a real
    // player would (setUrl: Transitioning at once).
    bool followCommands = true;
    // Still starting, as the real player while libmpv loads. setUrl() then
    // finishes the start-up first, as the real one waits for it.
    bool starting = false;
    // Every call, in order: "url:<path>", "play", "pause", "stop", "close",
    // "seek:<seconds>" (setCurrentPosition), "pos" (currentPosition read),
    // "speed:<factor>", "volume:<percent>", "abloop:<a>,<b>".
    QStringList calls;
    // Names of calls that throw a PlayerError.
    QStringList failing;

    // Changes the state and queues the state-change signal.
    void setStateAndNotify(int newState);
    // Delivers queued signals now.
    static void flushEvents();

private:
    void record(const QString &call) const;
    mutable QStringList *m_calls = &calls;
};
