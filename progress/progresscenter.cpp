#include "progress/progresscenter.h"

#include "learner/learnerdatabase.h"
#include "platform/dialogs.h"
#include "progress/progressfigures.h"
#include "progress/progressreader.h"
#include "progress/reviewwindow.h"
#include "progress/statswindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFileInfo>
#include <QSaveFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QTimer>
#include <QWidget>

namespace {

// How often a sign of playback is taken, and how often counted time is stored.
constexpr int TickMs = 5'000;
constexpr double StoreAfterSeconds = 60.0;

} // namespace

ProgressCenter::ProgressCenter(LearnerDatabase *learner, Dialogs *dialogs, QWidget *window)
    : QObject(window), m_learner(learner), m_dialogs(dialogs), m_window(window),
      m_tick(new QTimer(this))
{
    setObjectName(QStringLiteral("ProgressCenter"));
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    m_monotonic = [started] { return started->elapsed(); };
    if (m_learner) {
        m_learner->setAttemptHook([](QSqlDatabase &database, qint64 sentence,
                                     const AttemptRecord &attempt, QSqlError &error) {
            return ReviewStore::recordAttempt(database, sentence, attempt, error);
        });
    }
    // Keys and clicks anywhere in the program are the learner at work.
    qApp->installEventFilter(this);
    m_tick->setInterval(TickMs);
    connect(m_tick, &QTimer::timeout, this, [this] {
        if (m_playing())
            m_clock.activity(m_monotonic());
        if (m_clock.pending() >= StoreAfterSeconds)
            flushPractice();
    });
    m_tick->start();
    connect(qApp, &QApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
        m_clock.setActive(s == Qt::ApplicationActive && m_window->isActiveWindow(), m_monotonic());
    });
    connect(qApp, &QCoreApplication::aboutToQuit, this, &ProgressCenter::flushPractice);
}

ProgressCenter::~ProgressCenter()
{
    qApp->removeEventFilter(this);
    delete m_reader; // waits for a running query; its delivery is dropped
    m_reader = nullptr;
}

bool ProgressCenter::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
        m_clock.activity(m_monotonic());
        break;
    case QEvent::ActivationChange:
        if (watched == m_window)
            m_clock.setActive(m_window->isActiveWindow(), m_monotonic());
        break;
    case QEvent::Close:
        if (watched == m_window)
            flushPractice();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void ProgressCenter::flushPractice()
{
    // The time up to now counts; the clock goes on from here.
    m_clock.activity(m_monotonic());
    const double seconds = m_clock.take();
    if (seconds <= 0 || !m_learner || !m_learner->isOpen())
        return;
    const QDate day = m_now().date();
    m_learner->write([day, seconds](QSqlDatabase &database, QSqlError &error) {
        if (ProgressQueries::addPracticeSeconds(database, day, seconds))
            return true;
        error = database.lastError();
        return false;
    });
}

bool ProgressCenter::ensureOpen()
{
    return m_learner && m_learner->open();
}

ProgressReader *ProgressCenter::reader()
{
    if (!m_reader && m_learner)
        m_reader = new ProgressReader(m_learner->path());
    return m_reader;
}

void ProgressCenter::showError(const QString &text)
{
    m_dialogs->messageBox(tr("学习统计"), text, {Dialogs::Button::Ok}, Dialogs::Icon::Warning,
                          Dialogs::Button::Ok);
}

void ProgressCenter::showReview()
{
    if (!m_review) {
        m_review = new ReviewWindow(m_window);
        connect(m_review, &ReviewWindow::locateRequested, this, &ProgressCenter::locate);
        connect(m_review, &ReviewWindow::practiseRequested, this, [this](int row) {
            QList<ReviewStore::DueSentence> queue;
            const QList<ReviewStore::DueSentence> &all = m_review->sentences();
            for (qsizetype i = 0; i < all.size(); ++i) {
                const ReviewStore::DueSentence &d = all.at((row + i) % all.size());
                if (!d.missing)
                    queue.append(d);
            }
            if (queue.isEmpty())
                return;
            m_review->hide();
            Q_EMIT practiseRequested(queue);
        });
    }
    m_review->show();
    m_review->raise();
    m_review->activateWindow();
    refreshReview();
}

void ProgressCenter::refreshReviewIfShown()
{
    if (m_review && m_review->isVisible())
        refreshReview();
}

void ProgressCenter::refreshReview()
{
    if (!m_review)
        return;
    if (!ensureOpen()) {
        m_review->setSentences({});
        showError(tr("学习记录无法打开，没有复习计划。"));
        return;
    }
    m_review->setLoading();
    m_learner->flush(); // the attempt just made is in the list
    const QDate today = m_now().date();
    const int generation = ++m_reviewGeneration;
    reader()->run([this, today, generation](QSqlDatabase &database) -> ProgressReader::Delivery {
        QList<ReviewStore::DueSentence> due;
        if (database.isValid())
            due = ReviewStore::dueSentences(database, today);
        return [this, due, generation] {
            if (generation != m_reviewGeneration || !m_review)
                return;
            m_review->setSentences(due);
            Q_EMIT reviewLoaded(int(due.size()));
        };
    });
}

