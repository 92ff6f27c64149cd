#pragma once

#include "dictation/answercheck.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

class QPlainTextEdit;

// The display lines of a word-wrapping plain-text view. The view lays its
// text out lazily, only as far as it shows it, so knowing the display lines
// means laying out every block. That is done a slice at a time between
// events, so that opening a long text does not hold the window, and at once
// when the lines are asked for before it is done. The lines are kept until
// the text, the width or the font changes.
class AnswerLines : public QObject
{
    Q_OBJECT
public:
    explicit AnswerLines(QPlainTextEdit *view);

    // All display lines but the empty one after a final line break.
    int count();
    QString line(int index);
    // Every display line, kept for the answer check.
    const CheckText &checkText();
    // Makes display line index the view's top line, as far as the view's
    // scroll range allows.
    void scrollToTop(int index);

    // Lays out what is left now.
    void finish();
    bool isFinished() const { return m_indexed; }
    // Appends empty lines to the text, keeping the lines found so far.
    void appendEmptyLines(int count);

Q_SIGNALS:
    // Every display line is known.
    void finished();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void restart();
    // Lays out blocks from the next one, until the budget is spent (never
    // when negative) or the text is done.
    void indexBlocks(qint64 budgetNs);

    QPlainTextEdit *m_view;
    // Kept apart: while the view is being destroyed its viewport still sends
    // events, and the view may no longer be asked for it.
    QWidget *m_viewport;
    QTimer m_slices;
    // Kept as strings and in compared form: the check reads every line on
    // every apply.
    QStringList m_lines;
    CheckText m_check;
    int m_nextBlock = 0;
    bool m_indexed = false;
    bool m_appending = false;
};
