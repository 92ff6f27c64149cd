#pragma once

#include <QObject>
#include <QString>

// The desktop's media controls: media keys, foot pedals that send them, the
// sound menu. Each platform implements this small interface (the Linux one
// over D-Bus, mprisservice.h); the window answers its requests and tells it
// what plays.
class MediaControls : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    enum class Status { Stopped, Paused, Playing };
    struct State {
        Status status = Status::Stopped;
        QString title;         // empty: nothing open
        double position = 0.0; // seconds
        double length = 0.0;   // seconds; 0 while unknown
    };
    // What plays now; the desktop is told of changes of status and title.
    virtual void setState(const State &state) = 0;

Q_SIGNALS:
    void playPauseRequested();
    void playRequested();
    void pauseRequested();
    void stopRequested();
    void nextRequested();
    void previousRequested();
    // Move by this many seconds (negative: back).
    void seekRequested(double offset);
    // Go to this time.
    void positionRequested(double seconds);
    // Bring the window to the front.
    void raiseRequested();
};
