#pragma once

#include <QObject>

class LoopRegion;
class MediaPlayer;
class QTimer;

// Plays the loop a set number of times, then waits for the learner
// ("每句播放次数"; 0, the default, loops until Enter as always). Between two
// plays it rests a moment at the loop start. The count starts again for a
// new loop region, a new attempt and Ctrl+R.
class PlayCounter : public QObject
{
    Q_OBJECT
public:
    PlayCounter(MediaPlayer *player, LoopRegion *loop, QObject *parent);

    // What follows the end of a play, given the plays made (this one
    // included) and the plays wanted (0: no limit).
    enum class Next { Again, AgainAfterRest, Wait };
    static Next afterPlay(int played, int wanted);

    void setPlaysPerSentence(int plays);
    int playsPerSentence() const { return m_wanted; }
    // The rest between two plays, in milliseconds.
    void setRest(int ms);
    int played() const { return m_played; }
    bool isWaiting() const { return m_waiting; }

    // A play of the loop ended (the tick wrapped it, or the player did).
    void loopEnded();
    // The count starts again; a pending rest is called off.
    void restart();

Q_SIGNALS:
    // All the plays were made: playback waits at the loop start.
    void waiting();

private:
    MediaPlayer *m_player;
    LoopRegion *m_loop;
    QTimer *m_rest;
    int m_wanted = 0;
    int m_played = 0;
    bool m_waiting = false;
};

// Where playback goes back to when the learner pauses, `rewind` seconds
// earlier but not before the loop start (unset: -1) or the recording's start.
double rewoundPosition(double position, double rewind, double loopStart);
