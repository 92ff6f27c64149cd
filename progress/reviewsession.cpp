#include "progress/reviewsession.h"

#include <QFileInfo>

ReviewSession::ReviewSession(Window window, QObject *parent)
    : QObject(parent), m_window(std::move(window))
{
    setObjectName(QStringLiteral("ReviewSession"));
}

void ReviewSession::start(const QList<ReviewStore::DueSentence> &queue)
{
    m_queue = queue;
    m_reviewing.reset();
    next();
}

void ReviewSession::next()
{
    // Counts as the sentence just done, so the first one comes up now.
    while (!m_queue.isEmpty()) {
        m_reviewing = m_queue.takeFirst();
        const QString path = m_reviewing->path;
        if (path == m_window.recording() && m_window.sentencesReady()) {
            m_targetPending = true;
            playTarget();
            return;
        }
        if (!QFileInfo(path).isFile())
            continue;
        m_targetPending = true;
        if (!m_window.open(path)) {
            m_targetPending = false;
            continue;
        }
        return;
    }
    end(tr("复习完成"));
}

std::optional<ReviewStore::DueSentence> ReviewSession::pendingTarget() const
{
    if (!m_targetPending || !m_reviewing)
        return std::nullopt;
    return m_reviewing;
}

void ReviewSession::playTarget()
{
    if (!m_targetPending || !m_reviewing)
        return;
    m_targetPending = false;
    const int index = m_window.sentenceOf(m_reviewing->start, m_reviewing->end);
    if (index < 0) {
        Q_EMIT statusMessage(tr("在“%1”里找不到要复习的句子，已跳过").arg(m_reviewing->title));
        next();
        return;
    }
    Q_EMIT playRequested(index);
    const int left = int(m_queue.size());
    Q_EMIT statusMessage(left > 0 ? tr("复习：本句之后还有 %1 句").arg(left)
                                  : tr("复习：最后一句"));
}

bool ReviewSession::continueAfterPass()
{
    if (!m_reviewing)
        return false;
    const int current = m_window.current();
    const bool onTarget = current >= 0
                          && m_window.sentenceOf(m_reviewing->start, m_reviewing->end) == current
                          && m_window.recording() == m_reviewing->path;
    if (!onTarget) {
        // The learner went elsewhere: the review ends there.
        m_queue.clear();
        m_reviewing.reset();
        return false;
    }
    next();
    return true;
}

void ReviewSession::end(const QString &message)
{
    m_queue.clear();
    m_reviewing.reset();
    m_targetPending = false;
    Q_EMIT statusMessage(message);
    Q_EMIT finished();
}
