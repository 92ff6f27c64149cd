#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QFrame;
class QLabel;
class QTextEdit;
class QPushButton;

class Dialogs;
class Shell;

// The about box: the version information of the executable and three links
// to the program's maker.
class TForm_About : public QDialog
{
    Q_OBJECT
public:
    // executablePath: the file whose version block is shown; empty for the
    // running executable.
    TForm_About(Dialogs &dialogs, Shell &shell, const QString &executablePath = {},
                QWidget *parent = nullptr);

    void FormCreate();
    void FillVersionInfo(QStringList &lines) const;
    // The same for any executable file.
    static void FillVersionInfo(QStringList &lines, const QString &executablePath);

    void Label3Click();
    void Label5Click();
    void Label6Click();

    QFrame *Panel1 = nullptr;
    QLabel *Image1 = nullptr;
    QTextEdit *Memo1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label5 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label6 = nullptr;
    QFrame *Panel2 = nullptr;
    QPushButton *BitBtn1 = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Dialogs &m_dialogs;
    Shell &m_shell;
    QString m_executablePath;
};
