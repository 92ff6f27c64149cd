// The desktop's media controls (media keys, foot pedals, the sound menu):
// their requests go where the window's own commands go, and they are told
// what plays.
#include "app/tform_main.h"

#include "platform/mediacontrols.h"
#include "platform/mediaplayer.h"
#include "playback/playstate.h"
#include "playback/recording.h"
#include "playback/transport.h"

#include <QFileInfo>

void TForm_Main::attachMediaControls(MediaControls *controls)
{
    m_mediaControls = controls;
    if (!controls)
        return;
    MediaPlayer *player = m_services.player;
    connect(controls, &MediaControls::playPauseRequested, this,
            m_guard.wrap([this] { PlayOrPause(); }));
    connect(controls, &MediaControls::playRequested, this, m_guard.wrap([this, player] {
        if (player->playState() != MediaPlayer::Playing)
            PlayOrPause();
    }));
    connect(controls, &MediaControls::pauseRequested, this, m_guard.wrap([this, player] {
        if (player->playState() == MediaPlayer::Playing)
            PlayOrPause();
    }));
    connect(controls, &MediaControls::stopRequested, this,
            m_guard.wrap([this] { StopPlayback(); }));
    connect(controls, &MediaControls::nextRequested, this,
            m_guard.wrap([this] { NextSentence(); }));
    connect(controls, &MediaControls::previousRequested, this,
            m_guard.wrap([this] { PreviousSentence(); }));
    connect(controls, &MediaControls::seekRequested, this,
            m_guard.wrap([this](double offset) { jump(offset); }));
    connect(controls, &MediaControls::positionRequested, this,
            m_guard.wrap([player](double seconds) {
                if (isPlaybackActive(*player))
                    player->setCurrentPosition(std::min(seconds, player->duration()));
            }));
    connect(controls, &MediaControls::raiseRequested, this, [this] {
        showNormal();
        raise();
        activateWindow();
    });
    connect(m_transport, &Transport::positionShown, this, [this] { tellMediaControls(); });
    connect(player, &MediaPlayer::playStateChanged, this, [this] { tellMediaControls(); });
    tellMediaControls();
}

void TForm_Main::tellMediaControls()
{
    if (!m_mediaControls)
        return;
    MediaPlayer *player = m_services.player;
    MediaControls::State state;
    switch (player->playState()) {
    case MediaPlayer::Playing:
        state.status = MediaControls::Status::Playing;
        break;
    case MediaPlayer::Paused:
        state.status = MediaControls::Status::Paused;
        break;
    default:
        state.status = MediaControls::Status::Stopped;
        break;
    }
    const QString path = m_recording->path();
    if (!path.isEmpty())
        state.title = QFileInfo(path).completeBaseName();
    if (isPlaybackActive(*player)) {
        state.position = player->currentPosition();
        state.length = std::max(0.0, player->duration());
    }
    m_mediaControls->setState(state);
}
