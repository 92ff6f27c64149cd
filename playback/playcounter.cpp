#include "playback/playcounter.h"

#include "platform/mediaplayer.h"
#include "playback/loopregion.h"

#include <QTimer>

#include <algorithm>

PlayCounter::PlayCounter(MediaPlayer *player, LoopRegion *loop, QObject *parent)
    : QObject(parent), m_player(player), m_loop(loop), m_rest(new QTimer(this))
{
    setObjectName(QStringLiteral("PlayCounter"));
    m_rest->setObjectName(QStringLiteral("Timer_PlayRest"));
    m_rest->setSingleShot(true);
    m_rest->setInterval(800);
    connect(m_rest, &QTimer::timeout, this, [this] {
        // The learner may have played or stopped it meanwhile.
        if (m_player->playState() == MediaPlayer::Paused)
            m_player->play();
    });
}

PlayCounter::Next PlayCounter::afterPlay(int played, int wanted)
{
    if (wanted <= 0)
        return Next::Again;
    return played < wanted ? Next::AgainAfterRest : Next::Wait;
}

void PlayCounter::setPlaysPerSentence(int plays)
{
    m_wanted = std::max(0, plays);
    restart();
}

void PlayCounter::setRest(int ms)
{
    m_rest->setInterval(ms);
}

void PlayCounter::loopEnded()
{
    ++m_played;
    const Next next = afterPlay(m_played, m_wanted);
    if (next == Next::Again)
        return;
    // Back at the start, quiet: the next play (or the learner) starts from there.
    m_player->pause();
    m_player->setCurrentPosition(std::max(m_loop->start(), 0.0));
    if (next == Next::AgainAfterRest) {
        m_rest->start();
        return;
    }
    m_waiting = true;
    Q_EMIT waiting();
}

void PlayCounter::restart()
{
    m_played = 0;
    m_waiting = false;
    m_rest->stop();
}

double rewoundPosition(double position, double rewind, double loopStart)
{
    if (rewind <= 0)
        return position;
    const double floor = loopStart >= 0 && loopStart <= position ? loopStart : 0.0;
    return std::max(position - rewind, floor);
}
