#pragma once

#include "learner/recordingkey.h"
#include "learner/sentenceprogress.h"
#include "lesson/answerplace.h"
#include "lesson/hints.h"
#include "sentences/envelope.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class AnswerFollower;
class LearnerDatabase;
class Lesson;
class QTimer;
class WordFeedback;

// Sentence by sentence ("逐句听写"): which sentence is worked on, taking each
// applied line as a try at it, moving on after a pass (after a short wait
// that keeps serving keys and clicks), skipping, hints and the sentence's
// answer, and the record kept of each sentence. It drives neither the player
// nor the loop: it asks for a sentence to be looped through its signals, and
// the window does that.
class LessonController : public QObject
{
    Q_OBJECT
public:
    // A span of a recording, in seconds.
    struct Span {
        double start = 0.0;
        double end = 0.0;
    };

    LessonController(WordFeedback *feedback, AnswerFollower *follower, QObject *parent);

    Lesson *lesson() const { return m_lesson; }

    // Where the records are kept; null keeps none.
    void setLearner(LearnerDatabase *learner) { m_learner = learner; }
    // Whether the recording is playing or paused; a lesson starts only then.
    void setPlaybackActive(std::function<bool()> active) { m_playbackActive = std::move(active); }
    // The sentence a lesson starts on instead of the first one not yet done
    // (the one under review); none: the first one not yet done.
    void setWantedStart(std::function<std::optional<Span>()> wanted)
    {
        m_wantedStart = std::move(wanted);
    }
    // The clock of the attempts kept.
    void setClock(std::function<QDateTime()> now) { m_now = std::move(now); }

    // The menu's switch; on, with sentences found, a lesson runs.
    void setSwitchedOn(bool on);
    // The lowest score that passes, in whole percent (a perfect line always does).
    void setPassMark(int percent) { m_passMark = percent; }
    // The current sentence's text stays hidden on the answer page until it
    // was tried or asked for.
    void setHideAnswer(bool hide);
    // The learner looks at the answer page: only then is the answer searched.
    void setAnswerLooked(bool looked);

    // Sentence mode is on and the recording has sentences.
    bool isOn() const;
    // A lesson runs: it is on and the loop is one of the sentences.
    bool applies() const;
    // The lesson waits to start on the recording just opened.
    bool isPending() const { return m_pending; }

    // A recording was opened (its key is invalid when progress is not kept)
    // or closed (empty path).
    void openRecording(const RecordingKey &key, const QString &path);
    // The recording's key is being worked out: its sentences wait for it,
    // so that what was stored for them is laid over them from the start.
    void awaitKey() { m_keyComing = true; }
    // The key worked out (invalid when the file could not be read).
    void setRecordingKey(const RecordingKey &key);
    void closeRecording();
    // The open recording's key; invalid without one or without progress kept.
    const RecordingKey &recordingKey() const { return m_key; }
    // The sentences found so far, and whether that is all of them.
    void setSentences(const QList<Sentence> &sentences, bool complete);
    // The recording's subtitle cues are being moved by seconds: what was done
    // on them, here and stored, moves along (see Lesson::shiftRecords()).
    void shiftRecords(double seconds);
    // The loop region moved: the sentence it is becomes the current one.
    void followLoop(double start, double end);
    // Playback started or paused: a lesson waiting for it starts.
    void startWhenReady();

    // An applied line was a try at the current sentence.
    void takeLine(const QString &text);
    // A line is applied, or a sentence chosen, while the wait after a pass
    // runs: the wait ends now.
    void finishPendingAdvance();
    // A sentence was chosen: the wait for the next one ends without moving on.
    void cancelAdvance();
    // "跳过本句".
    void skip();
    // "提示下一个词": the line with the hint in place; nothing when no hint
    // is given (the feedback strip says why).
    std::optional<Hint> hint(const QString &typed);
    // "显示本句答案": true when the answer is shown in the feedback strip.
    bool showAnswer(const QString &typed);
    // The word the learner is stuck on in the current sentence (see
    // stuckWord() in lesson/wordreplay.h): the sentence and where the word
    // stands in its own text, which its word times index. Nothing, with the
    // reason said, when no lesson runs, the sentence has no text of its own
    // or every word is right.
    struct StuckWord {
        int sentence = -1;
        TextRange range;
    };
    std::optional<StuckWord> stuckWord(const QString &typed);

    // A line was applied for the loop: its subtitle may show from now on.
    void noteAnswered(double loopStart, double loopEnd);
    bool isAnswered(double loopStart, double loopEnd) const;

    // Writes work again after failing: what the lesson holds goes in once
    // more (writes only move forward, so nothing counts twice).
    void storeAgain();

    // The answer page follows the current sentence (after the answer text
    // or the sentences changed).
    void followAnswer();

Q_SIGNALS:
    // Loop this sentence and play it from its start.
    void playRequested(int index);
    // Set the loop to these points without moving playback (the sentence
    // looped was found again with slightly other times).
    void loopRequested(double start, double end);
    // The line passed: the line empties and playback pauses while the
    // lesson waits to move on.
    void passed();
    // The line did not pass: the sentence plays again from `start`, the line
    // keeping its text for correction.
    void retryRequested(double start);
    // The wait after a pass is over; `next` is the next sentence not yet
    // done, -1 when all are. The window moves there unless a review goes on.
    void advanceDue(int next);
    // The lesson started on a recording and the sentence wanted (see
    // setWantedStart) is there to be looped.
    void wantedStartReady();
    // The lesson started on a recording, the place kept of the last visit
    // giving way to the first sentence not yet done.
    void started();
    // The sentences' records or whether a lesson runs changed.
    void progressChanged();
    void statusMessage(const QString &text);

private:
    void store(int index, const std::optional<AttemptRecord> &attempt);
    void advance();
    // What the sentence is compared with: its cue, the passage used before,
    // the passage nearest the typed text, else (forHelp: a hint or the answer
    // is wanted) the passage at the sentence's place in the answer.
    QString expected(int index, const QString &typed, bool forHelp = false);
    // Where the sentence stands in the answer text; `search`: find it when
    // not yet known, else only what is known.
    std::optional<TextRange> sentencePassage(int index, bool search);
    // The answer passage at the sentence's place: after the passage of the
    // one before it, else at its share of the recording.
    std::optional<TextRange> placePassage(int index);

    Lesson *m_lesson;
    WordFeedback *m_feedback;
    AnswerFollower *m_follower;
    LearnerDatabase *m_learner = nullptr;
    QTimer *m_advanceTimer;
    std::function<bool()> m_playbackActive = [] { return false; };
    std::function<std::optional<Span>()> m_wantedStart = [] { return std::nullopt; };
    std::function<QDateTime()> m_now;

    bool m_switchedOn = true;
    bool m_hideAnswer = true;
    bool m_answerLooked = false;
    int m_passMark = 100;
    int m_advanceTarget = -1;
    bool m_pending = false;
    bool m_complete = false;
    double m_loopStart = -1.0;
    double m_loopEnd = -1.0;
    double m_answeredStart = -1.0;
    double m_answeredEnd = -1.0;
    RecordingKey m_key;
    QString m_path;
    // What the learner database holds for the open recording's sentences,
    // read once as its first sentences arrive: what this visit adds, the
    // lesson keeps itself.
    std::optional<QList<SentenceProgress>> m_stored;
    bool m_keyComing = false;
    std::optional<std::pair<QList<Sentence>, bool>> m_waiting; // sentences waiting for the key
};
