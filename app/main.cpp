#include "align/printalignment.h"
#include "app/tform_main.h"
#include "dictation/textfile.h"
#include "platform/applicationstyle.h"
#include "platform/desktopshell.h"
#include "platform/errors.h"
#include "platform/imagelist.h"
#include "platform/mprisservice.h"
#include "platform/mpvplayer.h"
#include "platform/qtdialogs.h"
#include "platform/qttranslations.h"
#include "platform/terminationsignals.h"
#include "recovery/recoverystore.h"
#include "sentences/analysiscache.h"
#include "sentences/printsentences.h"
#include "settings/settingsstore.h"

#include <QApplication>
#include <QLocale>
#include <QStandardPaths>
#include <QTextStream>
#include <QTimer>

#include <clocale>
#include <cstring>
#include <memory>

namespace {

// The language dictated, for the voice a text is read in.
QString storedDictationLanguage(const QString &programDir)
{
    const SettingsStore settings(programDir, nullptr);
    return settings.text(Preferences::DictationLanguage);
}

// `quillmar --print-sentences FILE [--text TRANSCRIPT]`: the sentences of a
// recording, one per line, for scripts; with a transcript, its sentences
// aligned to the speech. Needs no display.
int printSentencesCommand(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 5 && arguments.at(3) == QLatin1String("--text")) {
        QString text;
        try {
            text = readTextFile(arguments.at(4)).text;
        } catch (const AppError &e) {
            err << e.text() << Qt::endl;
            return 2;
        }
        const QString programDir = QCoreApplication::applicationDirPath() + QLatin1Char('/');
        return printAlignedSentences(arguments.at(2), text, storedDictationLanguage(programDir),
                                     out, err);
    }
    if (arguments.size() != 3) {
        err << "usage: quillmar --print-sentences FILE [--text TRANSCRIPT]\n";
        return 2;
    }
    return printSentences(arguments.at(2), out, err);
}

// The learner's choice of language. Reading the settings never fails: what
// cannot be read follows the system.
QString storedLanguageChoice(const QString &programDir)
{
    const SettingsStore settings(programDir, nullptr);
    return settings.text(Preferences::Language);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc >= 2 && std::strcmp(argv[1], "--print-sentences") == 0)
        return printSentencesCommand(argc, argv);

    QApplication app(argc, argv);
    QApplication::setStyle(new ApplicationStyle);
    // libmpv parses numbers with the C locale.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("Quillmar"));
    const QString programDir = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    // The interface language, and with it Qt's own dialogs and menus, is
    // decided before any window exists; a change takes effect at the next start.
    const InterfaceLanguage language =
        interfaceLanguage(storedLanguageChoice(programDir), QLocale::system());
    installTranslations(app, language);

    // libmpv loads on a thread of its own. Given a recording, the learner
    // waits for its sound, so loading starts now, alongside building the
    // window; otherwise once a recording is about to be chosen (below). A
    // recording opened before the player is ready waits for it.
    MpvPlayer player;
    if (!TForm_Main::commandLineRecording(QApplication::arguments()).isEmpty())
        player.startLoading();
    // The title is the main window's caption. It is not made the display
    // name: Qt would append that to every dialog's and message box's caption.
    // The desktop entry gives the shell the program's name and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.quillmar.Quillmar"));
    initImageListResources();

    QtDialogs dialogs;
    DesktopShell shell;
    TForm_MainServices services;
    services.player = &player;
    services.dialogs = &dialogs;
    services.shell = &shell;
    services.programDir = programDir;
    services.language = language;
    services.recoveryFolder = RecoveryStore::defaultFolder();
    services.analysisCacheFolder = AnalysisCache::defaultFolder();
    services.resumeFile = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
                          + QStringLiteral("/resume.json");
    services.learnerDatabase = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
                               + QStringLiteral("/learner.db");
    services.video = &player;

    // The empty window does without the player (and its memory).
    services.preparePlayer = [&player] { player.startLoading(); };
    // Made once the window shows; it outlives the window, which uses it.
    std::unique_ptr<MprisService> mediaControls;
    TForm_Main window(services);
    dialogs.setParent(&window);
    // Logout and shutdown end the program: unsaved dictation is kept first.
    TerminationSignals termination;
    window.connectTermination(termination);
    window.show();
    // The icon of every window, the main window's too. Drawing it at the
    // window system's sizes would hold up the first showing, so it comes
    // once the window is up and before any dialog.
    QTimer::singleShot(0, &window, [] { QApplication::setWindowIcon(applicationIcon()); });
    QTimer::singleShot(0, &window, [&window] { window.OfferRecovery(); });
    // Media keys and foot pedals, through the desktop; after the window shows.
    QTimer::singleShot(0, &window, [&window, &mediaControls] {
        mediaControls = std::make_unique<MprisService>(QDBusConnection::sessionBus());
        window.attachMediaControls(mediaControls.get());
    });
    window.OpenFromCommandLine(QApplication::arguments());
    return app.exec();
}
