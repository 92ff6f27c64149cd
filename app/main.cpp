#include "app/imagelist.h"
#include "app/tform_main.h"
#include "platform/desktopshell.h"
#include "platform/errors.h"
#include "platform/mpvplayer.h"
#include "platform/qtdialogs.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>

#include <clocale>
#include <memory>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // libmpv parses numbers with the C locale.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("Quillmar"));
    QApplication::setApplicationDisplayName(TForm_Main::ApplicationTitle);
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
    // A recording given as the one argument ("Open with" of a file manager)
    // opens once start-up is complete.
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() == 2) {
        const QString path = QFileInfo(arguments.at(1)).absoluteFilePath();
        QTimer::singleShot(0, &window, [&window, path] {
            window.guarded([&window, path] { window.OpenSourceFile(path); });
        });
    }
    return app.exec();
}
