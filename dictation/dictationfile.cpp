// The dictation document and its file.
#include "app/tform_main.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

void TForm_Main::Memo_DictationChange()
{
    DictationModified = true;
}

void TForm_Main::OpenDictationFile(const QString &fileName)
{
    CloseDictationFile();
    SetDictationFileName(fileName);
    EnableDictation(true);
    FocusDictationLine();
    DictationOpen = true;
}

void TForm_Main::ChooseDictationFile() {}

void TForm_Main::CloseDictationFile()
{
    Memo_Dictation->clear();
    LabeledEdit_Dictation->clear();
    DictationModified = false;
    SetDictationFileName(QString());
    EnableDictation(false);
    DictationOpen = false;
}

void TForm_Main::SaveDictationFile(const QString &, const QString &) {}

void TForm_Main::SaveDictationFileAs(QString &, const QString &) {}

void TForm_Main::SetDictationFileName(const QString &fileName)
{
    DictationFileName = fileName;
    Label_DictationFileName->setText(QStringLiteral("  听写文件: ")
                                     + (fileName.isEmpty() ? QStringLiteral("未指定") : fileName));
}

void TForm_Main::EnableDictation(bool enabled)
{
    Memo_Dictation->setEnabled(enabled);
    LabeledEdit_Dictation->setEnabled(enabled);
    Button_Apply->setEnabled(enabled);
}

void TForm_Main::Action_CreateDictationFileExecute()
{
    OpenDictationFile(QString());
}

void TForm_Main::Action_SaveDictationFileExecute() {}

void TForm_Main::Action_SaveAsDictationFileExecute() {}
