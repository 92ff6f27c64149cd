// The answer check through the window, on an answer text of about 1 MB:
// opening the answer file, laying it out (display lines and filler lines
// included) and the longest the window is held meanwhile, and one apply with
// the check on, for a line found near the end and for a line found nowhere. Prints "name value
// unit" lines; times are medians.
#include "app/tform_main.h"
#include "dictation/answerlines.h"
#include "dictation/answerpane.h"
#include "settings/settingsstore.h"
#include "support/fakedialogs.h"
#include "support/fakeplayer.h"
#include "support/fakeshell.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTemporaryDir>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int OpenRuns = 7;
constexpr int ApplyRuns = 21;

// Numbered sentences of a few words, one to a line, with a longer paragraph
// now and then: about 1 MB, CR LF line breaks.
QByteArray answerText(QString *nearTheEnd)
{
    static const char *const words[] = {
        "the",     "learner", "hears",  "a",      "sentence", "and",       "types",
        "what",    "she",     "heard",  "into",   "line",     "of",        "text",
        "before",  "next",    "one",    "plays",  "quietly",  "again",     "river",
        "morning", "station", "window", "garden", "letter",   "yesterday", "because"};
    QRandomGenerator random(20261208);
    QString text;
    QString last;
    for (int n = 1; text.size() < 1000000; ++n) {
        const bool paragraph = random.bounded(25) == 0;
        QString line = QStringLiteral("Sentence %1:").arg(n);
        const int count = paragraph ? 60 + random.bounded(60) : 2 + random.bounded(5);
        for (int i = 0; i < count; ++i)
            line += QLatin1Char(' ') + QLatin1String(words[random.bounded(int(std::size(words)))]);
        line += QLatin1Char('.');
        text += line + QStringLiteral("\r\n");
        if (!paragraph)
            last = line;
    }
    *nearTheEnd = last.chopped(1); // the full stop becomes the tail
    return text.toUtf8();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double timeMs(const std::function<void()> &run)
{
    QElapsedTimer timer;
    timer.start();
    run();
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");

    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("program"));
    FakePlayer player;
    FakeDialogs dialogs;
    FakeShell shell;
    TForm_MainServices services;
    services.player = &player;
    services.dialogs = &dialogs;
    services.shell = &shell;
    services.programDir = dir.filePath(QStringLiteral("program")) + QLatin1Char('/');
    TForm_Main window(services);
    window.setWindowState(Qt::WindowNoState);
    window.resize(1000, 700);
    window.show();
    QApplication::processEvents();

    const QString recording = dir.filePath(QStringLiteral("lesson.mp3"));
    QFile(recording).open(QIODevice::WriteOnly);
    player.length = 200.0;
    window.OpenSourceFile(recording);
    player.setStateAndNotify(MediaPlayer::Playing);
    FakePlayer::flushEvents();

    QString nearTheEnd;
    const QString answer = dir.filePath(QStringLiteral("answer.txt"));
    {
        QFile file(answer);
        file.open(QIODevice::WriteOnly);
        file.write(answerText(&nearTheEnd));
    }

    std::vector<double> open;
    for (int run = 0; run < OpenRuns; ++run) {
        dialogs.fileAnswers.enqueue(answer);
        open.push_back(timeMs([&] {
            window.findChild<QAction *>(QStringLiteral("Action_OpenAnswerFile"))->trigger();
        }));
    }
    // The answer is laid out between events after opening; a learner types
    // the first line long after that is done. Each pass through the event
    // loop is as long as the window does not answer.
    auto *lines = window.findChild<AnswerLines *>();
    QElapsedTimer layout;
    layout.start();
    double longestPass = 0;
    while (!lines->isFinished())
        longestPass = std::max(longestPass, timeMs([] { QApplication::processEvents(); }));
    const double layoutMs = double(layout.nsecsElapsed()) / 1e6;
    const int answerLines = window.findChild<AnswerPane *>()->lineCount();

    TOptionFlags options;
    options.VerifyBeforeApplying = true;
    options.RecordRepeatPoints = true;
    options.RecordDictateTime = true;
    window.findChild<SettingsStore *>()->setOptions(options);
    auto *line = window.findChild<QLineEdit *>(QStringLiteral("LabeledEdit_Dictation"));
    auto *apply = window.findChild<QPushButton *>(QStringLiteral("Button_Apply"));
    auto *answerView = window.findChild<QPlainTextEdit *>(QStringLiteral("Memo_Answer"));
    auto applyTimes = [&](const QString &typed) {
        std::vector<double> times;
        for (int run = 0; run < ApplyRuns; ++run) {
            line->setText(typed);
            times.push_back(timeMs([&] { apply->click(); }));
        }
        return times;
    };
    const std::vector<double> hit = applyTimes(nearTheEnd);
    const int hitLine = answerView->verticalScrollBar()->value();
    const bool hitApplied = line->text().isEmpty() && dialogs.messages.isEmpty();
    const std::vector<double> miss = applyTimes(QStringLiteral("a sentence found nowhere at all"));
    const bool missRefused = dialogs.messages.size() == ApplyRuns;

    std::printf("answer_bytes %lld bytes\n", static_cast<long long>(QFile(answer).size()));
    // With a final line break there are as many filler lines as text lines.
    std::printf("answer_text_display_lines %d lines\n", answerLines / 2);
    std::printf("answer_hit_line %d line\n", hitLine);
    std::printf("open_answer_ms %.2f ms\n", median(open));
    std::printf("open_answer_laid_out_ms %.1f ms\n", layoutMs);
    std::printf("open_answer_longest_pass_ms %.2f ms\n", longestPass);
    std::printf("apply_hit_ms %.3f ms\n", median(hit));
    std::printf("apply_miss_ms %.3f ms\n", median(miss));
    if (!hitApplied || !missRefused) {
        std::fprintf(stderr, "unexpected outcome: hit applied %d, miss refused %d\n", hitApplied,
                     missRefused);
        return 1;
    }
    return 0;
}
