// Replaying the word the learner is stuck on: a transcript's sentences bring
// their word times, a subtitle cue's are found when first wanted.
#include "align/cuewords.h"
#include "app/tform_main.h"
#include "dictation/dictationline.h"
#include "lesson/wordreplayer.h"
#include "playback/loopregion.h"
#include "playback/recording.h"
#include "playback/transport.h"
#include "sentences/sentencetrack.h"
#include "settings/settingsstore.h"

#include <QStatusBar>

void TForm_Main::wireWordReplay()
{
    m_cueWords = new CueWordTimer(this);
    m_wordReplayer = new WordReplayer(m_lessonControl, m_transport, this);
    m_wordReplayer->setWordSource([this](const Sentence &sentence) {
        if (!m_sentences->fromSubtitles())
            return std::optional<QList<WordTime>>(QList<WordTime>());
        std::optional<QList<WordTime>> known = m_cueWords->known(sentence);
        if (!known)
            m_cueWords->request(sentence);
        return known;
    });
    connect(m_cueWords, &CueWordTimer::found, m_wordReplayer, &WordReplayer::wordTimesFound);
    connect(m_wordReplayer, &WordReplayer::statusMessage, this,
            [this](const QString &text) { statusBar()->showMessage(text, 5000); });
    connect(m_sentences, &SentenceTrack::sentencesChanged, this, [this] {
        m_cueWords->setRecording(m_recording->path(),
                                 m_settings->text(Preferences::DictationLanguage));
    });
    // Another sentence looped: the word played once gives way to it.
    connect(m_loop, &LoopRegion::changed, m_transport, &Transport::endPlayOnce);
}

void TForm_Main::replayWord()
{
    m_wordReplayer->replay(m_dictationLine->text());
}