void ProgressCenter::loadStartSummary(const QStringList &paths)
{
    if (!m_learner)
        return;
    const QDate today = m_now().date();
    const int generation = ++m_startGeneration;
    // Nothing stored yet: no file is made just to find that out.
    if (!QFileInfo::exists(m_learner->path())) {
        QList<StartSummary::Recording> recordings;
        for (const QString &path : paths)
            recordings.append({path});
        QMetaObject::invokeMethod(
            this,
            [this, recordings, generation] {
                if (generation == m_startGeneration)
                    Q_EMIT startSummaryLoaded(recordings, 0);
            },
            Qt::QueuedConnection);
        return;
    }
    reader()->run([this, paths, today, generation](QSqlDatabase &database) {
        QList<StartSummary::Recording> recordings;
        int due = -1;
        if (database.isValid()) {
            recordings = StartSummary::recordings(database, paths);
            due = StartSummary::dueCount(database, today);
        } else {
            for (const QString &path : paths)
                recordings.append({path});
        }
        return ProgressReader::Delivery([this, recordings, due, generation] {
            if (generation == m_startGeneration)
                Q_EMIT startSummaryLoaded(recordings, due);
        });
    });
}

void ProgressCenter::locate(int row)
{
    if (!m_review || row < 0 || row >= m_review->sentences().size())
        return;
    const ReviewStore::DueSentence d = m_review->sentences().at(row);
    Dialogs::FileRequest request;
    request.title = tr("定位录音“%1”").arg(d.title);
    request.filter = tr("语音文件")
                     + QStringLiteral("|*.mp3;*.wav;*.wma;*.ogg;*.flac;*.m4a;*.aac;"
                                      "*.opus;*.mp4;*.mkv;*.webm|")
                     + tr("所有文件") + QStringLiteral("|*.*");
    request.fileName = QFileInfo(d.path).fileName();
    request.initialDir = QFileInfo(d.path).absolutePath();
    request.fileMustExist = true;
    const std::optional<QString> chosen = m_dialogs->openFile(request);
    if (!chosen)
        return;
    if (!recordingKeyOf(*chosen).knows(d.key)) {
        showError(tr("“%1”不是原来的那段录音（内容不同），没有改动。")
                      .arg(QDir::toNativeSeparators(*chosen)));
        return;
    }
    const RecordingKey key = d.key;
    const QString path = *chosen;
    m_learner->write([key, path](QSqlDatabase &database, QSqlError &error) {
        return ReviewStore::relocate(database, key, path, error);
    });
    refreshReview();
}

void ProgressCenter::showStats()
{
    if (!m_stats) {
        m_stats = new StatsWindow(m_window);
        connect(m_stats, &StatsWindow::rangeChanged, this, &ProgressCenter::refreshStats);
        connect(m_stats, &StatsWindow::exportRequested, this, &ProgressCenter::exportCsv);
    }
    m_stats->show();
    m_stats->raise();
    m_stats->activateWindow();
    refreshStats();
}

void ProgressCenter::refreshStats()
{
    if (!m_stats)
        return;
    if (!ensureOpen()) {
        m_stats->setFigures({});
        m_stats->setMessage(tr("学习记录无法打开，没有可显示的统计。"));
        return;
    }
    flushPractice();
    m_learner->flush();
    m_stats->setLoading();
    const QDate today = m_now().date();
    const int days = m_stats->rangeDays();
    const int generation = ++m_statsGeneration;
    reader()->run(
        [this, today, days, generation](QSqlDatabase &database) -> ProgressReader::Delivery {
            ProgressFigures figures;
            if (database.isValid())
                figures = ProgressQueries::load(database, today, days);
            return [this, figures, generation] {
                if (generation != m_statsGeneration || !m_stats)
                    return;
                m_stats->setFigures(figures);
                Q_EMIT statsLoaded();
            };
        });
}

void ProgressCenter::exportCsv()
{
    if (!ensureOpen())
        return;
    Dialogs::FileRequest request;
    request.title = tr("导出听写记录");
    request.filter = tr("CSV 文件") + QStringLiteral("|*.csv");
    request.fileName =
        QStringLiteral("quillmar-%1.csv").arg(m_now().date().toString(QStringLiteral("yyyyMMdd")));
    request.defaultSuffix = QStringLiteral("csv");
    request.confirmOverwrite = true;
    const std::optional<QString> chosen = m_dialogs->saveFile(request);
    if (!chosen)
        return;
    m_learner->flush();
    const QString path = *chosen;
    if (m_stats)
        m_stats->setMessage(tr("正在导出…"));
    reader()->run([this, path](QSqlDatabase &database) -> ProgressReader::Delivery {
        QSaveFile file(path);
        QString problem;
        if (!database.isValid())
            problem = tr("学习记录无法打开");
        else if (!file.open(QIODevice::WriteOnly))
            problem = file.errorString();
        else if (!ProgressQueries::writeAttemptsCsv(database, file) || !file.commit())
            problem = file.errorString();
        return [this, path, problem] {
            if (!problem.isEmpty()) {
                if (m_stats)
                    m_stats->setMessage(QString());
                showError(tr("无法导出到“%1”：%2").arg(QDir::toNativeSeparators(path), problem));
            } else if (m_stats) {
                m_stats->setMessage(tr("已导出到“%1”").arg(QDir::toNativeSeparators(path)));
            }
            Q_EMIT exportFinished(problem.isEmpty(), path);
        };
    });
}
