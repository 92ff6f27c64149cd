#include "playback/loopregion.h"

#include "platform/blanks.h"
#include "playback/looprules.h"
#include "playback/playstate.h"
#include "playback/tdragtrackbar.h"

#include <QLabel>

LoopRegion::LoopRegion(MediaPlayer *player, TDragTrackBar *bar, QLabel *info, QObject *parent)
    : QObject(parent), m_player(player), m_bar(bar), m_info(info)
{
    setObjectName(QStringLiteral("LoopRegion"));
}

QString LoopRegion::infoText(InterfaceLanguage language) const
{
    return trimBlanks(LoopRules::loopInfoText(m_shownStart, m_shownEnd, language));
}

void LoopRegion::setPoints(double start, double end)
{
    LoopRules::Points stored{m_start, m_end};
    switch (LoopRules::store(isPlaybackActive(*m_player), start, end, {m_start, m_end}, &stored)) {
    case LoopRules::Outcome::Cleared: {
        const bool wasSet = m_start != -1.0 || m_end != -1.0;
        m_start = m_end = -1.0;
        show(-1.0, -1.0);
        if (wasSet)
            Q_EMIT changed(m_start, m_end);
        return;
    }
    case LoopRules::Outcome::Refused:
    case LoopRules::Outcome::Unchanged:
        return;
    case LoopRules::Outcome::Stored:
        m_start = stored.start;
        m_end = stored.end;
        // Shown from the request, not from what was stored.
        show(start, end);
        Q_EMIT changed(m_start, m_end);
        return;
    }
}

void LoopRegion::show(double start, double end)
{
    const bool needsLength = !(start < 0 && end <= 0);
    const double length = needsLength ? m_player->duration() : 0.0;
    // An unknown length keeps the previous selection rather than dividing by zero.
    if (const auto selection = LoopRules::selectionFor(start, end, length, m_bar->maximum()))
        m_bar->setSelection(selection->first, selection->second);
    m_shownStart = start;
    m_shownEnd = end;
    m_info->setText(LoopRules::loopLabelText(start, end));
}

bool LoopRegion::setStartHere()
{
    if (!isPlaybackActive(*m_player))
        return false;
    setPoints(m_player->currentPosition(), m_end);
    return true;
}

bool LoopRegion::setEndHere()
{
    if (!isPlaybackActive(*m_player))
        return false;
    setPoints(m_start, m_player->currentPosition());
    return true;
}

bool LoopRegion::setEndHereAndPause()
{
    if (!isPlaybackActive(*m_player))
        return false;
    m_player->pause();
    setPoints(m_start, m_player->currentPosition());
    return true;
}

void LoopRegion::endAsStart()
{
    if (m_end > 0)
        setPoints(m_end, -1.0);
}

void LoopRegion::deleteStart()
{
    if (isPlaybackActive(*m_player))
        setPoints(-1.0, m_end);
}

void LoopRegion::deleteEnd()
{
    if (isPlaybackActive(*m_player))
        setPoints(m_start, -1.0);
}

void LoopRegion::clear()
{
    setPoints(-1.0, -1.0);
}

void LoopRegion::nudgeStart(double seconds)
{
    if (isPlaybackActive(*m_player))
        setPoints(m_start + seconds, m_end);
}

void LoopRegion::nudgeEnd(double seconds)
{
    if (isPlaybackActive(*m_player))
        setPoints(m_start, m_end + seconds);
}
