#include "platform/imagelist.h"
#include "app/tform_main.h"
#include "platform/desktopshell.h"
#include "platform/errors.h"
#include "platform/mpvplayer.h"
#include "platform/qtdialogs.h"
#include "platform/qttranslations.h"

#include <QApplication>
#include <QLocale>
#include <QMessageBox>

#include <clocale>
#include <memory>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // libmpv parses numbers with the C locale.
    std::setlocale(LC_NUMERIC, "C");
    // The interface is Chinese, and so are Qt's own dialogs and menus.
    installQtTranslations(app, QLocale(QLocale::Chinese, QLocale::China));
    QApplication::setApplicationName(QStringLiteral("Quillmar"));
    // The title is the main window's caption. It is not made the display
    // name: Qt would append that to every dialog's and message box's caption.
    // The desktop entry gives the shell the program's name and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("invalid.quillmar.Quillmar"));
    initImageListResources();
    QApplication::setWindowIcon(applicationIcon());

    std::unique_ptr<MpvPlayer> player;
    try {
        player = std::make_unique<MpvPlayer>();
    } catch (const AppError &error) {
        QMessageBox::critical(nullptr, TForm_Main::ApplicationTitle, error.text());
        return 1;
    }
    QtDialogs dialogs;
    DesktopShell shell;
    TForm_MainServices services;
    services.player = player.get();
    services.dialogs = &dialogs;
    services.shell = &shell;
    services.programDir = QCoreApplication::applicationDirPath() + QLatin1Char('/');

    TForm_Main window(services);
    dialogs.setParent(&window);
    window.show();
    window.OpenFromCommandLine(QApplication::arguments());
    return app.exec();
}
