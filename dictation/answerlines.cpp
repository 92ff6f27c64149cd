#include "dictation/answerlines.h"

#include <QAbstractTextDocumentLayout>
#include <QEvent>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

AnswerLines::AnswerLines(QPlainTextEdit *view)
    : QObject(view), m_view(view), m_viewport(view->viewport())
{
    connect(view->document(), &QTextDocument::contentsChange, this, [this] { m_indexed = false; });
    // The view wraps at its viewport's width and relays out when that changes.
    m_viewport->installEventFilter(this);
    view->installEventFilter(this);
}

bool AnswerLines::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_viewport && event->type() == QEvent::Resize) {
        const auto *resize = static_cast<QResizeEvent *>(event);
        if (resize->size().width() != resize->oldSize().width())
            m_indexed = false;
    } else if (watched == m_view && event->type() == QEvent::FontChange) {
        m_indexed = false;
    }
    return QObject::eventFilter(watched, event);
}

void AnswerLines::ensureIndex()
{
    if (m_indexed)
        return;
    m_lines.clear();
    QTextDocument *document = m_view->document();
    QAbstractTextDocumentLayout *layout = document->documentLayout();
    for (QTextBlock block = document->firstBlock(); block.isValid(); block = block.next()) {
        // Asking for the block's rectangle lays the block out if it is not yet.
        layout->blockBoundingRect(block);
        const QTextLayout *lines = block.layout();
        const QString text = block.text();
        for (int i = 0; i < lines->lineCount(); ++i) {
            const QTextLine line = lines->lineAt(i);
            // Kept as strings: the check reads every line on every apply.
            m_lines.append(text.mid(line.textStart(), line.textLength()));
        }
    }
    m_indexed = true;
}

int AnswerLines::count()
{
    ensureIndex();
    const QTextBlock last = m_view->document()->lastBlock();
    // As in a list of lines, a final line break ends the last line rather
    // than starting an empty one.
    return int(m_lines.size()) - (last.length() <= 1 ? 1 : 0);
}

QString AnswerLines::line(int index)
{
    ensureIndex();
    return m_lines.value(index);
}

void AnswerLines::scrollToTop(int index)
{
    // The line counts the scroll bar is based on are right only once every
    // block is laid out. With word wrap on, its positions are display lines.
    ensureIndex();
    m_view->verticalScrollBar()->setValue(index);
}
