#include "dictation/answerlines.h"

#include <QAbstractTextDocumentLayout>
#include <QElapsedTimer>
#include <QEvent>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

namespace {

// Short enough that keys and painting go on while a long text is laid out.
constexpr qint64 SliceNs = 6'000'000;

} // namespace

AnswerLines::AnswerLines(QPlainTextEdit *view)
    : QObject(view), m_view(view), m_viewport(view->viewport())
{
    m_slices.setSingleShot(true);
    m_slices.setInterval(0);
    connect(&m_slices, &QTimer::timeout, this, [this] { indexBlocks(SliceNs); });
    connect(view->document(), &QTextDocument::contentsChange, this, [this] {
        if (!m_appending)
            restart();
    });
    // The view wraps at its viewport's width and relays out when that changes.
    m_viewport->installEventFilter(this);
    view->installEventFilter(this);
    restart();
}

bool AnswerLines::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_viewport && event->type() == QEvent::Resize) {
        const auto *resize = static_cast<QResizeEvent *>(event);
        if (resize->size().width() != resize->oldSize().width())
            restart();
    } else if (watched == m_view && event->type() == QEvent::FontChange) {
        restart();
    }
    return QObject::eventFilter(watched, event);
}

void AnswerLines::restart()
{
    m_lines.clear();
    m_check.clear();
    m_nextBlock = 0;
    m_indexed = false;
    m_slices.start();
}

void AnswerLines::indexBlocks(qint64 budgetNs)
{
    if (m_indexed)
        return;
    QTextDocument *document = m_view->document();
    QAbstractTextDocumentLayout *layout = document->documentLayout();
    QElapsedTimer spent;
    spent.start();
    QTextBlock block = document->findBlockByNumber(m_nextBlock);
    for (; block.isValid(); block = block.next()) {
        // Asking for the block's rectangle lays the block out if it is not yet.
        layout->blockBoundingRect(block);
        const QTextLayout *lines = block.layout();
        const QString text = block.text();
        for (int i = 0; i < lines->lineCount(); ++i) {
            const QTextLine line = lines->lineAt(i);
            m_lines.append(text.mid(line.textStart(), line.textLength()));
            m_check.append(m_lines.constLast());
        }
        ++m_nextBlock;
        if (budgetNs >= 0 && spent.nsecsElapsed() > budgetNs && block.next().isValid()) {
            m_slices.start();
            return;
        }
    }
    m_slices.stop();
    m_indexed = true;
    Q_EMIT finished();
}

void AnswerLines::finish()
{
    indexBlocks(-1);
}

void AnswerLines::appendEmptyLines(int count)
{
    if (count <= 0)
        return;
    finish();
    QTextDocument *document = m_view->document();
    const QTextBlock last = document->lastBlock();
    // Appending an empty line adds one line break whether or not the text
    // ended with one (the first only ends an unterminated last line), so
    // count appends are count empty blocks after the last one.
    m_appending = true;
    QTextCursor cursor(document);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QString(count, QLatin1Char('\n')));
    m_appending = false;
    // The edit dropped the layout of the block it changed; its display lines
    // are what the scroll bar counts.
    document->documentLayout()->blockBoundingRect(last);
    for (int i = 0; i < count; ++i) {
        m_lines.append(QString());
        m_check.append(QString());
    }
    m_nextBlock = document->blockCount();
}

int AnswerLines::count()
{
    finish();
    const QTextBlock last = m_view->document()->lastBlock();
    // As in a list of lines, a final line break ends the last line rather
    // than starting an empty one.
    return int(m_lines.size()) - (last.length() <= 1 ? 1 : 0);
}

QString AnswerLines::line(int index)
{
    finish();
    return m_lines.value(index);
}

const CheckText &AnswerLines::checkText()
{
    finish();
    return m_check;
}

void AnswerLines::scrollToTop(int index)
{
    // The line counts the scroll bar is based on are right only once every
    // block is laid out. With word wrap on, its positions are display lines.
    finish();
    m_view->verticalScrollBar()->setValue(index);
}
