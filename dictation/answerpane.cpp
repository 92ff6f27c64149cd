#include "dictation/answerpane.h"

#include "dictation/answerlines.h"
#include "dictation/answertext.h"
#include "dictation/textfile.h"
#include "platform/filelabel.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLayout>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QTabWidget>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>

#include <algorithm>

namespace {

// Empty lines added in one pass through the event loop: a few milliseconds.
constexpr int FillerPass = 2000;

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
void fitHiddenPage(QTabWidget *pages, QPlainTextEdit *view)
{
    QWidget *page = view->parentWidget();
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

AnswerPane::AnswerPane(QTabWidget *pages, QPlainTextEdit *view, QLabel *label, QObject *parent)
    : QObject(parent), m_pages(pages), m_view(view), m_label(label)
{
    setObjectName(QStringLiteral("AnswerPane"));
    connect(m_pages, &QTabWidget::currentChanged, this, [this] { Q_EMIT shownChanged(isShown()); });
}

bool AnswerPane::isShown() const
{
    return m_pages->currentWidget() == m_view->parentWidget();
}

AnswerLines &AnswerPane::index()
{
    if (!m_lines) {
        m_lines = new AnswerLines(m_view);
        connect(m_lines, &AnswerLines::finished, this, [this] {
            if (m_fillerDue) {
                m_fillerDue = false;
                // As many empty lines as there are answer lines, so that
                // every line of the text can be scrolled to the top.
                m_fillerLeft = m_lines->count();
            }
            addFiller(false);
        });
    }
    fitHiddenPage(m_pages, m_view);
    return *m_lines;
}

AnswerLines &AnswerPane::lines()
{
    AnswerLines &lines = index();
    lines.finish();
    addFiller(true);
    return lines;
}

void AnswerPane::addFiller(bool all)
{
    if (m_fillerLeft <= 0)
        return;
    // Laid out again meanwhile (the width changed): the filler goes on once
    // that is done, rather than holding the window for it now.
    if (!all && !m_lines->isFinished())
        return;
    const int now = all ? m_fillerLeft : std::min(FillerPass, m_fillerLeft);
    m_fillerLeft -= now;
    m_lines->appendEmptyLines(now);
    if (m_fillerLeft > 0)
        QTimer::singleShot(0, this, [this] { addFiller(false); });
}

int AnswerPane::lineCount()
{
    return lines().count();
}

QString AnswerPane::line(int index)
{
    return lines().line(index);
}

std::optional<CheckHit> AnswerPane::find(const QString &typed)
{
    AnswerLines &answer = lines();
    // The check text holds the empty line after a final line break too,
    // which neither matches nor changes a match on the line before.
    const std::optional<CheckHit> hit = answer.checkText().find(typed);
    if (hit)
        answer.scrollToTop(hit->line);
    return hit;
}

void AnswerPane::highlight(qsizetype start, qsizetype end)
{
    QTextEdit::ExtraSelection selection;
    selection.cursor = QTextCursor(m_view->document());
    selection.cursor.setPosition(int(start));
    selection.cursor.setPosition(int(end), QTextCursor::KeepAnchor);
    selection.format.setBackground(m_view->palette().color(QPalette::Highlight).lighter(170));
    selection.format.setFontUnderline(true);
    m_view->setExtraSelections({selection});
    QTextCursor at(m_view->document());
    at.setPosition(int(start));
    m_view->setTextCursor(at);
    m_view->ensureCursorVisible();
}

void AnswerPane::open(const QString &fileName)
{
    const QString text = toEditorText(readAnswerText(fileName));
    close();
    // Laid out at the width the page will have, between events from now
    // on; the filler follows once the answer lines are counted.
    index();
    m_view->setPlainText(text);
    m_fillerDue = true;
    setFileName(fileName);
}

void AnswerPane::close()
{
    m_fillerDue = false;
    m_fillerLeft = 0;
    m_view->setExtraSelections({});
    m_view->clear();
    setFileName(QString());
}

void AnswerPane::setFileName(const QString &fileName)
{
    if (fileName == m_fileName)
        return;
    m_fileName = fileName;
    m_label->setText(fileLabelText(tr("答案文件"), fileName));
    Q_EMIT fileNameChanged(fileName);
}
