// Sentences: the commands that loop one sentence after another, and the
// waveform strip and sentence label that follow playback.
#include "app/tform_main.h"

#include "lesson/lesson.h"
#include "lesson/lessoncontroller.h"
#include "lesson/lessonrules.h"
#include "platform/mediaplayer.h"
#include "playback/loopregion.h"
#include "playback/playcounter.h"
#include "playback/playstate.h"
#include "sentences/sentencetrack.h"

void TForm_Main::PlaySentence(int index)
{
    const QList<Sentence> &sentences = m_sentences->sentences();
    if (index < 0 || index >= sentences.size())
        return;
    // Choosing a sentence ends a wait for the next one.
    m_lessonControl->cancelAdvance();
    MediaPlayer *player = m_services.player;
    // A stopped recording starts; one that is still opening has nothing to loop yet.
    if (player->playState() == MediaPlayer::Stopped)
        player->play();
    if (!isPlaybackActive(*player))
        return;
    const Sentence sentence = sentences.at(index);
    // Chosen again (Ctrl+R) or anew: its plays are counted from here.
    m_playCounter->restart();
    m_loop->setPoints(sentence.start, sentence.end);
    player->setCurrentPosition(sentence.start);
    if (player->playState() == MediaPlayer::Paused)
        player->play();
    FocusDictationLine();
}

void TForm_Main::PreviousSentence()
{
    const QList<Sentence> &sentences = m_sentences->sentences();
    if (m_lessonControl->isOn()) {
        PlaySentence(lessonPrevious(sentences, m_lesson->current(), currentPlace().position));
    } else {
        PlaySentence(previousSentence(sentences, currentPlace()));
    }
}

void TForm_Main::NextSentence()
{
    const QList<Sentence> &sentences = m_sentences->sentences();
    if (m_lessonControl->isOn()) {
        PlaySentence(lessonNext(sentences, m_lesson->current(), currentPlace().position));
    } else {
        PlaySentence(nextSentence(sentences, currentPlace()));
    }
}

void TForm_Main::RepeatSentence()
{
    if (m_lessonControl->isOn() && m_lesson->current() >= 0) {
        PlaySentence(m_lesson->current());
    } else {
        PlaySentence(repeatSentence(m_sentences->sentences(), currentPlace()));
    }
}
