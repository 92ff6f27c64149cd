#pragma once

#include "platform/qttranslations.h"

#include <QObject>

class MediaPlayer;
class QLabel;
class TDragTrackBar;

// The loop region: its two points (seconds, -1.0 when unset), the loop label
// and the seek bar's selection that show it, and the loop commands. Every
// change goes through setPoints, which keeps the points valid.
class LoopRegion : public QObject
{
    Q_OBJECT
public:
    LoopRegion(MediaPlayer *player, TDragTrackBar *bar, QLabel *info, QObject *parent);

    double start() const { return m_start; }
    double end() const { return m_end; }
    // The points the loop label shows, in the words written into records
    // of that language.
    QString infoText(InterfaceLanguage language = InterfaceLanguage::Chinese) const;

    // Stores the requested points by the loop rules and shows them.
    void setPoints(double start, double end);

    // The commands. Those that need active playback return false without
    // doing anything when there is none.
    bool setStartHere();
    bool setEndHere();
    bool setEndHereAndPause();
    void endAsStart();
    void deleteStart();
    void deleteEnd();
    void clear();
    void nudgeStart(double seconds);
    void nudgeEnd(double seconds);

Q_SIGNALS:
    // After the stored points changed.
    void changed(double start, double end);

private:
    void show(double start, double end);

    MediaPlayer *m_player;
    TDragTrackBar *m_bar;
    QLabel *m_info;
    double m_start = -1.0;
    double m_end = -1.0;
    // What the label shows: the request, which may differ from what was stored.
    double m_shownStart = -1.0;
    double m_shownEnd = -1.0;
};
