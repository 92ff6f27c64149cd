#pragma once

#include "progress/startsummary.h"

#include <QDate>
#include <QList>
#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;

// "已完成 9/15 句"; "已完成 9 句" while the number of sentences is not
// known; empty for a recording never practised.
QString startProgressText(int done, int total);
// When a recording was last practised, as the learner counts days:
// "今天", "昨天", "3 天前", else the date.
QString lastPractisedText(const QDateTime &when, const QDate &today);

// What the empty window shows: how to begin (open a recording or drop one),
// the recent recordings with the learner's progress in each, and the
// sentences due for review today.
class StartPage : public QWidget
{
    Q_OBJECT
public:
    explicit StartPage(QWidget *parent = nullptr);

    // The recent recordings, most recent first; `today` dates them.
    void setRecordings(const QList<StartSummary::Recording> &recordings, const QDate &today);
    // Sentences due today; negative: no review is kept (no learner database).
    void setDueCount(int count);

Q_SIGNALS:
    void openRequested();
    void recordingChosen(const QString &path);
    void reviewRequested();
    // The mouse came over the open button or the recent recordings: a
    // recording is likely to be opened soon.
    void aboutToChoose();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLabel *m_title;
    QLabel *m_hint;
    QPushButton *m_open;
    QLabel *m_recentTitle;
    QListWidget *m_recent;
    QLabel *m_noRecent;
    QPushButton *m_review;
    QLabel *m_reviewNone;
};
