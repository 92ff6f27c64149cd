// Sentence by sentence: the lesson controller and the review session wired
// to the player, the loop, the dictation line and the learner database.
#include "app/tform_main.h"

#include "align/cueshift.h"
#include "dictation/answerpane.h"
#include "dictation/dictationline.h"
#include "learner/learnerdatabase.h"
#include "lesson/answerfollower.h"
#include "lesson/lesson.h"
#include "lesson/lessoncontroller.h"
#include "lesson/lessonrules.h"
#include "lesson/sentencelistmodel.h"
#include "platform/mediaplayer.h"
#include "playback/loopregion.h"
#include "playback/playstate.h"
#include "playback/recording.h"
#include "progress/reviewsession.h"
#include "sentences/sentencetrack.h"
#include "sentences/waveformview.h"
#include "settings/settingsstore.h"

#include <QAction>
#include <QDockWidget>
#include <QLabel>
#include <QStatusBar>
#include <QTableView>

void TForm_Main::createLesson()
{
    m_lessonControl = new LessonController(m_feedback, m_answerFollower, this);
    m_lesson = m_lessonControl->lesson();
    m_sentenceList->setModel(m_lesson->model());
    m_sentenceList->setColumnWidth(SentenceListModel::Number, 36);
    m_sentenceList->setColumnWidth(SentenceListModel::Time, 56);
    m_sentenceList->setColumnWidth(SentenceListModel::State, 130);
    m_sentenceList->setColumnWidth(SentenceListModel::Score, 60);
    resizeDocks({m_sentenceDock}, {480}, Qt::Horizontal);
    m_lessonControl->setClock([this] { return m_now(); });
    m_lessonControl->setPlaybackActive([this] { return isPlaybackActive(*m_services.player); });
    LessonController *control = m_lessonControl;
    connect(control, &LessonController::playRequested, this,
            m_guard.wrap([this](int index) { PlaySentence(index); }));
    connect(control, &LessonController::loopRequested, m_loop, &LoopRegion::setPoints);
    connect(control, &LessonController::started, this, [this] { m_pendingResume.reset(); });
    connect(control, &LessonController::statusMessage, this,
            [this](const QString &text) { statusBar()->showMessage(text); });
    connect(control, &LessonController::progressChanged, this, [this] { showLessonProgress(); });
    connect(control, &LessonController::passed, this, m_guard.wrap([this] {
        m_dictationLine->clearNow();
        m_services.player->pause();
    }));
    connect(control, &LessonController::retryRequested, this, m_guard.wrap([this](double start) {
        // A second try at the same sentence: it plays again from its
        // start, and the line keeps the text, selected for correction.
        MediaPlayer *player = m_services.player;
        player->setCurrentPosition(start);
        if (player->playState() == MediaPlayer::Paused)
            player->play();
        FocusDictationLine();
        m_dictationLine->selectAll();
    }));
    connect(control, &LessonController::advanceDue, this, m_guard.wrap([this](int next) {
        if (m_review->continueAfterPass())
            return;
        if (next >= 0)
            PlaySentence(next);
        else
            statusBar()->showMessage(tr("这段录音的句子都已完成"));
    }));
    connect(m_sentences, &SentenceTrack::sentencesChanged, this, m_guard.wrap([this] {
        // Cues about to be moved or fitted to the speech would lay the
        // records over the wrong cues.
        if (m_cueShift
            && m_cueShift->willReplace(m_sentences->sentences(), m_sentences->source(),
                                       m_sentences->isComplete(), m_waveform->envelope()))
            return;
        m_lessonControl->setSentences(m_sentences->sentences(), m_sentences->isComplete());
    }));
    connect(m_loop, &LoopRegion::changed, control, &LessonController::followLoop);
    connect(m_lesson, &Lesson::currentChanged, this, [this](int index) {
        if (index < 0) {
            m_sentenceList->clearSelection();
            return;
        }
        m_sentenceList->selectRow(index);
        m_sentenceList->scrollTo(m_lesson->model()->index(index, 0));
    });
    // After the feedback has the answer's text.
    connect(m_answer, &AnswerPane::fileNameChanged, this, [this](const QString &fileName) {
        m_lesson->forgetPassages();
        m_answerFollower->setAnswerOpen(!fileName.isEmpty());
        m_lessonControl->followAnswer();
    });
    connect(m_lesson, &Lesson::sentencesChanged, this, [this] {
        QStringList cues;
        if (m_sentences->fromSubtitles()) {
            for (const Sentence &sentence : m_lesson->sentences())
                cues.append(sentence.text);
        }
        m_answerFollower->setCues(cues);
    });
    connect(m_answer, &AnswerPane::shownChanged, control, &LessonController::setAnswerLooked);
    connect(m_answerFollower, &AnswerFollower::cueActivated, this,
            m_guard.wrap([this](int index) { PlaySentence(index); }));
    connect(m_sentenceList, &QTableView::activated, this,
            m_guard.wrap([this](const QModelIndex &index) {
                PlaySentence(index.row());
                m_dictationLine->focus();
            }));
    createReview();
    wireWordReplay();
}

void TForm_Main::skipSentence()
{
    m_lessonControl->skip();
}

void TForm_Main::giveHint()
{
    if (const std::optional<Hint> hint = m_lessonControl->hint(m_dictationLine->text())) {
        m_dictationLine->showHint(hint->line, hint->cursor);
        FocusDictationLine();
    }
}

void TForm_Main::showSentenceAnswer()
{
    if (m_lessonControl->showAnswer(m_dictationLine->text()))
        FocusDictationLine();
}

void TForm_Main::showLessonProgress()
{
    const bool on = m_lessonControl->isOn();
    QList<WaveformView::Mark> marks;
    if (on) {
        marks.reserve(m_lesson->count());
        for (const SentenceProgress &p : m_lesson->progress()) {
            switch (p.state) {
            case SentenceState::NotStarted:
                marks.append(WaveformView::Mark::None);
                break;
            case SentenceState::Attempted:
                marks.append(WaveformView::Mark::Empty);
                break;
            case SentenceState::PassedWithHelp:
                marks.append(WaveformView::Mark::Half);
                break;
            case SentenceState::Passed:
                marks.append(WaveformView::Mark::Full);
                break;
            }
        }
    }
    m_waveform->setMarks(marks);
    m_lessonLabel->setText(on ? lessonStatusText(m_lesson->progress()) : QString());
    m_lessonLabel->setVisible(on);
    m_sentenceDock->setVisible(on && m_showSentenceList->isChecked());
    m_lessonControl->followAnswer();
}

void TForm_Main::showProgressNotKept(const QString &reason)
{
    statusBar()->showMessage(reason);
    // Other notices take the status line; this one keeps its own place.
    if (m_learner && !m_learner->keepsProgress()) {
        m_progressNotKept->setToolTip(reason);
        m_progressNotKept->show();
    }
}

void TForm_Main::toggleSentenceMode()
{
    m_settings->setFlag(Preferences::SentenceMode, m_sentenceMode->isChecked());
    m_lessonControl->setSwitchedOn(m_sentenceMode->isChecked());
}
