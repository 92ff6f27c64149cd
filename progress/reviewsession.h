#pragma once

#include "progress/reviewstore.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

// A review ("复习"): the due sentences practised one after another, each in
// its own recording. It opens the recordings and loops the sentences through
// what the window gives it, and ends when the queue is done or the learner
// goes elsewhere.
class ReviewSession : public QObject
{
    Q_OBJECT
public:
    // What a review needs of the window.
    struct Window {
        // The recording open now; empty for none.
        std::function<QString()> recording;
        // Its sentences are known and no lesson waits to start on it.
        std::function<bool()> sentencesReady;
        // Opens a recording; false when it could not be opened.
        std::function<bool(const QString &path)> open;
        // The sentence of the open recording that stands for a stored one; -1 for none.
        std::function<int(double start, double end)> sentenceOf;
        // The sentence worked on; -1 for none.
        std::function<int()> current;
    };

    explicit ReviewSession(Window window, QObject *parent = nullptr);

    // Practises these sentences from the first; a review going on ends.
    void start(const QList<ReviewStore::DueSentence> &queue);
    // The sentence under review, waiting for its recording's sentences to
    // be known; none when nothing waits.
    std::optional<ReviewStore::DueSentence> pendingTarget() const;
    // Loops the sentence waiting for its recording's sentences.
    void playTarget();
    // After a passed line: true when the review goes on to the next due
    // sentence; false when there is no review or the learner went elsewhere,
    // which ends it.
    bool continueAfterPass();
    bool isReviewing() const { return m_reviewing.has_value(); }
    // The due sentences after the one under review.
    int left() const { return int(m_queue.size()); }

Q_SIGNALS:
    // Loop this sentence of the open recording.
    void playRequested(int index);
    void statusMessage(const QString &text);
    // The queue is done; the review list may have changed.
    void finished();

private:
    // Takes the next due sentence; `done` ends the review when none is left.
    void next();
    void end(const QString &message);

    Window m_window;
    QList<ReviewStore::DueSentence> m_queue;
    std::optional<ReviewStore::DueSentence> m_reviewing;
    bool m_targetPending = false;
};
