// Review: the sentences due today, practised one after another in sentence
// mode, each in its own recording; and the progress window.
#include "app/tform_main.h"

#include "lesson/lesson.h"
#include "lesson/lessonrules.h"
#include "platform/errors.h"
#include "platform/mediaplayer.h"
#include "playback/playstate.h"
#include "playback/recording.h"
#include "progress/progresscenter.h"
#include "progress/reviewwindow.h"

#include <QAction>
#include <QFileInfo>
#include <QStatusBar>

void TForm_Main::createProgress()
{
    m_progress = new ProgressCenter(m_learner, m_services.dialogs, this);
    m_progress->setClock([this] { return m_now(); });
    m_progress->setPlaying(
        [this] { return m_services.player->playState() == MediaPlayer::Playing; });
    connect(
        m_progress, &ProgressCenter::practiseRequested, this,
        m_guard.wrap([this](const QList<ReviewStore::DueSentence> &queue) { startReview(queue); }));
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

void TForm_Main::startReview(const QList<ReviewStore::DueSentence> &queue)
{
    if (!m_sentenceMode->isChecked())
        m_sentenceMode->trigger();
    m_reviewQueue = queue;
    m_reviewing.reset();
    // Counts as the sentence just done, so the first one comes up now.
    while (!m_reviewQueue.isEmpty()) {
        m_reviewing = m_reviewQueue.takeFirst();
        const QString path = m_reviewing->path;
        if (path == m_recording->path() && m_lesson->count() > 0 && !m_lessonPending) {
            m_reviewTargetPending = true;
            if (playReviewTarget())
                return;
            continue;
        }
        if (!QFileInfo(path).isFile())
            continue;
        m_reviewTargetPending = true;
        try {
            OpenSourceFile(path);
        } catch (const Abandon &) {
            m_reviewTargetPending = false;
            continue;
        }
        return;
    }
    endReview(tr("复习完成"));
}

bool TForm_Main::playReviewTarget()
{
    if (!m_reviewTargetPending || !m_reviewing)
        return false;
    m_reviewTargetPending = false;
    const int index = matchingSentence(m_lesson->sentences(), m_reviewing->start, m_reviewing->end);
    if (index < 0) {
        statusBar()->showMessage(tr("在“%1”里找不到要复习的句子，已跳过").arg(m_reviewing->title));
        startReview(m_reviewQueue);
        return true;
    }
    PlaySentence(index);
    const int left = int(m_reviewQueue.size());
    statusBar()->showMessage(left > 0 ? tr("复习：本句之后还有 %1 句").arg(left)
                                      : tr("复习：最后一句"));
    return true;
}

bool TForm_Main::continueReview()
{
    if (!m_reviewing)
        return false;
    const int current = m_lesson->current();
    const bool onTarget =
        current >= 0
        && matchingSentence(m_lesson->sentences(), m_reviewing->start, m_reviewing->end) == current
        && m_recording->path() == m_reviewing->path;
    if (!onTarget) {
        // The learner went elsewhere: the review ends there.
        m_reviewQueue.clear();
        m_reviewing.reset();
        return false;
    }
    startReview(m_reviewQueue);
    return true;
}

void TForm_Main::endReview(const QString &message)
{
    m_reviewQueue.clear();
    m_reviewing.reset();
    m_reviewTargetPending = false;
    statusBar()->showMessage(message);
    if (m_progress && m_progress->reviewWindow() && m_progress->reviewWindow()->isVisible())
        m_progress->refreshReview();
}
