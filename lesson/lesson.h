#pragma once

#include "learner/sentenceprogress.h"
#include "lesson/answerplace.h"
#include "sentences/envelope.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <optional>

class SentenceListModel;

// The open recording as a lesson: the learner's record of every sentence,
// the sentence being worked on, and the help taken on it.
class Lesson : public QObject
{
    Q_OBJECT
public:
    explicit Lesson(QObject *parent = nullptr);

    // The sentences found for the recording with what was stored for them;
    // called again as more are found, it keeps what was done on them.
    void setSentences(const QList<Sentence> &sentences, const QList<SentenceProgress> &stored);
    // Forgets the recording's sentences and what was done on them.
    void clear();
    // What was done moved by seconds with the subtitle cues it was done on,
    // before the moved cues come, so that each finds its own.
    void shiftRecords(double seconds);

    int count() const { return int(m_progress.size()); }
    const QList<Sentence> &sentences() const { return m_sentences; }
    const QList<SentenceProgress> &progress() const { return m_progress; }
    const SentenceProgress &at(int index) const { return m_progress.at(index); }
    SentenceListModel *model() const { return m_model; }

    // The sentence worked on; -1 for none. A new one starts without help.
    int current() const { return m_current; }
    void setCurrent(int index);

    // Help on the current sentence.
    int hintsUsed() const { return m_hints; }
    int hintedWord() const { return m_hintedWord; }
    bool answerShown() const { return m_answerShown; }
    bool helped() const { return m_hints > 0 || m_answerShown; }
    void noteHint(int wordIndex);
    void noteAnswerShown();
    // A line was tried on the current sentence.
    void noteTry(const QString &line);
    // The last line tried on the current sentence; nothing before the first.
    const std::optional<QString> &lastTry() const { return m_lastTry; }
    // The word the last hint was about when no line was tried since; else -1.
    int wordOfLatestHint() const { return m_hintLatest ? m_hintedWord : -1; }
    // Seconds since the sentence became the current one.
    double secondsOnCurrent() const;

    // Records a result and returns the sentence's new record.
    const SentenceProgress &update(int index, const SentenceProgress &progress);
    void setExpected(int index, const QString &text);
    // Where a sentence's text stands in the open answer, once known; the
    // places go with the answer text.
    std::optional<TextRange> passage(int index) const;
    void setPassage(int index, const TextRange &range);
    void forgetPassages();

    // The records as the learner database holds them after this visit's
    // writes, with their own times.
    const QList<SentenceProgress> &records() const { return m_records; }

Q_SIGNALS:
    void sentencesChanged();
    void progressChanged(int index);
    void currentChanged(int index);

private:
    void keepRecord(int index);

    QList<Sentence> m_sentences;
    QList<SentenceProgress> m_progress;
    QList<SentenceProgress> m_records;
    bool m_haveRecords = false;
    SentenceListModel *m_model;
    int m_current = -1;
    int m_hints = 0;
    int m_hintedWord = -1;
    bool m_answerShown = false;
    std::optional<QString> m_lastTry;
    bool m_hintLatest = false;
    QElapsedTimer m_since;
    QHash<int, TextRange> m_passages;
};
