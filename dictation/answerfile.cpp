// The answer text shown beside the dictation, and its lines for the answer check.
#include "app/tform_main.h"

#include "dictation/answerlines.h"
#include "dictation/textfile.h"
#include "platform/dialogs.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QTabWidget>
#include <QTextCursor>
#include <QTextDocument>

namespace {

// Delivers the resize a hidden widget keeps pending until it is shown.
void deliverResize(QWidget *widget)
{
    QResizeEvent resize(widget->size(), QSize());
    QCoreApplication::sendEvent(widget, &resize);
    widget->setAttribute(Qt::WA_PendingResizeEvent, false);
}

// The tab widget lays out only the page it shows, so a view on another page
// keeps the width it had when last shown, or has none and does not wrap.
// The answer lines are the lines the learner sees on switching to the page,
// so the page is given the size of the page that shows.
void fitHiddenPage(QTabWidget *pages, QWidget *page, QPlainTextEdit *view)
{
    QWidget *showing = pages->currentWidget();
    if (page->isVisible() || !showing || showing == page || !page->layout())
        return;
    if (page->geometry() == showing->geometry() && !view->testAttribute(Qt::WA_PendingResizeEvent))
        return;
    page->setGeometry(showing->geometry());
    page->layout()->setGeometry(page->contentsRect());
    // The scroll area places its viewport; the view wraps at the viewport's width.
    deliverResize(view);
    deliverResize(view->viewport());
}

} // namespace

AnswerLines &TForm_Main::answerLines()
{
    if (!m_answerLines)
        m_answerLines = new AnswerLines(Memo_Answer);
    fitHiddenPage(PageControl1, TabSheet2, Memo_Answer);
    return *m_answerLines;
}

int TForm_Main::AnswerLineCount()
{
    return answerLines().count();
}

QString TForm_Main::AnswerLine(int index)
{
    return answerLines().line(index);
}

void TForm_Main::ScrollAnswerToLine(int index)
{
    answerLines().scrollToTop(index);
}

void TForm_Main::OpenAnswerFile()
{
    Dialogs::FileRequest request;
    request.title = QStringLiteral("请选择答案文件");
    request.filter = QStringLiteral("文本文件 (*.txt)|*.txt");
    request.fileMustExist = true;
    // The recording's folder, with its final separator; none without a recording.
    request.initialDir = SourceFileName.left(SourceFileName.lastIndexOf(QLatin1Char('/')) + 1);
    const std::optional<QString> chosen = m_services.dialogs->openFile(request);
    if (!chosen || !QFileInfo(*chosen).isFile())
        return;

    CloseAnswerFile();
    Memo_Answer->setPlainText(toEditorText(readTextFile(*chosen).text));

    // As many empty lines as there are answer lines, so that every line of the
    // text can be scrolled to the top. Appending an empty line adds one line
    // break whether or not the text ended with one (the first only ends an
    // unterminated last line), so n appends are n line breaks.
    const int lineCount = AnswerLineCount();
    QTextCursor cursor(Memo_Answer->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QString(lineCount, QLatin1Char('\n')));
    AnswerLineCount(); // index the final text now rather than at the first check

    SetAnswerFileName(*chosen);
}

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
