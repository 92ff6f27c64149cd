// The play state shown on the play button, how often a sentence plays before
// the learner is waited for, and going back a little when the learner pauses.
#include "app/tform_main.h"

#include "dictation/dictationline.h"
#include "lesson/lessoncontroller.h"
#include "platform/imagelist.h"
#include "platform/mediaplayer.h"
#include "platform/videosource.h"
#include "playback/loopregion.h"
#include "playback/playcounter.h"
#include "playback/transport.h"
#include "sentences/sentencetrack.h"
#include "settings/settingsstore.h"
#include "video/videopane.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

void TForm_Main::wirePlayCounter()
{
    m_playCounter = new PlayCounter(m_services.player, m_loop, this);
    connect(m_transport, &Transport::loopWrapped, this,
            m_guard.wrap([this] { m_playCounter->loopEnded(); }));
    // A new sentence, a new attempt: the plays are counted afresh.
    connect(m_loop, &LoopRegion::changed, m_playCounter, &PlayCounter::restart);
    connect(m_dictationLine, &DictationLine::applyRequested, m_playCounter, &PlayCounter::restart);
    connect(m_playCounter, &PlayCounter::waiting, this, [this] {
        statusBar()->showMessage(
            tr("本句已播放 %1 遍，按 Ctrl+R 再听").arg(m_playCounter->playsPerSentence()), 5000);
    });
}

void TForm_Main::loadPlayPreferences()
{
    m_playCounter->setPlaysPerSentence(m_settings->whole(Preferences::PlaysPerSentence));
    m_rewindOnPause = m_settings->number(Preferences::RewindOnPause);
}

void TForm_Main::PlayOrPause()
{
    MediaPlayer *player = m_services.player;
    const bool pausing = player->playState() == MediaPlayer::Playing;
    // Played again after the plays were made: as many again.
    if (!pausing && m_playCounter->isWaiting())
        m_playCounter->restart();
    m_transport->playOrPause();
    if (pausing && m_rewindOnPause > 0) {
        const double position = player->currentPosition();
        player->setCurrentPosition(rewoundPosition(position, m_rewindOnPause, m_loop->start()));
    }
}

void TForm_Main::createPracticeMenu()
{
    QMenu *practice = menuBar()->addMenu(tr("练习"));
    practice->setObjectName(QStringLiteral("Menu_Practice"));
    for (const char *name :
         {"Action_SentenceMode", "Action_PreviousSentence", "Action_RepeatSentence",
          "Action_ReplayWord", "Action_NextSentence", "Action_SkipSentence", "Action_Hint",
          "Action_ShowSentenceAnswer", "", "Action_Review", "Action_Stats"}) {
        if (*name)
            practice->addAction(action(QLatin1String(name)));
        else
            practice->addSeparator();
    }
}

PracticeSettings TForm_Main::practiceSettings() const
{
    PracticeSettings practice;
    practice.sentenceMode = m_sentenceMode->isChecked();
    practice.passMark = m_settings->whole(Preferences::PassMark);
    practice.sentenceLength = m_sentences->longestSentence();
    practice.playsPerSentence = m_playCounter->playsPerSentence();
    practice.hideAnswer = m_hideAnswer->isChecked();
    practice.exactLoop = m_exactLoop->isChecked();
    practice.rewindOnPause = m_rewindOnPause;
    return practice;
}

void TForm_Main::applyPracticeSettings(const PracticeSettings &practice)
{
    // The switches go through their commands, which keep and apply them.
    const std::pair<QAction *, bool> switches[] = {
        {m_sentenceMode, practice.sentenceMode},
        {m_hideAnswer, practice.hideAnswer},
        {m_exactLoop, practice.exactLoop},
    };
    for (const auto &[command, on] : switches) {
        if (command->isChecked() != on)
            command->trigger();
    }
    m_lessonControl->setPassMark(practice.passMark);
    m_settings->setWhole(Preferences::PassMark, practice.passMark);
    m_settings->setNumber(Preferences::SentenceLength, practice.sentenceLength);
    m_sentences->setLongestSentence(m_settings->number(Preferences::SentenceLength));
    m_playCounter->setPlaysPerSentence(practice.playsPerSentence);
    m_settings->setWhole(Preferences::PlaysPerSentence, practice.playsPerSentence);
    m_rewindOnPause = practice.rewindOnPause;
    m_settings->setNumber(Preferences::RewindOnPause, practice.rewindOnPause);
}

void TForm_Main::WindowsMediaPlayer_MainPlayStateChange(int newState)
{
    m_transport->playStateChanged(newState);
    UpdatePlayPauseAction();
    if (newState == MediaPlayer::Playing || newState == MediaPlayer::Paused) {
        resumePlace();
        m_lessonControl->startWhenReady();
        m_videoPane->setRecordingHasVideo(m_services.video && m_services.video->hasVideo());
    }
}

void TForm_Main::UpdatePlayPauseAction()
{
    QAction *command = action(QStringLiteral("Action_PlayAndPause"));
    const int state = m_services.player->playState();
    int image = -1;
    switch (state) {
    case MediaPlayer::Playing:
        command->setText(tr("暂停(&P)"));
        command->setToolTip(tr("暂停"));
        image = 27;
        break;
    case MediaPlayer::Buffering:
    case MediaPlayer::Waiting:
    case MediaPlayer::Transitioning:
    case MediaPlayer::Ready:
    case MediaPlayer::MediaEnded:
    case MediaPlayer::ScanForward:
    case MediaPlayer::ScanReverse:
    case MediaPlayer::Reconnecting:
        return; // on the way to a state: the button waits for it
    case MediaPlayer::Undefined:
        // Nothing open: a button left showing pause goes back to play (the
        // stop's notice may arrive after the close); otherwise it stays.
        if (command->property("imageIndex").toInt() != 27)
            return;
        [[fallthrough]];
    default:
        // Nothing plays: stopped, paused, ended or failed. The state shown is
        // the one read now, not the one the notice reported.
        command->setText(tr("播放(&P)"));
        command->setToolTip(tr("播放"));
        image = 29;
        break;
    }
    command->setEnabled(true);
    command->setIcon(imageListIcon(image));
    command->setProperty("imageIndex", image);
}
