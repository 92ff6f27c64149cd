// Sentences: the commands that loop one sentence after another, and the
// waveform strip and sentence label that follow playback.
#include "app/tform_main.h"

#include "platform/mediaplayer.h"
#include "playback/loopregion.h"
#include "playback/playstate.h"
#include "sentences/sentencetrack.h"

void TForm_Main::PlaySentence(int index)
{
    const QList<Sentence> &sentences = m_sentences->sentences();
    if (index < 0 || index >= sentences.size())
        return;
    MediaPlayer *player = m_services.player;
    // A stopped recording starts; one that is still opening has nothing to loop yet.
    if (player->playState() == MediaPlayer::Stopped)
        player->play();
    if (!isPlaybackActive(*player))
        return;
    const Sentence sentence = sentences.at(index);
    m_loop->setPoints(sentence.start, sentence.end);
    player->setCurrentPosition(sentence.start);
    if (player->playState() == MediaPlayer::Paused)
        player->play();
    FocusDictationLine();
}
