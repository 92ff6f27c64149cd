// The dictation document and its file.
#include "app/tform_main.h"

#include "dictation/samefile.h"
#include "dictation/textfile.h"
#include "platform/dialogs.h"
#include "platform/errors.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

const QString TextFilter = QStringLiteral("文本文件 (*.txt)|*.txt");

TextFileContent::Encoding encodingOf(bool gb18030)
{
    return gb18030 ? TextFileContent::Encoding::Gb18030 : TextFileContent::Encoding::Utf8;
}

} // namespace

void TForm_Main::Memo_DictationChange()
{
    DictationModified = true;
}

QString TForm_Main::DictationText() const
{
    // The raw text keeps every character as typed (no-break spaces included);
    // only the block separators and Shift+Enter's line separators become line
    // breaks.
    return fromEditorRawText(Memo_Dictation->document()->toRawText());
}

void TForm_Main::AppendDictationLine(const QString &line)
{
    // The editor holds the CR LF text as blocks: an empty text is one empty
    // block, and a text ending with CR LF ends with an empty block.
    QTextDocument *document = Memo_Dictation->document();
    const bool endsWithBreak = document->lastBlock().text().isEmpty();
    QTextCursor cursor(document);
    cursor.movePosition(QTextCursor::End);
    if (document->isEmpty() || (endsWithBreak && document->blockCount() > 1))
        cursor.insertText(line + QLatin1Char('\n'));
    else
        cursor.insertText(QLatin1Char('\n') + line);
}

void TForm_Main::OpenDictationFile(const QString &fileName)
{
    CloseDictationFile();
    const QFileInfo info(fileName);
    if (!fileName.isEmpty() && info.exists() && !info.isDir()) {
        const TextFileContent content = readTextFile(fileName);
        Memo_Dictation->setPlainText(toEditorText(content.text));
        m_dictationIsGb18030 = content.encoding == TextFileContent::Encoding::Gb18030;
        DictationModified = false;
    }
    if (Memo_Dictation->document()->isEmpty() && !SourceFileName.isEmpty()) {
        AppendDictationLine(QStringLiteral("听写记录"));
        AppendDictationLine(QStringLiteral("语音文件: ") + SourceFileName);
    }
    SetDictationFileName(fileName);
    EnableDictation(true);
    FocusDictationLine();
    DictationOpen = true;
}

void TForm_Main::ChooseDictationFile()
{
    Dialogs::FileRequest request;
    request.title = QStringLiteral("请选择听写文件");
    request.filter = TextFilter;
    request.fileMustExist = true;
    const std::optional<QString> chosen = m_services.dialogs->openFile(request);
    if (chosen && QFileInfo(*chosen).isFile())
        OpenDictationFile(*chosen);
}

void TForm_Main::CloseDictationFile()
{
    if (DictationModified) {
        const Dialogs::Button answer = m_services.dialogs->messageBox(
            MessageCaption, QStringLiteral("您当前听写的内容要保存吗？"),
            {Dialogs::Button::Yes, Dialogs::Button::No, Dialogs::Button::Cancel},
            Dialogs::Icon::Information, Dialogs::Button::Cancel);
        if (answer == Dialogs::Button::Yes) {
            if (DictationFileName.isEmpty())
                SaveDictationFileAs(DictationFileName, AnswerFileName);
            else
                SaveDictationFile(DictationFileName, AnswerFileName);
        } else if (answer != Dialogs::Button::No) {
            throw Abandon();
        }
    }
    Memo_Dictation->clear();
    {
        // Emptying the line is the program's doing, not the learner's typing.
        const QSignalBlocker detached(LabeledEdit_Dictation);
        LabeledEdit_Dictation->clear();
    }
    DictationModified = false;
    m_dictationIsGb18030 = false;
    SetDictationFileName(QString());
    EnableDictation(false);
    DictationOpen = false;
}

void TForm_Main::writeDictation(const QString &fileName)
{
    if (!writeTextFile(fileName, DictationText(), encodingOf(m_dictationIsGb18030))) {
        m_services.dialogs->messageBox(MessageCaption, QStringLiteral("保存时发生错误！"),
                                       {Dialogs::Button::Ok}, Dialogs::Icon::Error,
                                       Dialogs::Button::Ok);
        throw Abandon();
    }
}

void TForm_Main::SaveDictationFile(const QString &fileName, const QString &answerFileName)
{
    if (!DictationModified)
        return;
    if (IsSameFile(fileName, answerFileName)) {
        m_services.dialogs->messageBox(MessageCaption, QStringLiteral("听写文件和答案文件相同，请另存！"),
                                       {Dialogs::Button::Ok}, Dialogs::Icon::Information,
                                       Dialogs::Button::Ok);
        throw Abandon();
    }
    writeDictation(fileName);
    DictationModified = false;
}

void TForm_Main::SaveDictationFileAs(QString &fileName, const QString &answerFileName)
{
    Dialogs::FileRequest request;
    request.title = QStringLiteral("另存为");
    request.filter = TextFilter;
    request.fileName = fileName;
    request.defaultSuffix = QStringLiteral("txt");
    request.confirmOverwrite = true;
    const std::optional<QString> chosen = m_services.dialogs->saveFile(request);
    if (!chosen)
        throw Abandon();
    // The name is taken before the checks, even when they then refuse it.
    fileName = *chosen;
    if (IsSameFile(fileName, answerFileName)) {
        m_services.dialogs->messageBox(MessageCaption,
                                       QStringLiteral("听写文件和答案文件名相同，请另存！"),
                                       {Dialogs::Button::Ok}, Dialogs::Icon::Information,
                                       Dialogs::Button::Ok);
        throw Abandon();
    }
    writeDictation(fileName);
    SetDictationFileName(fileName);
    DictationModified = false;
}

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
    // Window colour while open, button-face colour while closed.
    const QPalette standard = QApplication::palette();
    const QColor background = standard.color(enabled ? QPalette::Base : QPalette::Button);
    for (QWidget *editor : {static_cast<QWidget *>(Memo_Dictation),
                            static_cast<QWidget *>(LabeledEdit_Dictation)}) {
        QPalette palette = editor->palette();
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            palette.setColor(group, QPalette::Base, background);
        editor->setPalette(palette);
    }
}

void TForm_Main::Action_CreateDictationFileExecute()
{
    OpenDictationFile(QString());
}

void TForm_Main::Action_SaveDictationFileExecute()
{
    if (!DictationOpen)
        return;
    if (DictationFileName.isEmpty())
        SaveDictationFileAs(DictationFileName, AnswerFileName);
    else
        SaveDictationFile(DictationFileName, AnswerFileName);
}

void TForm_Main::Action_SaveAsDictationFileExecute()
{
    SaveDictationFileAs(DictationFileName, AnswerFileName);
}
