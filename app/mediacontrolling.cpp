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
#include <QPointer>

namespace {

// Tells the media controls what plays.
void reportPlayState(MediaControls &controls, const MediaPlayer &player, const QString &recording)
{
    MediaControls::State state;
    switch (player.playState()) {
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
    if (!recording.isEmpty())
        state.title = QFileInfo(recording).completeBaseName();
    if (isPlaybackActive(player)) {
        state.position = player.currentPosition();
        state.length = std::max(0.0, player.duration());
    }
    controls.setState(state);
}

} // namespace

void TForm_Main::attachMediaControls(MediaControls *controls)
{
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
    // Told what plays for as long as both are there.
    const auto report = [this, told = QPointer<MediaControls>(controls), player] {
        if (told)
            reportPlayState(*told, *player, m_recording->path());
    };
    connect(m_transport, &Transport::positionShown, this, report);
    connect(player, &MediaPlayer::playStateChanged, this, report);
    report();
}
