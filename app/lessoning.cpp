// Sentence by sentence: the lesson loops the first unfinished sentence, takes
// each applied line as a try at it, and moves on when the line is right.
#include "app/tform_main.h"

#include "dictation/answerpane.h"
#include "dictation/dictationline.h"
#include "feedback/feedbackstrip.h"
#include "feedback/wordfeedback.h"
#include "learner/learnerdatabase.h"
#include "lesson/answerfollower.h"
#include "lesson/answerplace.h"
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
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTabWidget>
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
    if (!m_storedProgress && m_learner && m_recordingKey.isValid() && !sentences.isEmpty())
        m_storedProgress = m_learner->sentences(m_recordingKey);
    const QList<SentenceProgress> stored =
        sentences.isEmpty() ? QList<SentenceProgress>()
                            : m_storedProgress.value_or(QList<SentenceProgress>());
    if (m_learner && m_recordingKey.isValid()) {
        QList<SentenceMatch::Span> division;
        division.reserve(sentences.size());
        for (const Sentence &s : sentences)
            division.append({s.start, s.end, s.text});
        m_learner->setDivision(m_recordingKey, m_recording->path(), division,
                               m_sentences->isComplete());
    }
    std::optional<Sentence> looped;
    if (m_lesson->current() >= 0)
        looped = m_lesson->sentences().at(m_lesson->current());
    m_lesson->setSentences(sentences, stored);
    // The sentence looped, drawn a little differently once the whole
    // recording is known: the loop follows it, so the lesson goes on.
    if (looped && m_lesson->current() < 0
        && sameSpan(m_loop->start(), m_loop->end(), looped->start, looped->end)) {
        const int index = matchingSentence(sentences, looped->start, looped->end);
        if (index >= 0)
            m_loop->setPoints(sentences.at(index).start, sentences.at(index).end);
    }
    followLoopInLesson();
    showLessonProgress();
    startLessonWhenReady();
}

void TForm_Main::startLessonWhenReady()
{
    if (!m_lessonPending || !sentenceModeOn() || !isPlaybackActive(*m_services.player))
        return;
    // While the analysis goes on, the lesson starts once the sentence it
    // starts on has been found.
    if (!m_sentences->isComplete()) {
        const bool found =
            m_reviewTargetPending && m_reviewing
                ? matchingSentence(m_lesson->sentences(), m_reviewing->start, m_reviewing->end) >= 0
                : firstUnfinished(m_lesson->progress()) >= 0;
        if (!found)
            return;
    }
    m_lessonPending = false;
    if (m_lesson->count() == 0)
        return;
    // The place of the last visit gives way to the first sentence not yet done.
    m_pendingResume.reset();
    if (playReviewTarget())
        return;
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

QString TForm_Main::lessonExpected(int index, const QString &typed, bool forHelp)
{
    const SentenceProgress &progress = m_lesson->at(index);
    // The cue, or the answer passage this sentence was compared with before.
    if (!progress.expected.isEmpty())
        return progress.expected;
    if (const std::optional<Passage> passage = m_feedback->nearestPassage(typed)) {
        m_lesson->setPassage(index, withClosingMarks(m_feedback->answerText(),
                                                     TextRange{passage->start, passage->end}));
        m_lesson->setExpected(index, passage->expected);
        return passage->expected;
    }
    // Nothing typed points anywhere: the sentence's place in the answer does.
    const std::optional<TextRange> place =
        m_feedback->hasAnswer() ? placePassage(index) : std::nullopt;
    if (!place)
        return {};
    const QString text = m_feedback->answerText().mid(place->start, place->end - place->start);
    if (forHelp) {
        // Help comes from this passage, so the lines that follow are held to it.
        m_lesson->setPassage(index, *place);
        m_lesson->setExpected(index, text);
    }
    return text;
}

std::optional<TextRange> TForm_Main::sentencePassage(int index, bool search)
{
    if (const std::optional<TextRange> known = m_lesson->passage(index))
        return known;
    if (!search || !m_feedback->hasAnswer())
        return std::nullopt;
    const SentenceProgress &progress = m_lesson->at(index);
    std::optional<TextRange> found;
    if (!progress.expected.isEmpty()) {
        const std::optional<TextRange> before =
            index > 0 ? m_lesson->passage(index - 1) : std::nullopt;
        if (!m_lesson->sentences().at(index).text.isEmpty()) {
            // A cue stands where the answer says the nearest thing to it.
            if (const std::optional<Passage> passage =
                    m_feedback->findPassage(progress.expected, before ? before->end : 0))
                found = withClosingMarks(m_feedback->answerText(),
                                         TextRange{passage->start, passage->end});
        } else if (const std::optional<TextRange> place = placePassage(index)) {
            // A passage compared with before is taken word for word.
            found = locateInAnswer(m_feedback->answerText(), progress.expected, place->start);
        }
    }
    if (found) {
        m_lesson->setPassage(index, *found);
        return found;
    }
    // A guess is not kept: the passage before it may become known.
    return placePassage(index);
}

std::optional<TextRange> TForm_Main::placePassage(int index)
{
    const QString &answer = m_feedback->answerText();
    const QList<Sentence> &sentences = m_lesson->sentences();
    const double span = sentences.isEmpty() ? 0.0 : sentences.last().end;
    const double share = span > 0 ? sentences.at(index).start / span : 0.0;
    std::optional<qsizetype> previousEnd;
    if (index > 0) {
        std::optional<TextRange> before = m_lesson->passage(index - 1);
        const QString &text = m_lesson->at(index - 1).expected;
        if (!before && !text.isEmpty())
            before = locateInAnswer(answer, text, qsizetype(share * double(answer.size())));
        if (before)
            previousEnd = before->end;
    }
    return passageByPlace(answer, previousEnd, share);
}

void TForm_Main::followAnswer()
{
    const bool on = sentenceModeOn();
    m_answerFollower->setActive(on);
    const int index = on ? m_lesson->current() : -1;
    if (index < 0) {
        m_answerFollower->setCurrent(-1, std::nullopt, false);
        return;
    }
    // The answer text is searched only once the learner looks at it.
    const bool looking = m_pages->currentWidget() == m_answerView->parentWidget();
    const std::optional<TextRange> passage = sentencePassage(index, looking);
    const SentenceProgress &progress = m_lesson->at(index);
    // Hidden until a line has been tried against it or the answer was asked for.
    const bool hidden = m_hideAnswer->isChecked() && progress.tries == 0
                        && !isFinished(progress.state) && !m_lesson->answerShown();
    m_answerFollower->setCurrent(index, passage, hidden);
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
    if (continueReview()) {
        m_advanceTarget = -1;
        return;
    }
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
    const QString expected = lessonExpected(index, typed, true);
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
    const QString expected = lessonExpected(m_lesson->current(), m_line->text(), true);
    if (expected.isEmpty()) {
        m_feedbackStrip->showMessage(tr("这一句没有可对照的文字"));
        return;
    }
    m_lesson->noteAnswerShown();
    followAnswer();
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
    followAnswer();
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
    // A sentence already looped stays; otherwise the lesson leads from the
    // first one not yet done.
    if (m_sentenceMode->isChecked() && !m_recording->path().isEmpty() && !lessonApplies()) {
        m_lessonPending = true;
        startLessonWhenReady();
    }
    showLessonProgress();
}
