#pragma once

#include "dictation/answercheck.h"

#include <QObject>
#include <QString>

#include <optional>

class AnswerLines;
class QLabel;
class QPlainTextEdit;
class QTabWidget;

// The answer page: the answer text, its file, and the check of a typed line
// against the answer's display lines.
class AnswerPane : public QObject
{
    Q_OBJECT
public:
    AnswerPane(QTabWidget *pages, QPlainTextEdit *view, QLabel *label, QObject *parent);

    QString fileName() const { return m_fileName; }
    // Loads the file (throws AppError when it cannot be read).
    void open(const QString &fileName);
    void close();

    // The answer lines: the display lines of the view at its current width,
    // without the empty line after a final line break.
    int lineCount();
    QString line(int index);
    // Where the typed text occurs; the view then shows that line at its top.
    std::optional<CheckHit> find(const QString &typed);
    // Marks the characters [start, end) of the text and scrolls them into view.
    void highlight(qsizetype start, qsizetype end);
    // The answer page is the page shown.
    bool isShown() const;

Q_SIGNALS:
    void fileNameChanged(const QString &fileName);
    // The answer page came into view or went out of it.
    void shownChanged(bool shown);

private:
    // The answer lines of the view; lines() has them all laid out and the
    // filler added.
    AnswerLines &index();
    AnswerLines &lines();
    // A pass of the filler, or all that is left.
    void addFiller(bool all);
    void setFileName(const QString &fileName);

    QTabWidget *m_pages;
    QPlainTextEdit *m_view;
    QLabel *m_label;
    AnswerLines *m_lines = nullptr; // made on first use
    QString m_fileName;
    bool m_fillerDue = false; // counted once the text is laid out
    int m_fillerLeft = 0;
};
