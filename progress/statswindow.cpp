#include "progress/statswindow.h"

#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QCategoryAxis>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QTableWidget *makeTable(QWidget *parent, const QStringList &columns)
{
    auto *table = new QTableWidget(0, int(columns.size()), parent);
    table->setHorizontalHeaderLabels(columns);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->hide();
    table->setWordWrap(false);
    return table;
}

void setRow(QTableWidget *table, int row, const QStringList &cells)
{
    for (int column = 0; column < cells.size(); ++column) {
        auto *item = new QTableWidgetItem(cells.at(column));
        if (column > 0)
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        table->setItem(row, column, item);
    }
}

qint64 msecs(const QDate &day)
{
    return QDateTime(day, QTime(12, 0)).toMSecsSinceEpoch();
}

// Columns as wide as their header or their widest cell, in either language,
// and the table at least as wide as its columns.
void fitColumns(QTableWidget *table)
{
    // The last column stretches; measured unstretched, it says what it needs.
    QHeaderView *header = table->horizontalHeader();
    const bool stretch = header->stretchLastSection();
    header->setStretchLastSection(false);
    table->resizeColumnsToContents();
    int width = 2 * table->frameWidth() + table->verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < table->columnCount(); ++column)
        width += table->columnWidth(column);
    header->setStretchLastSection(stretch);
    table->setMinimumWidth(width);
}

void clearChart(QChart *chart)
{
    chart->removeAllSeries();
    // The chart gives up an axis it removes without deleting it.
    for (QAbstractAxis *axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
}

QValueAxis *wholeNumbers(double highest, const QString &title)
{
    const WholeAxis scale = wholeNumberAxis(highest);
    auto *y = new QValueAxis;
    y->setRange(0, scale.top);
    y->setTickCount(scale.ticks());
    y->setLabelFormat(QStringLiteral("%d"));
    y->setTitleText(title);
    return y;
}

// One bar a day, on whole-number ticks; a few days along the bottom, spread
// so their labels never crowd, with the year once the range runs over one.
void drawDayBars(QChart *chart, const QList<QDate> &days, const QList<double> &values,
                 const QString &valueTitle)
{
    clearChart(chart);
    auto *set = new QBarSet(valueTitle);
    double highest = 0.0;
    for (const double v : values) {
        *set << v;
        highest = std::max(highest, v);
    }
    auto *bars = new QBarSeries;
    bars->append(set);
    bars->setBarWidth(0.8);
    chart->addSeries(bars);
    // Outlined in their own colour: a year of days leaves bars thinner than
    // a pixel, which would fade to nothing.
    set->setPen(QPen(set->brush().color(), 0));
    const int n = int(days.size());
    auto *x = new QCategoryAxis;
    x->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    x->setStartValue(-0.5);
    x->setRange(-0.5, std::max(n, 1) - 0.5);
    if (n > 0) {
        const QString format = dayLabelFormat(days.first(), days.last());
        const int labels = std::min(n, 6);
        for (int k = 0; k < labels; ++k) {
            const int i = labels == 1 ? 0 : int(std::lround(double(k) * (n - 1) / (labels - 1)));
            x->append(days.at(i).toString(format), i);
        }
    }
    x->setGridLineVisible(false);
    QValueAxis *y = wholeNumbers(highest, valueTitle);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    bars->attachAxis(x);
    bars->attachAxis(y);
}

// A line through the weekly points, with the points marked: one series per
// chart, so its colour tells nothing the axes do not.
void drawSeries(QChart *chart, const QList<QPointF> &points, const QDate &first, const QDate &last,
                double top, const QString &valueTitle)
{
    clearChart(chart);
    auto *line = new QLineSeries;
    auto *marks = new QScatterSeries;
    marks->setMarkerSize(6);
    for (const QPointF &p : points) {
        line->append(p);
        marks->append(p);
    }
    marks->setColor(line->color());
    chart->addSeries(line);
    chart->addSeries(marks);
    auto *x = new QDateTimeAxis;
    x->setFormat(dayLabelFormat(first, last));
    x->setRange(QDateTime(first, QTime(0, 0)), QDateTime(last, QTime(23, 59)));
    // Dates with their year take more room.
    const int most = first.year() == last.year() ? 6 : 4;
    x->setTickCount(std::clamp(int(first.daysTo(last)) + 1, 2, most));
    QValueAxis *y = wholeNumbers(top, valueTitle);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries *s :
         {static_cast<QAbstractSeries *>(line), static_cast<QAbstractSeries *>(marks)}) {
        s->attachAxis(x);
        s->attachAxis(y);
    }
}

} // namespace

