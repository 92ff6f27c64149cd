// Play/pause and stop, the play-state handler and the 100 ms tick.
#include "app/tform_main.h"

#include "app/imagelist.h"
#include "platform/mediaplayer.h"
#include "playback/looprules.h"
#include "playback/tdragtrackbar.h"
#include "playback/timetext.h"

#include <QAction>
#include <QLabel>
#include <QTimer>

#include <cmath>

void TForm_Main::PlayOrPause()
{
    MediaPlayer *player = m_services.player;
    switch (player->playState()) {
    case MediaPlayer::Stopped:
    case MediaPlayer::Paused:
        player->play();
        break;
    case MediaPlayer::Playing:
        player->pause();
        break;
    default:
        break; // opening, buffering, ready...: nothing to toggle yet
    }
}

void TForm_Main::StopPlayback()
{
    if (IsPlaybackActive())
        m_services.player->stop();
}

void TForm_Main::WindowsMediaPlayer_MainPlayStateChange(int newState)
{
    if (newState == MediaPlayer::Stopped)
        SetLoopPoints(-1.0, -1.0);
    UpdatePlayPauseAction();
    if (!Timer1->isActive())
        Timer1->start();
}

void TForm_Main::UpdatePlayPauseAction()
{
    QAction *command = action(QStringLiteral("Action_PlayAndPause"));
    const int state = m_services.player->playState();
    int image = -1;
    if (state == MediaPlayer::Stopped || state == MediaPlayer::Paused) {
        command->setText(QStringLiteral("播放(&P)"));
        command->setToolTip(QStringLiteral("播放"));
        image = 29;
    } else if (state == MediaPlayer::Playing) {
        command->setText(QStringLiteral("暂停(&P)"));
        command->setToolTip(QStringLiteral("暂停"));
        image = 27;
    } else {
        return;
    }
    command->setEnabled(true);
    command->setIcon(imageListIcon(image));
    command->setProperty("imageIndex", image);
}

void TForm_Main::Timer1Timer()
{
    MediaPlayer *player = m_services.player;
    const int state = player->playState();
    // The tick keeps itself alive only while playing; a state change re-arms it.
    if (state == MediaPlayer::Playing) {
        if (!Timer1->isActive())
            Timer1->start();
    } else {
        Timer1->stop();
    }
    if (state == MediaPlayer::Playing) {
        if (LoopStart > 0) {
            if (player->currentPosition() < LoopStart) {
                player->setCurrentPosition(LoopStart);
                return;
            }
        }
        if (LoopEnd > 0) {
            if (player->currentPosition() > LoopEnd) {
                player->setCurrentPosition(LoopStart > 0 ? LoopStart : 0.0);
                return;
            }
        }
    }
    if (!SeekBarDragging)
        UpdatePositionDisplay();
}

void TForm_Main::UpdatePositionDisplay()
{
    MediaPlayer *player = m_services.player;
    const int state = player->playState();
    const QString status = player->status();
    if (state == MediaPlayer::Paused || state == MediaPlayer::Playing) {
        const double position = player->currentPosition();
        const double length = player->duration();
        Label_CurrentPostion->setText(status + QLatin1Char(' ') + FormatTimePosition(false, position)
                                      + QStringLiteral(" / ") + FormatTimePosition(false, length)
                                      + QLatin1Char(' '));
        // While the length is not known the thumb stays where it is.
        if (length > 0)
            DragTrackBar1->setValue(LoopRules::toBarUnits(position, length, DragTrackBar1->maximum()));
    } else {
        Label_CurrentPostion->setText(status + QLatin1Char(' '));
        DragTrackBar1->setValue(0);
    }
}
