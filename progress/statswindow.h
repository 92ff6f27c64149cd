#pragma once

#include "progress/progressfigures.h"

#include <QWidget>

class QChart;
class QChartView;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;
class QTabWidget;

// "学习统计": minutes practised and sentences dictated per day, the average
// first-try score per week, and a table per recording. Every chart has a
// table beside it with the same figures, so nothing is told by colour alone.
class StatsWindow : public QWidget
{
    Q_OBJECT
public:
    explicit StatsWindow(QWidget *parent = nullptr);

    // The range chosen: 30, 90 or 0 (everything).
    int rangeDays() const;
    void setLoading();
    void setFigures(const ProgressFigures &figures);
    void setMessage(const QString &text);

Q_SIGNALS:
    void rangeChanged(int days);
    void exportRequested();

private:
    QWidget *chartPage(QChartView *&view, QTableWidget *&table, const QStringList &columns);

    QComboBox *m_range;
    QPushButton *m_export;
    QLabel *m_summary;
    QTabWidget *m_pages;
    QChartView *m_minutesView = nullptr;
    QChartView *m_sentencesView = nullptr;
    QChartView *m_scoreView = nullptr;
    QTableWidget *m_minutesTable = nullptr;
    QTableWidget *m_sentencesTable = nullptr;
    QTableWidget *m_scoreTable = nullptr;
    QTableWidget *m_recordings;
};
