// Review: the sentences due today, practised one after another in sentence
// mode, each in its own recording; and the progress window.
#include "app/tform_main.h"

#include "lesson/lesson.h"
#include "lesson/lessoncontroller.h"
#include "lesson/lessonrules.h"
#include "platform/errors.h"
#include "platform/mediaplayer.h"
#include "playback/recording.h"
#include "progress/progresscenter.h"
#include "progress/reviewsession.h"

#include <QAction>
#include <QStatusBar>

void TForm_Main::createReview()
{
    ReviewSession::Window window;
    window.recording = [this] { return m_recording->path(); };
    window.sentencesReady = [this] {
        return m_lesson->count() > 0 && !m_lessonControl->isPending();
    };
    window.open = [this](const QString &path) {
        try {
            OpenSourceFile(path);
        } catch (const Abandon &) {
            return false;
        }
        return true;
    };
    window.sentenceOf = [this](double start, double end) {
        return matchingSentence(m_lesson->sentences(), start, end);
    };
    window.current = [this] { return m_lesson->current(); };
    m_review = new ReviewSession(std::move(window), this);
    connect(m_review, &ReviewSession::playRequested, this,
            m_guard.wrap([this](int index) { PlaySentence(index); }));
    connect(m_review, &ReviewSession::statusMessage, this,
            [this](const QString &text) { statusBar()->showMessage(text); });
    connect(m_review, &ReviewSession::finished, this, [this] {
        if (m_progress)
            m_progress->refreshReviewIfShown();
    });
    m_lessonControl->setWantedStart([this]() -> std::optional<LessonController::Span> {
        if (const std::optional<ReviewStore::DueSentence> target = m_review->pendingTarget())
            return LessonController::Span{target->start, target->end};
        return std::nullopt;
    });
    connect(m_lessonControl, &LessonController::wantedStartReady, this,
            m_guard.wrap([this] { m_review->playTarget(); }));
}

void TForm_Main::createProgress()
{
    m_progress = new ProgressCenter(m_learner, m_services.dialogs, this);
    m_progress->setClock([this] { return m_now(); });
    m_progress->setPlaying(
        [this] { return m_services.player->playState() == MediaPlayer::Playing; });
    connect(m_progress, &ProgressCenter::practiseRequested, this,
            m_guard.wrap([this](const QList<ReviewStore::DueSentence> &queue) {
                if (!m_sentenceMode->isChecked())
                    m_sentenceMode->trigger();
                m_review->start(queue);
            }));
}

void TForm_Main::ShowReview()
{
    if (!m_progress) {
        statusBar()->showMessage(tr("学习进度没有保存，没有复习计划"));
        return;
    }
    m_progress->showReview();
}

void TForm_Main::ShowStats()
{
    if (!m_progress) {
        statusBar()->showMessage(tr("学习进度没有保存，没有学习统计"));
        return;
    }
    m_progress->showStats();
}
