// Sentence by sentence: the lesson loops the first unfinished sentence, takes
// each applied line as a try at it, and moves on when the line is right.
#include "app/tform_main.h"

#include "dictation/answerpane.h"
#include "dictation/dictationline.h"
#include "feedback/feedbackstrip.h"
#include "feedback/wordfeedback.h"
#include "learner/learnerdatabase.h"
#include "lesson/hints.h"
#include "lesson/lesson.h"
#include "lesson/lessonrules.h"
#include "lesson/sentencelistmodel.h"
#include "platform/mediaplayer.h"
#include "playback/loopregion.h"
#include "playback/playstate.h"
#include "playback/recording.h"
#include "sentences/sentencetrack.h"
#include "sentences/waveformview.h"
#include "settings/settingsstore.h"

#include <QAction>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>

bool TForm_Main::sentenceModeOn() const
{
    return m_sentenceMode->isChecked() && m_lesson->count() > 0;
}

bool TForm_Main::lessonApplies() const
{
    return sentenceModeOn() && m_lesson->current() >= 0;
}

void TForm_Main::sentencesFound()
{
    const QList<Sentence> &sentences = m_sentences->sentences();
    QList<SentenceProgress> stored;
    if (m_learner && m_recordingKey.isValid() && !sentences.isEmpty())
        stored = m_learner->sentences(m_recordingKey);
    m_lesson->setSentences(sentences, stored);
    followLoopInLesson();
    showLessonProgress();
    startLessonWhenReady();
}

void TForm_Main::startLessonWhenReady()
{
    if (!m_lessonPending || !sentenceModeOn() || !isPlaybackActive(*m_services.player))
        return;
    m_lessonPending = false;
    // The place of the last visit gives way to the first sentence not yet done.
    m_pendingResume.reset();
    const int first = firstUnfinished(m_lesson->progress());
    PlaySentence(first >= 0 ? first : 0);
    if (first < 0)
        statusBar()->showMessage(tr("这段录音的句子都已完成"));
}

void TForm_Main::followLoopInLesson()
{
    PlayPlace place;
    place.loopStart = m_loop->start();
    place.loopEnd = m_loop->end();
    m_lesson->setCurrent(currentSentence(m_lesson->sentences(), place));
}

QString TForm_Main::lessonExpected(int index, const QString &typed)
{
    const SentenceProgress &progress = m_lesson->at(index);
    // The cue, or the answer passage this sentence was compared with before.
    if (!progress.expected.isEmpty())
        return progress.expected;
    if (const std::optional<Passage> passage = m_feedback->nearestPassage(typed)) {
        m_answer->highlight(passage->start, passage->end);
        m_lesson->setExpected(index, passage->expected);
        return passage->expected;
    }
    return {};
}

void TForm_Main::storeLessonSentence(int index, const std::optional<AttemptRecord> &attempt)
{
    if (m_learner && m_recordingKey.isValid())
        m_learner->saveSentence(m_recordingKey, m_recording->path(), m_lesson->at(index), attempt);
}

void TForm_Main::lessonAfterApplying(const QString &text)
{
    const int index = m_lesson->current();
    const Sentence sentence = m_lesson->sentences().at(index);
    const QString expected = lessonExpected(index, text);
    const bool helped = m_lesson->helped();
    QString note = helped ? tr("借助提示") : QString();
    if (expected.isEmpty() && !m_feedback->hasAnswer())
        note = tr("没有可对照的文字，已记下");
    const int score = m_feedback->compareSentence(text, expected, note);
    // With nothing to compare against, the learner's line is taken as it is.
    const bool passed = score < 0 || passes(score, m_passMark);

    AttemptRecord attempt;
    attempt.at = m_now();
    attempt.typed = text;
    attempt.score = score;
    attempt.hints = m_lesson->hintsUsed();
    attempt.answerShown = m_lesson->answerShown();
    attempt.seconds = m_lesson->secondsOnCurrent();
    attempt.passed = passed;
    m_lesson->update(index, afterAttempt(m_lesson->at(index), score, text, passed, helped));
    storeLessonSentence(index, attempt);
    showLessonProgress();

    MediaPlayer *player = m_services.player;
    if (passed) {
        m_dictationLine->clear();
        m_line->repaint();
        player->pause();
        // The window goes on serving keys and clicks while it waits.
        m_advanceTarget = firstUnfinished(m_lesson->progress(), index + 1);
        m_advanceTimer->start();
    } else {
        // A second try at the same sentence: it plays again from its start,
        // and the line keeps the text, selected for correction.
        player->setCurrentPosition(sentence.start);
        if (player->playState() == MediaPlayer::Paused)
            player->play();
        FocusDictationLine();
        m_line->selectAll();
    }
    FocusDictationLine();
}

void TForm_Main::advanceLesson()
{
    m_advanceTimer->stop();
    if (m_advanceTarget >= 0) {
        PlaySentence(m_advanceTarget);
    } else {
        statusBar()->showMessage(tr("这段录音的句子都已完成"));
    }
    m_advanceTarget = -1;
}

void TForm_Main::finishPendingAdvance()
{
    if (m_advanceTimer->isActive())
        advanceLesson();
}

void TForm_Main::skipSentence()
{
    finishPendingAdvance();
    if (!lessonApplies())
        return;
    const int index = m_lesson->current();
    m_lesson->update(index, afterSkip(m_lesson->at(index)));
    storeLessonSentence(index, std::nullopt);
    showLessonProgress();
    int next = firstUnfinished(m_lesson->progress(), index + 1);
    if (next == index || next < 0)
        next = std::min(index + 1, m_lesson->count() - 1);
    PlaySentence(next);
}

void TForm_Main::giveHint()
{
    if (!lessonApplies())
        return;
    const int index = m_lesson->current();
    const QString typed = m_line->text();
    const QString expected = lessonExpected(index, typed);
    if (expected.isEmpty()) {
        m_feedbackStrip->showMessage(tr("这一句没有可对照的文字"));
        return;
    }
    const std::optional<Hint> hint = nextHint(typed, expected, m_lesson->hintedWord());
    if (!hint) {
        m_feedbackStrip->showMessage(tr("这一句已经全对了，按回车提交"));
        return;
    }
    m_lesson->noteHint(hint->wordIndex);
    m_line->setText(hint->line);
    m_line->setCursorPosition(hint->cursor);
    m_feedbackStrip->showMessage(hint->whole ? tr("提示：下一个词是“%1”").arg(hint->text)
                                             : tr("提示：下一个词以“%1”开头").arg(hint->text));
    FocusDictationLine();
}

void TForm_Main::showSentenceAnswer()
{
    if (!lessonApplies())
        return;
    const QString expected = lessonExpected(m_lesson->current(), m_line->text());
    if (expected.isEmpty()) {
        m_feedbackStrip->showMessage(tr("这一句没有可对照的文字"));
        return;
    }
    m_lesson->noteAnswerShown();
    m_feedbackStrip->showMessage(tr("本句答案：%1").arg(expected));
    FocusDictationLine();
}

void TForm_Main::showLessonProgress()
{
    const bool on = sentenceModeOn();
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
}

void TForm_Main::toggleSentenceMode()
{
    m_settings->setPreference(QStringLiteral("SentenceMode"),
                              FlagPreference(m_sentenceMode->isChecked()), QStringLiteral("1"));
    // A sentence already looped stays; otherwise the lesson leads from the
    // first one not yet done.
    if (m_sentenceMode->isChecked() && !m_recording->path().isEmpty() && !lessonApplies()) {
        m_lessonPending = true;
        startLessonWhenReady();
    }
    showLessonProgress();
}
