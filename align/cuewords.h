#pragma once

#include "align/aligner.h"
#include "sentences/envelope.h"

#include <QList>
#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class QThread;

// The features of a whole recording as the aligner compares them (not
// normalised), from its start at params.hopSeconds a frame; empty, with
// `error` set, when it cannot be decoded. Stops early when cancelled.
Features recordingFeatures(const QString &recording, const FeatureParams &params,
                           const std::function<bool()> &isCancelled, QString &error);

// The words of a subtitle cue's text timed inside the cue: the text
// synthesized in voice and warped onto the recording between start and end
// (with a little room either side, as cues are often timed loosely). A cue's
// text is what is said there, so nothing is refused; each word's times are
// kept inside the cue. Empty when the text has no words or the cue no sound.
QList<WordTime> timeCueWords(const QString &text, double start, double end,
                             const Features &recording, const QString &voice,
                             const AlignParams &params = {});

// The word times of the open recording's subtitle cues, found when first
// asked for on a worker thread (the recording decoded once, then each cue
// on its own in moments) and kept per cue until another recording opens.
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
    // Starts finding them unless known; found() follows. Asked again while
    // another cue is being timed, the latest request waits its turn.
    void request(const Sentence &cue);

Q_SIGNALS:
    void found(const Sentence &cue, const QList<WordTime> &words);

private:
    void runNext();
    void wait();

    QString m_path;
    QString m_language;
    std::shared_ptr<Features> m_features;
    QList<std::pair<Sentence, QList<WordTime>>> m_kept;
    std::optional<Sentence> m_waiting;
    std::optional<Sentence> m_running;
    QThread *m_thread = nullptr;
    std::shared_ptr<std::atomic_bool> m_cancelled;
    quint64 m_generation = 0;
};
