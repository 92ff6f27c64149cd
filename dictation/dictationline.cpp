#include "dictation/dictationline.h"

#include "platform/blanks.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

DictationLine::DictationLine(QLineEdit *line, QPushButton *apply, QObject *parent)
    : QObject(parent), m_line(line), m_apply(apply)
{
    setObjectName(QStringLiteral("DictationLine"));
    // The program empties the line with its signals blocked, so this reports
    // only the learner's changes.
    connect(m_line, &QLineEdit::textChanged, this, &DictationLine::edited);
    connect(m_apply, &QPushButton::clicked, this, &DictationLine::applyRequested);
    m_line->installEventFilter(this);
}

QString DictationLine::text() const
{
    return typedLineForApplying(m_line->text());
}

void DictationLine::clear()
{
    const QSignalBlocker detached(m_line);
    m_line->clear();
}

void DictationLine::clearNow()
{
    clear();
    m_line->repaint();
}

void DictationLine::selectAll()
{
    m_line->selectAll();
}

void DictationLine::showHint(const QString &line, int cursor)
{
    const QString typed = m_line->text();
    const QString applied = text();
    // A line cleaned of control characters gives way to the clean one.
    const QString indent =
        typed.endsWith(applied) ? typed.left(typed.size() - applied.size()) : QString();
    m_line->setText(indent + line);
    m_line->setCursorPosition(int(indent.size()) + cursor);
}

void DictationLine::focus()
{
    m_line->setFocus(Qt::OtherFocusReason);
}

void DictationLine::setEnabled(bool enabled)
{
    m_line->setEnabled(enabled);
    m_apply->setEnabled(enabled);
}

bool DictationLine::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_line || event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto *press = static_cast<QKeyEvent *>(event);
    // Enter types a carriage return, also with Shift; Ctrl+Enter types a line
    // feed and Alt+Enter types nothing.
    const bool carriageReturn =
        (press->key() == Qt::Key_Return || press->key() == Qt::Key_Enter)
        && !(press->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (!carriageReturn)
        return QObject::eventFilter(watched, event);
    Q_EMIT applyRequested();
    return true;
}
