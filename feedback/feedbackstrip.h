#pragma once

#include "feedback/wordcompare.h"

#include <QWidget>

#include <optional>

class QLabel;

// One line under the dictation line showing how the typed words compare with
// what was said, and the score. The marks read without colour: a wrong word is
// struck through with the expected word in brackets after it, a missing word
// is a gap "＿" with the expected word in brackets, an extra word is struck
// through in parentheses. Colour only repeats what the marks say.
class FeedbackStrip : public QWidget
{
    Q_OBJECT

public:
    explicit FeedbackStrip(QWidget *parent = nullptr);

    // The note follows the score ("借助提示"), or stands in for it.
    void showComparison(const Comparison &comparison, const QString &note = {});
    // A line that matched nothing expected: its words struck out, and 0%.
    void showUnmatched(const QString &typed, const QString &expected);
    // A plain message in place of the words: a hint, the sentence's answer.
    void showMessage(const QString &text);
    void clear();

protected:
    void changeEvent(QEvent *event) override;

private:
    void render();

    std::optional<Comparison> m_shown; // kept to redraw in a new palette
    QString m_note;
    QLabel *m_words = nullptr;
    QLabel *m_score = nullptr;
};
