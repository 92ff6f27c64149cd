// The program as the recovery tests start, end and start again: the real
// window, settings and recovery copies, on the scripted player and dialogs.
//   recovery_driver <folder> type       apply three lines, then run until ended
//   recovery_driver <folder> reference  apply the same three lines and save
//   recovery_driver <folder> restore    answer Yes to the recovery offer and save
//   recovery_driver <folder> place      open the recording, print its loop points
// "type" also marks the loop 12.000-15.500 after the lines.
#include "app/tform_main.h"
#include "dictation/dictationdocument.h"
#include "dictation/dictationline.h"
#include "platform/dialogs.h"
#include "platform/terminationsignals.h"
#include "playback/loopregion.h"
#include "support/fakedialogs.h"
#include "support/fakeplayer.h"
#include "support/fakeshell.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QLineEdit>

#include <clocale>
#include <cstdio>

namespace {

void say(const char *word)
{
    std::fputs(word, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 3)
        return 2;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QByteArray mode(argv[2]);

    FakePlayer player;
    FakeDialogs dialogs;
    FakeShell shell;
    TForm_MainServices services{&player,
                                &dialogs,
                                &shell,
                                folder + QStringLiteral("/program/"),
                                folder + QStringLiteral("/recovery"),
                                folder + QStringLiteral("/resume.json"),
                                folder + QStringLiteral("/learner.sqlite")};
    QDir().mkpath(services.programDir);
    TForm_Main window(services);
    window.setClock([] { return QDateTime(QDate(2026, 12, 8), QTime(20, 0, 0)); });
    window.setWait([](int) {});
    TerminationSignals termination;
    window.connectTermination(termination);
    auto &document = *window.findChild<DictationDocument *>();
    const auto save = [&] {
        window.findChild<QAction *>(QStringLiteral("Action_SaveDictationFile"))->trigger();
        say(document.isModified() ? "failed" : "saved");
    };

    if (mode == "restore") {
        dialogs.answers.enqueue(Dialogs::Button::Yes);
        window.OfferRecovery();
        save();
        return 0;
    }
    player.length = 60.0;
    window.OpenSourceFile(folder + QStringLiteral("/lesson.mp3"));
    player.setStateAndNotify(MediaPlayer::Playing);
    FakePlayer::flushEvents();
    const auto command = [&window](const char *name) {
        window.findChild<QAction *>(QLatin1String(name))->trigger();
    };
    if (mode == "place") {
        const LoopRegion &loop = *window.findChild<LoopRegion *>();
        std::printf("%.3f %.3f\n", loop.start(), loop.end());
        std::fflush(stdout);
        return 0;
    }
    auto *line = window.findChild<QLineEdit *>(QStringLiteral("LabeledEdit_Dictation"));
    auto *dictation = window.findChild<DictationLine *>();
    for (const QString &text : {QStringLiteral("第一句。"), QStringLiteral("the second line"),
                                QStringLiteral("Третья строка")}) {
        line->setText(text);
        Q_EMIT dictation->applyRequested();
    }
    if (mode == "reference") {
        save();
        return 0;
    }
    player.position = 12.0;
    command("Action_SetStartPoint");
    player.position = 15.5;
    command("Action_SetEndPoint");
    say("typed");
    return app.exec();
}
