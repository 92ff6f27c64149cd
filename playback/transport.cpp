#include "playback/transport.h"

#include "platform/guard.h"
#include "platform/mediaplayer.h"
#include "playback/loopregion.h"
#include "playback/looprules.h"
#include "playback/playstate.h"
#include "playback/tdragtrackbar.h"
#include "playback/timetext.h"

#include <QLabel>
#include <QScopeGuard>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace {

constexpr int SeekBarMax = 5000;

// "<status> <position> / <length> ": the position label while a recording is
// paused or playing, and its preview while the seek bar is dragged.
QString positionText(const QString &status, double position, double length)
{
    return status + QLatin1Char(' ') + FormatTimePosition(false, position) + QStringLiteral(" / ")
           + FormatTimePosition(false, length) + QLatin1Char(' ');
}

} // namespace

Transport::Transport(MediaPlayer *player, LoopRegion *loop, TDragTrackBar *bar, QLabel *position,
                     const Guard *guard, QObject *parent)
    : QObject(parent), m_player(player), m_loop(loop), m_bar(bar), m_position(position),
      m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("Transport"));
    m_bar->setMaximum(SeekBarMax);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(100);
    connect(m_timer, &QTimer::timeout, this, guard->wrap([this] { tick(); }));
    m_timer->start();
}

void Transport::playOrPause()
{
    switch (m_player->playState()) {
    case MediaPlayer::Stopped:
    case MediaPlayer::Paused:
        m_player->play();
        break;
    case MediaPlayer::Playing:
        m_player->pause();
        break;
    default:
        break; // opening, buffering, ready...: nothing to toggle yet
    }
}

void Transport::stop()
{
    if (isPlaybackActive(*m_player))
        m_player->stop();
}

void Transport::playOnce(double start, double end)
{
    if (!isPlaybackActive(*m_player) || end <= start)
        return;
    // A second replay before the first one ended still comes back as the
    // first would have.
    if (!isPlayingOnce())
        m_pauseAfterOnce = m_player->playState() != MediaPlayer::Playing;
    m_onceEnd = end;
    m_lastPosition = -1.0;
    m_player->setCurrentPosition(start);
    if (m_player->playState() != MediaPlayer::Playing)
        m_player->play();
    if (!m_timer->isActive())
        m_timer->start();
}

void Transport::endPlayOnce()
{
    m_onceEnd = -1.0;
}

void Transport::playStateChanged(int newState)
{
    if (newState == MediaPlayer::Stopped) {
        endPlayOnce();
        m_loop->setPoints(-1.0, -1.0);
    }
    if (!m_timer->isActive())
        m_timer->start();
}

void Transport::tick()
{
    const int state = m_player->playState();
    // The tick keeps itself alive only while playing; a state change re-arms it.
    if (state != MediaPlayer::Playing) {
        m_timer->stop();
        m_lastPosition = -1.0;
    } else {
        if (!m_timer->isActive())
            m_timer->start();
        const double start = m_loop->start();
        const double end = m_loop->end();
        const double position = m_player->currentPosition();
        const double last = std::exchange(m_lastPosition, position);
        if (isPlayingOnce()) {
            // Heard to its end; or the player went back by itself (the exact
            // loop's end is the span's).
            if (position >= m_onceEnd || (last >= 0 && position < last - 0.05)) {
                endPlayOnce();
                m_lastPosition = -1.0;
                m_player->setCurrentPosition(start > 0 ? start : 0.0);
                if (m_pauseAfterOnce)
                    m_player->pause();
                Q_EMIT oncePlayed();
            }
            if (!m_dragging)
                updatePositionDisplay();
            return;
        }
        if (start > 0 && position < start) {
            m_player->setCurrentPosition(start);
            return;
        }
        if (end > 0 && position > end) {
            m_lastPosition = -1.0;
            m_player->setCurrentPosition(start > 0 ? start : 0.0);
            Q_EMIT loopWrapped();
            return;
        }
        // The player went back from about the end to about the start by itself.
        const double from = std::max(start, 0.0);
        if (end > 0 && last >= end - 0.3 && position < last && position <= from + 0.3)
            Q_EMIT loopWrapped();
    }
    if (!m_dragging)
        updatePositionDisplay();
}

void Transport::updatePositionDisplay()
{
    const QString status = m_player->status();
    double position = -1.0;
    if (isPlaybackActive(*m_player)) {
        position = m_player->currentPosition();
        const double length = m_player->duration();
        m_position->setText(positionText(status, position, length));
        // While the length is not known the thumb stays where it is.
        if (length > 0)
            m_bar->setValue(LoopRules::toBarUnits(position, length, m_bar->maximum()));
    } else {
        m_position->setText(status + QLatin1Char(' '));
        m_bar->setValue(0);
    }
    Q_EMIT positionShown(position);
}

void Transport::seekBarPressed()
{
    if (isPlaybackActive(*m_player))
        m_dragging = true;
}

void Transport::seekBarMoved(bool leftButtonHeld)
{
    if (!leftButtonHeld || !isPlaybackActive(*m_player))
        return;
    const double length = m_player->duration();
    const double previewed = length * m_bar->value() / m_bar->maximum();
    m_position->setText(positionText(m_player->status(), previewed, length));
}

void Transport::seekBarReleased()
{
    // The drag ends with the release even when the seek fails, or the display
    // would stay frozen until some later click on the bar.
    const auto endDrag = qScopeGuard([this] { m_dragging = false; });
    if (isPlaybackActive(*m_player)) {
        const double length = m_player->duration();
        m_player->setCurrentPosition(length
                                     * (static_cast<double>(m_bar->value()) / m_bar->maximum()));
    }
}
