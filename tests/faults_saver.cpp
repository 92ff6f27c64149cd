// A child process for the killed-save tests: opens a dictation document in the
// main window (on fakes), edits it at both ends and saves it through the
// window, saying on standard output when the save starts and how it ended, so
// that the parent can kill it in the middle.
//
//     faults_saver <program folder> <dictation file>
//
// Prints "saving" just before the save and then "saved" or "failed".
#include "app/tform_main.h"
#include "dictation/dictationdocument.h"
#include "platform/guard.h"
#include "support/fakedialogs.h"
#include "support/fakeplayer.h"
#include "support/fakeshell.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTextCursor>

#include <clocale>
#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fputs("usage: faults_saver <program folder> <dictation file>\n", stderr);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");

    FakePlayer player;
    FakeDialogs dialogs;
    FakeShell shell;
    TForm_MainServices services{
        &player, &dialogs, &shell, QString::fromLocal8Bit(argv[1]) + QLatin1Char('/'), {}, {}};
    TForm_Main window(services);
    const QString fileName = QString::fromLocal8Bit(argv[2]);
    const Guard guard(&dialogs, TForm_Main::applicationTitle());
    auto &document = *window.findChild<DictationDocument *>();
    guard.run([&] { window.OpenDictationFile(fileName); });
    if (!document.isOpen() || document.text().isEmpty()) {
        std::fputs("not opened\n", stdout);
        return 1;
    }
    // An edit at the top: a file written over in place and cut off would then
    // differ from the old one from its first byte on.
    QTextCursor(window.findChild<QPlainTextEdit *>(QStringLiteral("Memo_Dictation"))->document())
        .insertText(QStringLiteral("改过的第一行\n"));
    document.appendLine(QStringLiteral("最后一行"));

    std::fputs("saving\n", stdout);
    std::fflush(stdout);
    guard.run([&] { document.save(); });
    std::fputs(document.isModified() || !dialogs.messages.isEmpty() ? "failed\n" : "saved\n",
               stdout);
    std::fflush(stdout);
    // Tearing down a document of this size takes long and proves nothing here.
    std::_Exit(0);
}
