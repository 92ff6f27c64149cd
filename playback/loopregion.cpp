// The loop region: storing, rendering and the loop commands.
#include "app/tform_main.h"

#include "platform/mediaplayer.h"
#include "playback/looprules.h"
#include "playback/tdragtrackbar.h"

#include <QLabel>

bool TForm_Main::IsPlaybackActive() const
{
    const int state = m_services.player->playState();
    return state == MediaPlayer::Paused || state == MediaPlayer::Playing;
}

void TForm_Main::SetLoopPoints(double start, double end)
{
    LoopRules::Points stored{LoopStart, LoopEnd};
    switch (LoopRules::store(IsPlaybackActive(), start, end, {LoopStart, LoopEnd}, &stored)) {
    case LoopRules::Outcome::Cleared:
        LoopStart = LoopEnd = -1.0;
        UpdateLoopInfo(-1.0, -1.0);
        return;
    case LoopRules::Outcome::Refused:
    case LoopRules::Outcome::Unchanged:
        return;
    case LoopRules::Outcome::Stored:
        LoopStart = stored.start;
        LoopEnd = stored.end;
        // Rendered from the request, not from what was stored.
        UpdateLoopInfo(start, end);
        return;
    }
}

void TForm_Main::UpdateLoopInfo(double start, double end)
{
    const bool needsLength = !(start < 0 && end <= 0);
    const double length = needsLength ? m_services.player->duration() : 0.0;
    // An unknown length keeps the previous selection rather than dividing by zero.
    if (const auto selection = LoopRules::selectionFor(start, end, length, DragTrackBar1->maximum()))
        DragTrackBar1->setSelection(selection->first, selection->second);
    Label_LoopInfo->setText(LoopRules::loopInfoText(start, end));
}

void TForm_Main::Action_SetStartPointExecute()
{
    if (!IsPlaybackActive())
        return;
    SetLoopPoints(m_services.player->currentPosition(), LoopEnd);
    FocusDictationLine();
}

void TForm_Main::Action_SetEndPointExecute()
{
    if (!IsPlaybackActive())
        return;
    SetLoopPoints(LoopStart, m_services.player->currentPosition());
    FocusDictationLine();
}

void TForm_Main::Action_SetEndPointAndPauseExecute()
{
    if (!IsPlaybackActive())
        return;
    m_services.player->pause();
    SetLoopPoints(LoopStart, m_services.player->currentPosition());
    FocusDictationLine();
}

void TForm_Main::Action_SetEndpointAsStartpointExecute()
{
    if (LoopEnd > 0)
        SetLoopPoints(LoopEnd, -1.0);
}

void TForm_Main::Action_DeleteStartPointExecute()
{
    if (IsPlaybackActive())
        SetLoopPoints(-1.0, LoopEnd);
}

void TForm_Main::Action_DeleteEndPointExecute()
{
    if (IsPlaybackActive())
        SetLoopPoints(LoopStart, -1.0);
}

void TForm_Main::Action_ClearLoopPointExecute()
{
    SetLoopPoints(-1.0, -1.0);
}

void TForm_Main::Action_MicroBackStartPointExecute()
{
    if (IsPlaybackActive())
        SetLoopPoints(LoopStart - LoopRules::NudgeStep, LoopEnd);
}

void TForm_Main::Action_MicroForwardStartPointExecute()
{
    if (IsPlaybackActive())
        SetLoopPoints(LoopStart + LoopRules::NudgeStep, LoopEnd);
}

void TForm_Main::Action_MicroBackEndPointExecute()
{
    if (IsPlaybackActive())
        SetLoopPoints(LoopStart, LoopEnd - LoopRules::NudgeStep);
}

void TForm_Main::Action_MicroForwardEndPointExecute()
{
    if (IsPlaybackActive())
        SetLoopPoints(LoopStart, LoopEnd + LoopRules::NudgeStep);
}
