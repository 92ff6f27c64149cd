// The start page of the empty window, and what it shows of the learner's
// recent recordings and review.
#include "app/tform_main.h"

#include "dictation/answerpane.h"
#include "dictation/dictationdocument.h"
#include "learner/learnerdatabase.h"
#include "lesson/lessoncontroller.h"
#include "playback/recording.h"
#include "progress/progresscenter.h"
#include "progress/startpage.h"
#include "progress/startsummary.h"
#include "sentences/sentencetrack.h"
#include "settings/recentfiles.h"

#include <QAction>
#include <QMenu>
#include <QSqlDatabase>
#include <QSqlError>
#include <QStackedWidget>
#include <QTabWidget>

void TForm_Main::wireStartPage()
{
    connect(m_startPage, &StartPage::openRequested, this,
            [this] { action(QStringLiteral("Action_OpenSourceFile"))->trigger(); });
    // Not waiting for the player here: openLater() waits without holding
    // up the window.
    connect(m_startPage, &StartPage::recordingChosen, this,
            [this](const QString &path) { openLater(path); });
    // The player loads once a recording is likely to come, not at start-up.
    if (m_services.preparePlayer) {
        connect(m_startPage, &StartPage::aboutToChoose, this, m_services.preparePlayer);
        connect(m_recentMenu, &QMenu::aboutToShow, this, m_services.preparePlayer);
    }
    connect(m_startPage, &StartPage::reviewRequested, this, m_guard.wrap([this] { ShowReview(); }));
    connect(m_answer, &AnswerPane::fileNameChanged, this, [this] { showStartPageWhenEmpty(); });
    if (m_progress) {
        connect(m_progress, &ProgressCenter::startSummaryLoaded, this,
                [this](const QList<StartSummary::Recording> &recordings, int due) {
                    m_startPage->setRecordings(recordings, m_now().date());
                    m_startPage->setDueCount(due);
                });
    }
    // How many sentences the recording has, for its progress on the start page.
    connect(m_sentences, &SentenceTrack::sentencesChanged, this, [this] {
        const int count = int(m_sentences->sentences().size());
        const RecordingKey key = m_lessonControl->recordingKey();
        if (!m_learner || !key.isValid() || count == 0)
            return;
        m_learner->write([key, count](QSqlDatabase &database, QSqlError &error) {
            return StartSummary::storeSentenceCount(database, key, count, error);
        });
    });
}

void TForm_Main::showStartPageWhenEmpty()
{
    const bool empty =
        m_recording->path().isEmpty() && !m_document->isOpen() && m_answer->fileName().isEmpty();
    QWidget *shown = empty ? static_cast<QWidget *>(m_startPage) : m_pages;
    if (m_pageStack->currentWidget() == shown)
        return;
    m_pageStack->setCurrentWidget(shown);
    if (empty)
        refreshStartPage();
}

void TForm_Main::refreshStartPage()
{
    QStringList recent = m_recent->list();
    recent.removeAll(QString()); // the list's unused places
    if (m_progress) {
        m_progress->loadStartSummary(recent);
        return;
    }
    QList<StartSummary::Recording> recordings;
    for (const QString &path : recent)
        recordings.append({path});
    m_startPage->setRecordings(recordings, m_now().date());
    m_startPage->setDueCount(-1);
}
