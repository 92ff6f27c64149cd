// The yardstick for start-up: a plain Qt window with what every desktop
// program shows (menu, tool bar, two text pages, status bar) in the program's
// window font, and nothing else. No player, no settings file, no images.
#include "platform/windowfont.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("QuillmarBareWindow"));
    window.setFont(WindowFont());

    QMenu *file = window.menuBar()->addMenu(QStringLiteral("文件"));
    QToolBar *tools = window.addToolBar(QStringLiteral("工具"));
    for (const QString &caption :
         {QStringLiteral("打开"), QStringLiteral("保存"), QStringLiteral("关闭")}) {
        QAction *command = file->addAction(caption);
        tools->addAction(command);
    }
    file->addSeparator();
    QAction *quit = file->addAction(QStringLiteral("退出"));
    QObject::connect(quit, &QAction::triggered, &window, &QMainWindow::close);
    window.menuBar()->addMenu(QStringLiteral("帮助"))->addAction(QStringLiteral("关于"));

    auto *pages = new QTabWidget(&window);
    pages->addTab(new QPlainTextEdit, QStringLiteral("听写内容"));
    pages->addTab(new QPlainTextEdit, QStringLiteral("答案"));
    window.setCentralWidget(pages);
    window.statusBar()->showMessage(QStringLiteral("就绪"));

    // Maximised like the program's main window, so both paint the same area.
    window.showMaximized();
    return app.exec();
}
