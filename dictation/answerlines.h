#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QPlainTextEdit;

// The display lines of a word-wrapping plain-text view. The view lays its
// text out lazily, only as far as it shows it, so knowing the display lines
// means laying out every block; that is done once, and the lines are kept
// until the text, the width or the font changes.
class AnswerLines : public QObject
{
public:
    explicit AnswerLines(QPlainTextEdit *view);

    // All display lines but the empty one after a final line break.
    int count();
    QString line(int index);
    // Makes display line index the view's top line, as far as the view's
    // scroll range allows.
    void scrollToTop(int index);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ensureIndex();

    QPlainTextEdit *m_view;
    // Kept apart: while the view is being destroyed its viewport still sends
    // events, and the view may no longer be asked for it.
    QWidget *m_viewport;
    QStringList m_lines;
    bool m_indexed = false;
};
