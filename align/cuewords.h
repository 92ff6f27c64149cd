#pragma once

#include "align/aligner.h"
#include "sentences/envelope.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

class QThread;

// The features of a whole recording as the aligner compares them (not
// normalised), from its start at params.hopSeconds a frame; empty, with
// `error` set, when it cannot be decoded. Stops early when cancelled.
Features recordingFeatures(const QString &recording, const FeatureParams &params,
                           const std::function<bool()> &isCancelled, QString &error);

// How far outside a cue its speech is looked for: cues are often timed a
// little loosely.
inline constexpr double CueRoom = 0.3;

// The words of a subtitle cue's text timed inside the cue: the text
// synthesized in voice and warped onto the recording between start and end
// (with CueRoom either side). A cue's text is what is said there, so nothing
// is refused; each word's times are kept inside the cue. recording: the
// features from featuresStart seconds on (a stretch around the cue will do).
// Empty when the text has no words or the cue no sound.
QList<WordTime> timeCueWords(const QString &text, double start, double end,
                             const Features &recording, const QString &voice,
                             const AlignParams &params = {}, double featuresStart = 0.0);

// The word times of the open recording's subtitle cues, found when first
// asked for: the recording is decoded once on a worker thread, and each cue
// is timed (on another) as soon as the decoding has passed it, so a cue near
// the start of a long film need not wait for the whole. Kept per cue until
// another recording opens.
class CueWordTimer : public QObject
{
    Q_OBJECT
public:
    explicit CueWordTimer(QObject *parent = nullptr);
    ~CueWordTimer() override;

    // Another recording, or none: what is kept and what runs are dropped.
    // language: the dictation language, for the voice.
    void setRecording(const QString &path, const QString &language);
    // The cue's word times once found; an empty list when none could be.
    std::optional<QList<WordTime>> known(const Sentence &cue) const;
    // Starts finding them unless known or under way; found() follows.
    void request(const Sentence &cue);

Q_SIGNALS:
    void found(const Sentence &cue, const QList<WordTime> &words);

private:
    struct Decoding;
    void startDecoding();
    // The cues waiting whose stretch is decoded go to be timed.
    void dispatch();
    void timeNext();
    void stopThreads();

    QString m_path;
    QString m_language;
    std::shared_ptr<Decoding> m_decoding;
    QThread *m_decoder = nullptr;
    QThread *m_timer = nullptr;
    QList<std::pair<Sentence, QList<WordTime>>> m_kept;
    QList<Sentence> m_waiting; // for their stretch to be decoded
    // A cue whose stretch is decoded, to be timed in turn.
    struct Ready {
        Sentence cue;
        Features stretch;
        double stretchStart = 0.0; // seconds
    };
    QList<Ready> m_ready;
    std::optional<Sentence> m_timing;
    quint64 m_generation = 0;
};
