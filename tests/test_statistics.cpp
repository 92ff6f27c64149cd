// The statistics as the learner reads them: whole-number axes, bars, years,
// headers that fit in both languages, and each practice on its local day.
#include "support/progressdatabasefile.h"
#include "support/progressrecords.h"
#include "support/testutil.h"
#include "support/tonewav.h"

#include "learner/learnerdatabase.h"
#include "learner/recordingkey.h"
#include "lesson/lesson.h"
#include "lesson/lessonrules.h"
#include "platform/qttranslations.h"
#include "progress/practiceclock.h"
#include "progress/progresscenter.h"
#include "progress/progressfigures.h"
#include "progress/reviewrules.h"
#include "progress/reviewstore.h"
#include "progress/reviewwindow.h"
#include "progress/statswindow.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTest>
#include <QTimeZone>
#include <QTimer>
#include <QTranslator>
#include <QtCharts/QAbstractSeries>
#include <QtCharts/QCategoryAxis>
#include <QtCharts/QChartView>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QValueAxis>

#include <gtest/gtest.h>

#include <csignal>
#include <ctime>
#include <map>

TEST(StatsAxes, WholeNumbersFromZero)
{
    struct Row {
        double highest;
        int top;
        int step;
    } rows[] = {
        {0.0, 1, 1}, {0.3, 1, 1},   {1.5, 2, 1},    {4.0, 4, 1},      {5.0, 5, 1},
        {6.0, 6, 2}, {11.0, 15, 5}, {37.0, 40, 10}, {100.0, 100, 20}, {1234.0, 1500, 500},
    };
    for (const Row &r : rows) {
        const WholeAxis axis = wholeNumberAxis(r.highest);
        EXPECT_EQ(axis.top, r.top) << r.highest;
        EXPECT_EQ(axis.step, r.step) << r.highest;
        EXPECT_LE(axis.ticks(), 6) << r.highest;
        EXPECT_GE(double(axis.top), r.highest) << r.highest;
    }
}

namespace {

ProgressFigures figuresOver(const QDate &first, const QDate &last, double minutesEach)
{
    ProgressFigures figures;
    for (QDate d = first; d <= last; d = d.addDays(1))
        figures.days.append({d, minutesEach, 2});
    figures.weeks.append({first.addDays(1 - first.dayOfWeek()), 75.0, 3});
    RecordingFigures r;
    r.title = QStringLiteral("A recording with a rather long title");
    r.sentences = 40;
    r.done = 6;
    r.averageScore = 84;
    r.lastPractised = QDateTime(last, QTime(9, 0));
    figures.recordings.append(r);
    figures.attempts = 7;
    return figures;
}

// The interface language for one test; the rest of the suite expects none.
struct StatsLanguage {
    explicit StatsLanguage(InterfaceLanguage language)
    {
        if (language != InterfaceLanguage::Chinese) {
            EXPECT_TRUE(installTranslations(*qApp, language));
        }
    }
    ~StatsLanguage()
    {
        qDeleteAll(qApp->findChildren<QTranslator *>(QString(), Qt::FindDirectChildrenOnly));
    }
};

} // namespace

// Per-day figures as bars on whole-number ticks, the year on the axis once the
// range runs over one, the header's minutes the sum of the table's, and
// every column header whole, in both languages.
TEST(StatsWindowShows, BarsWholeTicksYearsMinutesAndWholeHeaders)
{
    struct Row {
        const char *name;
        InterfaceLanguage language;
        QDate first;
        QDate last;
        double minutesEach;
        bool years;
        const char *summary;
    } rows[] = {
        {"a month, Chinese", InterfaceLanguage::Chinese, QDate(2026, 3, 1), QDate(2026, 3, 3), 0.1,
         false, "共练习 0.3 分钟，听写 7 次"},
        {"a month, English", InterfaceLanguage::English, QDate(2026, 3, 1), QDate(2026, 3, 3), 0.1,
         false, "0.3 minute(s) practised, 7 line(s) dictated"},
        {"over two years, Chinese", InterfaceLanguage::Chinese, QDate(2024, 11, 2),
         QDate(2026, 3, 3), 0.04, true, nullptr},
        {"over two years, English", InterfaceLanguage::English, QDate(2024, 11, 2),
         QDate(2026, 3, 3), 0.26, true, nullptr},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        const StatsLanguage language(r.language);
        StatsWindow window;
        const ProgressFigures figures = figuresOver(r.first, r.last, r.minutesEach);
        window.setFigures(figures);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

        // The header's minutes are what the table's cells add up to.
        QList<QTableWidget *> tables;
        for (const char *name :
             {"Table_Minutes", "Table_Sentences", "Table_Scores", "Table_Recordings"}) {
            tables.append(window.findChild<QTableWidget *>(QLatin1String(name)));
            ASSERT_NE(tables.last(), nullptr) << name;
        }
        QTableWidget *minutes = tables.at(0);
        double sum = 0.0;
        for (int row = 0; row < minutes->rowCount(); ++row)
            sum += minutes->item(row, 1)->text().toDouble();
        const QString summary =
            window.findChild<QLabel *>(QStringLiteral("Label_StatsSummary"))->text();
        EXPECT_TRUE(summary.contains(QString::number(sum, 'f', 1))) << summary.toStdString();
        if (r.summary) {
            EXPECT_EQ(summary, QString::fromUtf8(r.summary));
        }

        QList<QChartView *> views;
        for (const char *name : {"Chart_Minutes", "Chart_Sentences", "Chart_Scores"}) {
            views.append(window.findChild<QChartView *>(QLatin1String(name)));
            ASSERT_NE(views.last(), nullptr) << name;
        }
        for (int v = 0; v < 2; ++v) {
            QChart *chart = views.at(v)->chart();
            ASSERT_FALSE(chart->series().isEmpty());
            EXPECT_EQ(chart->series().first()->type(), QAbstractSeries::SeriesTypeBar);
            auto *x = qobject_cast<QCategoryAxis *>(chart->axes(Qt::Horizontal).value(0));
            ASSERT_NE(x, nullptr);
            const QStringList labels = x->categoriesLabels();
            ASSERT_FALSE(labels.isEmpty());
            EXPECT_EQ(labels.first().contains(QString::number(r.first.year())), r.years);
            EXPECT_EQ(labels.last().contains(QString::number(r.last.year())), r.years);
        }
        for (QChartView *view : views) {
            const auto *y = qobject_cast<QValueAxis *>(view->chart()->axes(Qt::Vertical).value(0));
            ASSERT_NE(y, nullptr);
            // Every tick a whole number.
            const double step = (y->max() - y->min()) / (y->tickCount() - 1);
            EXPECT_DOUBLE_EQ(step, std::round(step));
            EXPECT_DOUBLE_EQ(y->min(), 0.0);
        }
        const auto *weekly =
            qobject_cast<QDateTimeAxis *>(views.at(2)->chart()->axes(Qt::Horizontal).value(0));
        ASSERT_NE(weekly, nullptr);
        EXPECT_EQ(weekly->format().contains(QLatin1String("yyyy")), r.years);

        // Headers whole: no column narrower than its header, and the tables
        // beside the charts show all their columns.
        for (QTableWidget *table : tables) {
            QHeaderView *header = table->horizontalHeader();
            const bool beside = table->objectName() != QLatin1String("Table_Recordings");
            for (int column = 0; column < table->columnCount(); ++column) {
                EXPECT_GE(header->sectionSize(column), header->sectionSizeHint(column))
                    << table->objectName().toStdString() << " "
                    << table->horizontalHeaderItem(column)->text().toStdString();
            }
            if (beside) {
                EXPECT_LE(header->length(), table->viewport()->width())
                    << table->horizontalHeaderItem(0)->text().toStdString();
            }
        }
    }
}

