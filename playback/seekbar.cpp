// Dragging the seek bar: preview while dragging, seek on release.
#include "app/tform_main.h"

#include "platform/mediaplayer.h"
#include "playback/tdragtrackbar.h"
#include "playback/timetext.h"

#include <QLabel>
#include <QScopeGuard>

void TForm_Main::DragTrackBar1MouseDown()
{
    if (IsPlaybackActive())
        SeekBarDragging = true;
}

void TForm_Main::DragTrackBar1MouseMove(bool leftButtonHeld)
{
    if (!leftButtonHeld || !IsPlaybackActive())
        return;
    MediaPlayer *player = m_services.player;
    const double length = player->duration();
    const double previewed = length * DragTrackBar1->value() / DragTrackBar1->maximum();
    Label_CurrentPostion->setText(player->status() + QLatin1Char(' ')
                                  + FormatTimePosition(false, previewed) + QStringLiteral(" / ")
                                  + FormatTimePosition(false, length) + QLatin1Char(' '));
}

void TForm_Main::DragTrackBar1MouseUp()
{
    // The drag ends with the release even when the seek fails, or the display
    // would stay frozen until some later click on the bar.
    const auto endDrag = qScopeGuard([this] { SeekBarDragging = false; });
    if (IsPlaybackActive()) {
        const double length = m_services.player->duration();
        m_services.player->setCurrentPosition(
            length * (static_cast<double>(DragTrackBar1->value()) / DragTrackBar1->maximum()));
    }
}
