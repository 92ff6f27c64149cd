// The answer text shown beside the dictation.
#include "app/tform_main.h"

#include <QLabel>
#include <QPlainTextEdit>

void TForm_Main::OpenAnswerFile() {}

void TForm_Main::CloseAnswerFile()
{
    Memo_Answer->clear();
    SetAnswerFileName(QString());
}

void TForm_Main::SetAnswerFileName(const QString &fileName)
{
    if (fileName == AnswerFileName)
        return;
    AnswerFileName = fileName;
    Label_AnswerFileName->setText(QStringLiteral("  答案文件: ")
                                  + (fileName.isEmpty() ? QStringLiteral("未指定") : fileName));
}
