#pragma once

#include <QObject>

class Guard;
class LoopRegion;
class MediaPlayer;
class QLabel;
class QTimer;
class TDragTrackBar;

// Play, pause and stop; the 100 ms tick that keeps playback inside the loop
// region and refreshes the position label and the seek bar's thumb; and
// seeking by dragging the seek bar.
class Transport : public QObject
{
    Q_OBJECT
public:
    // The tick runs under the guard, which shows a failing player call.
    Transport(MediaPlayer *player, LoopRegion *loop, TDragTrackBar *bar, QLabel *position,
              const Guard *guard, QObject *parent);

    void playOrPause();
    void stop();
    // The player reported a new state: stopping clears the loop region, and
    // the tick runs again for at least one refresh.
    void playStateChanged(int newState);
    void tick();
    // Plays the span once, then goes back to the start of the loop, playing
    // on or paused there as playback was before, and the loop goes on.
    // Another command that moves playback (a new loop, a stop) ends it.
    void playOnce(double start, double end);
    void endPlayOnce();
    bool isPlayingOnce() const { return m_onceEnd >= 0; }
    void updatePositionDisplay();

    bool isDragging() const { return m_dragging; }
    void seekBarPressed();
    void seekBarMoved(bool leftButtonHeld);
    void seekBarReleased();

Q_SIGNALS:
    // The position display was refreshed (every tick while playing): the
    // position, or -1 while nothing plays.
    void positionShown(double seconds);
    // A play of the loop reached its end: the tick wrapped it, or the
    // player did (exact loop) and the tick saw the position go back.
    void loopWrapped();
    // The span played once was heard to its end.
    void oncePlayed();

private:
    MediaPlayer *m_player;
    LoopRegion *m_loop;
    TDragTrackBar *m_bar;
    QLabel *m_position;
    QTimer *m_timer;
    bool m_dragging = false;
    double m_lastPosition = -1.0;
    double m_onceEnd = -1.0; // -1: nothing is played once
    bool m_pauseAfterOnce = false;
};
