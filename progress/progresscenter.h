#pragma once

#include "progress/practiceclock.h"
#include "progress/reviewstore.h"
#include "progress/startsummary.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

class Dialogs;
class LearnerDatabase;
class ProgressReader;
class QTimer;
class QWidget;
class ReviewWindow;
class StatsWindow;

// The learner's progress over the weeks: the review schedule ("复习"), the
// progress window ("学习统计") with its CSV export, and the minutes practised.
// It reads the learner database on a thread of its own and writes through
// the database's own writer.
class ProgressCenter : public QObject
{
    Q_OBJECT
public:
    // `window` is the main window: its being in front counts for practice.
    ProgressCenter(LearnerDatabase *learner, Dialogs *dialogs, QWidget *window);
    ~ProgressCenter() override;

    // Tests set the clock (dates, days) and the monotonic clock (the minutes).
    void setClock(std::function<QDateTime()> now) { m_now = std::move(now); }
    void setMonotonic(std::function<qint64()> ms) { m_monotonic = std::move(ms); }
    // Whether the recording is playing, asked while nothing is typed.
    void setPlaying(std::function<bool()> playing) { m_playing = std::move(playing); }

    void showReview();
    void refreshReview();
    // Refreshes the review list when its window shows (a review ended).
    void refreshReviewIfShown();
    void showStats();
    void refreshStats();
    void exportCsv();
    // Reads what the start page shows of these recordings and of today's
    // review; startSummaryLoaded() brings it.
    void loadStartSummary(const QStringList &paths);
    void locate(int row);

    // Practice time: writes what was counted so far.
    void flushPractice();

    const ReviewWindow *reviewWindow() const { return m_review; }
    StatsWindow *statsWindow() const { return m_stats; }

Q_SIGNALS:
    // Practise these due sentences one after another (none of them missing).
    void practiseRequested(const QList<ReviewStore::DueSentence> &queue);
    void reviewLoaded(int count);
    void statsLoaded();
    // `due` is -1 when the database cannot be read.
    void startSummaryLoaded(const QList<StartSummary::Recording> &recordings, int due);
    void exportFinished(bool ok, const QString &path);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    ProgressReader *reader();
    bool ensureOpen();
    void showError(const QString &text);

    QPointer<LearnerDatabase> m_learner;
    Dialogs *m_dialogs;
    QWidget *m_window;
    ProgressReader *m_reader = nullptr;
    ReviewWindow *m_review = nullptr;
    StatsWindow *m_stats = nullptr;
    QTimer *m_tick;
    PracticeClock m_clock;
    std::function<QDateTime()> m_now = [] { return QDateTime::currentDateTime(); };
    std::function<qint64()> m_monotonic;
    std::function<bool()> m_playing = [] { return false; };
    int m_statsGeneration = 0;
    int m_reviewGeneration = 0;
    int m_startGeneration = 0;
};
