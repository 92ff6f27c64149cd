#pragma once

#include "feedback/feedbacksession.h"
#include "feedback/nearestpassage.h"

#include <QFuture>
#include <QObject>
#include <QString>

#include <optional>

class FeedbackStrip;

// What compareSentence gives for a line too long to compare: no score, and
// so no pass either.
inline constexpr int NotComparable = -2;

// Word-by-word feedback on each applied line: what it is compared with (the
// sentence's subtitle text, else the nearest passage of the answer), the strip
// that shows the result, and the session's running summary.
class WordFeedback : public QObject
{
    Q_OBJECT
public:
    WordFeedback(FeedbackStrip *strip, QObject *parent);
    ~WordFeedback() override;

    // The answer's text; its index is built in the background. Empty: none.
    void setAnswerText(const QString &text);
    // Compares the typed line with the cue text when there is one, else with
    // the nearest answer passage, which is returned; with neither, the strip
    // is emptied.
    std::optional<Passage> compare(const QString &typed, const QString &cueText);
    bool hasAnswer() const { return m_hasAnswer; }
    // The answer's text as given; empty when there is none.
    const QString &answerText() const { return m_answerText; }
    // The passage nearest the text, one from preferAfter on where several
    // are as near; what the next typed line is compared with stays as it was.
    std::optional<Passage> findPassage(const QString &text, qsizetype preferAfter) const;
    // The answer passage nearest the typed line, after the last one used.
    std::optional<Passage> nearestPassage(const QString &typed);
    // A line of a lesson against its sentence's expected text, shown and
    // counted; one that matches nothing shows 0%. The score in whole percent,
    // -1 when nothing is expected, NotComparable for a line too long to compare.
    int compareSentence(const QString &typed, const QString &expected, const QString &note);
    // A word to the learner in the strip (a hint, the sentence's answer).
    void showMessage(const QString &text);
    // The dictation language ("en"...): numbers in words and in digits are
    // the same word where it is known.
    void setLanguage(const QString &language) { m_language = language; }
    const QString &language() const { return m_language; }
    // A new recording starts a new session.
    void reset();

Q_SIGNALS:
    // "已比较 5 句，平均得分 87%", or empty before any line.
    void summaryChanged(const QString &text);

private:
    FeedbackStrip *m_strip;
    FeedbackSession m_session;
    QFuture<AnswerIndex> m_index;
    QString m_answerText;
    QString m_language;
    bool m_hasAnswer = false;
    qsizetype m_lastPassageEnd = 0;
};