StatsWindow::StatsWindow(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Form_Stats"));
    setWindowTitle(tr("学习统计"));
    auto *layout = new QVBoxLayout(this);
    auto *top = new QHBoxLayout;
    auto *rangeLabel = new QLabel(tr("时间范围(&R):"), this);
    m_range = new QComboBox(this);
    m_range->setObjectName(QStringLiteral("Combo_Range"));
    m_range->addItem(tr("最近 30 天"), 30);
    m_range->addItem(tr("最近 90 天"), 90);
    m_range->addItem(tr("全部"), 0);
    rangeLabel->setBuddy(m_range);
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("Label_StatsSummary"));
    m_export = new QPushButton(tr("导出 CSV…"), this);
    m_export->setObjectName(QStringLiteral("Button_ExportCsv"));
    top->addWidget(rangeLabel);
    top->addWidget(m_range);
    top->addSpacing(12);
    top->addWidget(m_summary, 1);
    top->addWidget(m_export);
    layout->addLayout(top);

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("Tabs_Stats"));
    m_pages->addTab(chartPage(m_minutesView, m_minutesTable, {tr("日期"), tr("分钟")}),
                    tr("每天练习分钟"));
    m_minutesView->setObjectName(QStringLiteral("Chart_Minutes"));
    m_minutesTable->setObjectName(QStringLiteral("Table_Minutes"));
    m_pages->addTab(chartPage(m_sentencesView, m_sentencesTable, {tr("日期"), tr("句数")}),
                    tr("每天听写句数"));
    m_sentencesView->setObjectName(QStringLiteral("Chart_Sentences"));
    m_sentencesTable->setObjectName(QStringLiteral("Table_Sentences"));
    m_pages->addTab(
        chartPage(m_scoreView, m_scoreTable, {tr("周（起于周一）"), tr("首次得分"), tr("句数")}),
        tr("每周首次得分"));
    m_scoreView->setObjectName(QStringLiteral("Chart_Scores"));
    m_scoreTable->setObjectName(QStringLiteral("Table_Scores"));
    m_recordings =
        makeTable(this, {tr("录音"), tr("句子"), tr("已完成"), tr("平均得分"), tr("上次练习")});
    m_recordings->setObjectName(QStringLiteral("Table_Recordings"));
    m_recordings->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_pages->addTab(m_recordings, tr("各录音"));
    layout->addWidget(m_pages, 1);

    connect(m_range, &QComboBox::currentIndexChanged, this,
            [this] { Q_EMIT rangeChanged(rangeDays()); });
    connect(m_export, &QPushButton::clicked, this, &StatsWindow::exportRequested);
    resize(900, 560);
    setLoading();
}

QWidget *StatsWindow::chartPage(QChartView *&view, QTableWidget *&table, const QStringList &columns)
{
    auto *page = new QWidget(this);
    auto *layout = new QHBoxLayout(page);
    auto *chart = new QChart;
    chart->legend()->hide();
    chart->setAnimationOptions(QChart::NoAnimation);
    view = new QChartView(chart, page);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumWidth(360);
    table = makeTable(page, columns);
    table->horizontalHeader()->setStretchLastSection(true);
    // The chart takes the room; the table beside it reads the same figures.
    fitColumns(table);
    layout->addWidget(view, 3);
    layout->addWidget(table, 1);
    return page;
}

int StatsWindow::rangeDays() const
{
    return m_range->currentData().toInt();
}

void StatsWindow::setLoading()
{
    m_summary->setText(tr("正在读取学习记录…"));
}

void StatsWindow::setMessage(const QString &text)
{
    m_summary->setText(text);
}

void StatsWindow::setFigures(const ProgressFigures &figures)
{
    const QLocale locale;
    QList<QDate> days;
    QList<double> minutes;
    QList<double> sentences;
    // The tables list the newest day first; the charts run left to right.
    m_minutesTable->setRowCount(int(figures.days.size()));
    m_sentencesTable->setRowCount(int(figures.days.size()));
    for (qsizetype i = 0; i < figures.days.size(); ++i) {
        const DayFigures &d = figures.days.at(i);
        days.append(d.day);
        minutes.append(shownMinutes(d.minutes));
        sentences.append(d.sentences);
        const int row = int(figures.days.size() - 1 - i);
        const QString day = locale.toString(d.day, QLocale::ShortFormat);
        setRow(m_minutesTable, row, {day, QString::number(shownMinutes(d.minutes), 'f', 1)});
        setRow(m_sentencesTable, row, {day, QString::number(d.sentences)});
    }
    fitColumns(m_minutesTable);
    fitColumns(m_sentencesTable);
    const QDate first = figures.days.isEmpty() ? QDate::currentDate() : figures.days.first().day;
    const QDate last = figures.days.isEmpty() ? QDate::currentDate() : figures.days.last().day;
    drawDayBars(m_minutesView->chart(), days, minutes, tr("分钟"));
    drawDayBars(m_sentencesView->chart(), days, sentences, tr("句数"));

    QList<QPointF> scorePoints;
    m_scoreTable->setRowCount(int(figures.weeks.size()));
    for (qsizetype i = 0; i < figures.weeks.size(); ++i) {
        const WeekFigures &w = figures.weeks.at(i);
        if (w.firstTryScore >= 0)
            scorePoints.append(
                QPointF(msecs(std::clamp(w.monday.addDays(3), first, last)), w.firstTryScore));
        setRow(m_scoreTable, int(figures.weeks.size() - 1 - i),
               {locale.toString(w.monday, QLocale::ShortFormat),
                w.firstTryScore < 0 ? tr("—") : QStringLiteral("%1%").arg(qRound(w.firstTryScore)),
                QString::number(w.lines)});
    }
    fitColumns(m_scoreTable);
    drawSeries(m_scoreView->chart(), scorePoints, first, last, 100.0, tr("得分 %"));

    m_recordings->setRowCount(int(figures.recordings.size()));
    for (int row = 0; row < figures.recordings.size(); ++row) {
        const RecordingFigures &r = figures.recordings.at(row);
        setRow(m_recordings, row,
               {r.title, QString::number(r.sentences), QString::number(r.done),
                r.averageScore < 0 ? tr("—") : QStringLiteral("%1%").arg(qRound(r.averageScore)),
                r.lastPractised.isValid() ? locale.toString(r.lastPractised, QLocale::ShortFormat)
                                          : tr("—")});
        m_recordings->item(row, 0)->setToolTip(r.path);
    }
    m_recordings->resizeColumnsToContents();
    // The same tenths of a minute as the table beside the chart.
    m_summary->setText(tr("共练习 %1 分钟，听写 %2 次")
                           .arg(QString::number(shownTotalMinutes(figures.days), 'f', 1))
                           .arg(figures.attempts));
}
