#pragma once

#include "lesson/answerplace.h"
#include "sentences/envelope.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class LessonController;
class Transport;

// "重听卡住的词": plays only the word the learner is stuck on in the current
// sentence, a little of the sound either side, at the speed set; then the
// sentence's loop goes on. A transcript's sentences bring their word times;
// others (subtitle cues) get theirs from a source that may take a moment.
class WordReplayer : public QObject
{
    Q_OBJECT
public:
    WordReplayer(LessonController *lesson, Transport *transport, QObject *parent);

    // Word times for a sentence that has none of its own: given at once
    // when known, else nothing and wordTimesFound() follows when they are.
    // Unset: such sentences have none.
    using WordSource = std::function<std::optional<QList<WordTime>>(const Sentence &)>;
    void setWordSource(WordSource source) { m_source = std::move(source); }

    // typed: the line as it stands, for when nothing was tried yet.
    void replay(const QString &typed);
    // The word times the source was finding (an empty list: none found).
    void wordTimesFound(const Sentence &sentence, const QList<WordTime> &words);

Q_SIGNALS:
    void statusMessage(const QString &text);

private:
    void play(const Sentence &sentence, const QList<WordTime> &words, const TextRange &range);

    LessonController *m_lesson;
    Transport *m_transport;
    WordSource m_source;
    // The word waiting for its sentence's times.
    std::optional<std::pair<Sentence, TextRange>> m_waiting;
};
