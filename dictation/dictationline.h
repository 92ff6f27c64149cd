#pragma once

#include <QObject>
#include <QString>

class QLineEdit;
class QPushButton;

// The one-line dictation field and its apply button. Enter in the line and a
// click on the button ask for the line to be applied; Enter never reaches the
// line, even when applying fails.
class DictationLine : public QObject
{
    Q_OBJECT
public:
    DictationLine(QLineEdit *line, QPushButton *apply, QObject *parent);

    // The typed text as it is applied: without control characters, and
    // without blanks at the start (also full-width and invisible ones).
    QString text() const;
    // Empties the line without reporting it as the learner's change.
    void clear();
    // The same, painted at once: a wait that blocks the window may follow.
    void clearNow();
    // Selects the whole line, for correction.
    void selectAll();
    // Writes a hint into the line: `line` stands for text() (the leading
    // blanks typed stay), the cursor going to `cursor` within it.
    void showHint(const QString &line, int cursor);
    // The line takes the keyboard focus.
    void focus();
    void setEnabled(bool enabled);

Q_SIGNALS:
    // The learner typed, deleted or pasted.
    void edited();
    void applyRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *m_line;
    QPushButton *m_apply;
};