namespace {

// The process's own time zone for one test, as where the figures are read.
struct ProcessZone {
    explicit ProcessZone(const char *zone)
        : m_before(qgetenv("TZ")), m_had(qEnvironmentVariableIsSet("TZ"))
    {
        qputenv("TZ", zone);
        tzset();
    }
    ~ProcessZone()
    {
        if (m_had)
            qputenv("TZ", m_before);
        else
            qunsetenv("TZ");
        tzset();
    }
    QByteArray m_before;
    bool m_had;
};

} // namespace

// A learner in Shanghai practises at 00:30 and at 07:00, both on the day
// before in UTC. Minutes and sentences count on the learner's day, read on a
// computer set to a zone far from theirs.
TEST(ProgressFigures, PracticeCountsOnTheLearnersLocalDay)
{
    const ProcessZone viewer("America/Los_Angeles");
    const QTimeZone shanghai("Asia/Shanghai");
    ASSERT_TRUE(shanghai.isValid());
    const QDate day(2026, 3, 10);
    const QDateTime times[] = {QDateTime(day, QTime(0, 30), shanghai),
                               QDateTime(day, QTime(7, 0), shanghai)};
    ASSERT_EQ(times[0].toUTC().date(), day.addDays(-1));
    ASSERT_EQ(times[1].toUTC().date(), day.addDays(-1));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("learner.db"));
    {
        LearnerDatabase db(path);
        ASSERT_TRUE(db.open());
        QWidget window;
        ProgressCenter center(&db, nullptr, &window);
        QDateTime now;
        qint64 ms = 0;
        center.setClock([&] { return now; });
        center.setMonotonic([&] { return ms; });
        // The window in front: the time from here on is practice.
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        const RecordingKey key{QStringLiteral("a"), 10};
        for (int i = 0; i < 2; ++i) {
            now = times[i];
            ms += 30'000;
            // A key press: the learner at work, 30 s after the last sign.
            QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
            QApplication::sendEvent(&window, &press);
            center.flushPractice();
            AttemptRecord attempt = attemptAt(day, 0, 100);
            attempt.at = times[i];
            db.saveSentence(key, QStringLiteral("/x/a.wav"), sentenceAt(1.0 + 2.0 * i), attempt);
        }
        db.flush();
    }
    ProgressDatabaseFile raw(path);
    struct Row {
        const char *range;
        int days;
    } rows[] = {{"a month", 30}, {"everything", 0}};
    for (const Row &r : rows) {
        SCOPED_TRACE(r.range);
        const ProgressFigures figures = ProgressQueries::load(raw.db, day, r.days);
        ASSERT_FALSE(figures.days.isEmpty());
        EXPECT_EQ(figures.days.first().day, r.days == 0 ? day : day.addDays(-29));
        const DayFigures &last = figures.days.last();
        EXPECT_EQ(last.day, day);
        EXPECT_DOUBLE_EQ(last.minutes, 1.0);
        EXPECT_EQ(last.sentences, 2);
        EXPECT_EQ(figures.attempts, 2);
        for (const DayFigures &d : figures.days.first(figures.days.size() - 1)) {
            EXPECT_EQ(d.sentences, 0) << d.day.toString(Qt::ISODate).toStdString();
            EXPECT_DOUBLE_EQ(d.minutes, 0.0) << d.day.toString(Qt::ISODate).toStdString();
        }
    }
}
