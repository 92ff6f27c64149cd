// Sentence by sentence dictation through the window on the scripted player:
// how long a right line takes to set the next sentence's loop (the 500 ms
// pause itself left out), the longest the window's thread spends handing
// progress to the learner database while the learner types, and updating
// the sentence list of a 2,000-sentence recording. Prints "name value unit"
// lines.
#include "app/tform_main.h"
#include "dictation/dictationline.h"
#include "learner/learnerdatabase.h"
#include "lesson/sentencelistmodel.h"
#include "playback/loopregion.h"
#include "support/fakedialogs.h"
#include "support/fakeplayer.h"
#include "support/fakeshell.h"
#include "support/tonewav.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int Sentences = 40;

// A quiet tone with one subtitle cue per 2 s.
QString writeLesson(const QString &folder)
{
    QList<QByteArray> cues;
    for (int i = 0; i < Sentences; ++i)
        cues.append("sentence number " + QByteArray::number(i + 1) + " is here");
    const QString path = writeCuedLesson(folder, cues, 1.3);
    if (path.isEmpty())
        std::fprintf(stderr, "cannot write the lesson in %s\n", qPrintable(folder));
    return path;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

double advanceMs(const QString &folder)
{
    FakePlayer player;
    FakeDialogs dialogs;
    FakeShell shell;
    QDir().mkpath(folder + QStringLiteral("/program"));
    TForm_MainServices services;
    services.player = &player;
    services.dialogs = &dialogs;
    services.shell = &shell;
    services.programDir = folder + QStringLiteral("/program/");
    services.learnerDatabase = folder + QStringLiteral("/learner.db");
    TForm_Main window(services);
    const QString wav = writeLesson(folder);
    window.OpenSourceFile(wav);
    player.length = 2.0 * Sentences + 1;
    player.setStateAndNotify(MediaPlayer::Playing);
    FakePlayer::flushEvents();
    auto *loop = window.findChild<LoopRegion *>();
    if (!QTest::qWaitFor([&] { return loop->start() > 0; }, 30000))
        std::fprintf(stderr, "the lesson did not start\n");
    // The pause before the next sentence is the specified one; left out here.
    auto *wait = window.findChild<QTimer *>(QStringLiteral("Timer_NextSentence"));
    wait->setInterval(0);
    auto *line = window.findChild<QLineEdit *>(QStringLiteral("LabeledEdit_Dictation"));
    std::vector<double> times;
    for (int i = 0; i + 1 < Sentences; ++i) {
        const double before = loop->start();
        line->setText(QStringLiteral("sentence number %1 is here").arg(i + 1));
        QElapsedTimer clock;
        clock.start();
        Q_EMIT window.findChild<DictationLine *>()->applyRequested();
        if (!QTest::qWaitFor([&] { return loop->start() != before; }, 5000)) {
            std::fprintf(stderr, "the lesson did not move on at sentence %d\n", i + 1);
            break;
        }
        times.push_back(clock.nsecsElapsed() / 1e6);
    }
    dialogs.answers.enqueue(Dialogs::Button::No); // leave the document unsaved
    window.CloseSourceFile();
    return median(times);
}

double writeBlockedMaxMs(const QString &folder)
{
    LearnerDatabase database(folder + QStringLiteral("/writes.db"));
    database.open();
    const RecordingKey key{QStringLiteral("digest"), 1000};
    double longest = 0.0;
    for (int i = 0; i < 500; ++i) {
        SentenceProgress progress;
        progress.start = i;
        progress.end = i + 0.5;
        progress.state = SentenceState::Attempted;
        progress.tries = 1;
        progress.bestScore = 50;
        progress.bestLine = QStringLiteral("a typed line of some length, number %1").arg(i);
        AttemptRecord attempt;
        attempt.at = QDateTime::currentDateTime();
        attempt.typed = progress.bestLine;
        attempt.score = 50;
        QElapsedTimer clock;
        clock.start();
        database.saveSentence(key, QStringLiteral("/x/lesson.wav"), progress, attempt);
        QCoreApplication::processEvents(); // the keys the learner types meanwhile
        longest = std::max(longest, clock.nsecsElapsed() / 1e6);
    }
    database.flush();
    return longest;
}

void sentenceList(double *fillMs, double *updateMs)
{
    SentenceListModel model;
    QTableView view;
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.setModel(&model);
    view.resize(500, 700);
    view.show();
    QList<SentenceProgress> rows(2000);
    for (int i = 0; i < rows.size(); ++i) {
        rows[i].start = i * 1.7;
        rows[i].end = i * 1.7 + 1.5;
    }
    QElapsedTimer clock;
    clock.start();
    model.setProgress(rows);
    view.repaint();
    *fillMs = clock.nsecsElapsed() / 1e6;
    std::vector<double> times;
    for (int i = 0; i < 200; ++i) {
        SentenceProgress p = rows[i * 10];
        p.state = SentenceState::Passed;
        p.tries = 2;
        p.bestScore = 100;
        p.bestLine = QStringLiteral("the line the learner typed");
        clock.restart();
        model.setRow(i * 10, p);
        model.setCurrent(i * 10);
        view.selectRow(i * 10);
        view.scrollTo(model.index(i * 10, 0));
        view.repaint();
        times.push_back(clock.nsecsElapsed() / 1e6);
    }
    *updateMs = *std::max_element(times.begin(), times.end());
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    QTemporaryDir dir;
    std::printf("advance_ms %.2f ms\n", advanceMs(dir.path()));
    std::printf("progress_write_blocked_max_ms %.3f ms\n", writeBlockedMaxMs(dir.path()));
    double fill = 0.0;
    double update = 0.0;
    sentenceList(&fill, &update);
    std::printf("sentence_list_fill_ms %.2f ms\n", fill);
    std::printf("sentence_list_update_ms %.2f ms\n", update);
    return 0;
}
