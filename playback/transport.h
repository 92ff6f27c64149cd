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

private:
    MediaPlayer *m_player;
    LoopRegion *m_loop;
    TDragTrackBar *m_bar;
    QLabel *m_position;
    QTimer *m_timer;
    bool m_dragging = false;
    double m_lastPosition = -1.0;
};
