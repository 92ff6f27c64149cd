// Practice aids: playback speed, jumps back and forward, volume, and the
// player's own loop at the loop end.
#include "app/tform_main.h"

#include "feedback/feedbackstrip.h"
#include "lesson/lessoncontroller.h"
#include "platform/mediaplayer.h"
#include "playback/loopregion.h"
#include "playback/playstate.h"
#include "playback/transport.h"
#include "sentences/sentencetrack.h"
#include "settings/settingsstore.h"

#include <QAction>
#include <QLabel>
#include <QSlider>

#include <algorithm>
#include <cmath>

namespace {

// The speed's range, in tenths: the steps the speed keys take.
constexpr int SlowestTenths = static_cast<int>(Preferences::Speed.lowest * 10 + 0.5);
constexpr int FastestTenths = static_cast<int>(Preferences::Speed.highest * 10 + 0.5);

int tenthsOf(double speed)
{
    return int(std::lround(speed * 10.0));
}

} // namespace

PlayPlace TForm_Main::currentPlace() const
{
    MediaPlayer *player = m_services.player;
    PlayPlace place;
    place.loopStart = m_loop->start();
    place.loopEnd = m_loop->end();
    place.position = isPlaybackActive(*player) ? player->currentPosition() : -1.0;
    return place;
}

void TForm_Main::changeSpeed(int tenths)
{
    MediaPlayer *player = m_services.player;
    const int current = tenthsOf(player->speed());
    const int wanted =
        tenths == 0 ? 10 : std::clamp(current + tenths, SlowestTenths, FastestTenths);
    player->setSpeed(wanted / 10.0);
    showSpeed();
    m_settings->setNumber(Preferences::Speed, wanted / 10.0);
}

void TForm_Main::showSpeed()
{
    const int tenths = tenthsOf(m_services.player->speed());
    m_speedLabel->setText(
        tenths == 10 ? QString() : QString::number(tenths / 10.0, 'f', 1) + QStringLiteral("× "));
}

void TForm_Main::jump(double seconds)
{
    MediaPlayer *player = m_services.player;
    const int state = player->playState();
    if (state != MediaPlayer::Stopped && !isPlaybackActive(*player))
        return;
    const double from = player->currentPosition();
    const double length = player->duration();
    double to = std::max(0.0, from + seconds);
    if (length > 0)
        to = std::min(to, length);
    // Back from inside the loop region stays inside it; forward past its end
    // is wrapped by the loop itself.
    const double start = m_loop->start();
    const double end = m_loop->end();
    const bool insideLoop = from >= std::max(start, 0.0) && (end <= 0 || from <= end);
    if (seconds < 0 && start >= 0 && insideLoop)
        to = std::max(to, start);
    player->setCurrentPosition(to);
    UpdatePositionDisplay();
}

void TForm_Main::changeVolume(int step)
{
    m_volume->setValue(std::clamp(m_volume->value() + step, 0, 100));
}

void TForm_Main::showVolume()
{
    const QString percent = tr("%1%").arg(m_volume->value());
    m_volumeLabel->setText(percent);
    m_volume->setToolTip(tr("音量: %1").arg(percent));
}

void TForm_Main::applyExactLoop()
{
    // The player wraps at the loop end itself, within a few milliseconds; the
    // tick stays the safety net, and alone handles a loop with only a start.
    const double end = m_loop->end();
    if (m_exactLoop->isChecked() && end > 0)
        m_services.player->setLoopRange(std::max(m_loop->start(), 0.0), end);
    else
        m_services.player->setLoopRange(-1.0, -1.0);
}

void TForm_Main::loadPreferences()
{
    m_services.player->setSpeed(tenthsOf(m_settings->number(Preferences::Speed)) / 10.0);
    showSpeed();
    {
        const QSignalBlocker quiet(m_volume);
        m_volume->setValue(m_settings->whole(Preferences::Volume));
    }
    showVolume();
    m_services.player->setVolume(m_volume->value());
    m_exactLoop->setChecked(m_settings->flag(Preferences::ExactLoop));
    m_showFeedback->setChecked(m_settings->flag(Preferences::ShowFeedback));
    m_feedbackStrip->setVisible(m_showFeedback->isChecked());
    m_sentenceMode->setChecked(m_settings->flag(Preferences::SentenceMode));
    m_showSentenceList->setChecked(m_settings->flag(Preferences::SentenceList));
    m_hideAnswer->setChecked(m_settings->flag(Preferences::HideAnswer));
    m_lessonControl->setHideAnswer(m_hideAnswer->isChecked());
    m_lessonControl->setSwitchedOn(m_sentenceMode->isChecked());
    m_lessonControl->setPassMark(m_settings->whole(Preferences::PassMark));
    m_rewindStep = m_settings->number(Preferences::RewindStep);
    m_sentences->setLongestSentence(m_settings->number(Preferences::SentenceLength));
    showLanguageChoice();
    loadVideoPreferences();
    loadPlayPreferences();
}
