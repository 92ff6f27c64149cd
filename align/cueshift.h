#pragma once

#include "align/cueoffset.h"
#include "sentences/envelope.h"
#include "sentences/sentencesource.h"

#include <QList>
#include <QObject>
#include <QString>

#include <atomic>
#include <memory>
#include <utility>
#include <vector>

class QAbstractButton;
class QLabel;
class QThread;
class QWidget;

// What is kept with a recording's place about its cues' offset.
struct KeptCueShift {
    double seconds = 0.0; // the offset found; 0 when none is known
    QString cues;         // the identity of the unmoved cues it was found for
    bool declined = false;

    bool operator==(const KeptCueShift &) const = default;
};

// Subtitles that are all early or all late: once the cues of the open
// recording are known, finds off the GUI thread how far they are off its
// speech, and when they are, offers once, in a bar that waits without
// stopping anything, to move them. Moved cues, or the refusal, are kept
// with the recording's place by the window (kept(), keptChanged()), so the
// offer is not made again for the same cues.
class CueShift : public QObject
{
    Q_OBJECT
public:
    // bar holds the offer's text and its two buttons; hidden while nothing
    // is offered.
    CueShift(QWidget *bar, QLabel *text, QAbstractButton *accept, QAbstractButton *decline,
             QObject *parent = nullptr, const QString &cacheFolder = {});
    ~CueShift() override;

    // A recording opened (empty: closed), with what was kept for it;
    // language: the dictation language, for the voice.
    void open(const QString &recording, const KeptCueShift &kept, const QString &language);
    // The sentences shown changed. Complete cues of a subtitle source are
    // checked, or moved at once when their move was kept; unmoved, those
    // whose boundaries cut a word are shown with them in the nearest pause.
    void sentencesShown(const QList<Sentence> &sentences, const SentenceSource &source,
                        bool complete, const std::shared_ptr<const Envelope> &envelope);
    // Moves the cues by the offset found; keeps them unmoved, not asking again.
    void accept();
    void decline();
    void setShifted(bool shifted);

    // How far the cues are off (0: not known, or in time), and whether they are moved.
    double offset() const { return m_offset; }
    bool isShifted() const { return m_shifted; }
    bool isChecking() const { return m_running; }
    const KeptCueShift &kept() const { return m_kept; }
    // These are the cues as their source times them, about to be replaced
    // (moved by the move kept, or their boundaries put into pauses): what
    // follows the sentences waits for the replacement.
    bool willReplace(const QList<Sentence> &sentences, const SentenceSource &source, bool complete,
                     const std::shared_ptr<const Envelope> &envelope) const;

    // "字幕比声音早 2.4 秒" and its like.
    static QString offsetText(double seconds);

signals:
    // Show these sentences instead: the cues moved, or back where they were.
    void replaced(const QList<Sentence> &sentences, const SentenceSource &source);
    // The learner moved the cues by seconds (or back): what was practised on
    // them moves along, before replaced() shows them.
    void recordsMove(double seconds);
    // What is to be kept with the place changed.
    void keptChanged();
    // The offset found, or whether the cues are moved, changed.
    void stateChanged();
    void statusChanged(const QString &text);
    // How far the check of the cues has come, in percent; -1 once it is over.
    void checking(int percent);

private:
    void check();
    void found(const CueOffset &offset);
    bool willMove(const SentenceSource &source) const;
    void showShifted();
    // The cues shown once more as they were last replaced.
    void showAgain();
    // The cues not moved, with their boundaries in pauses, and their source;
    // the cues themselves when none cuts a word.
    std::pair<QList<Sentence>, SentenceSource> unmoved() const;
    void stopChecking();

    QWidget *m_bar;
    QLabel *m_text;
    QString m_cacheFolder;
    QString m_recording;
    QString m_language;
    KeptCueShift m_kept;
    QList<Sentence> m_cues;  // the cues as their source times them
    SentenceSource m_source; // their source, unmoved
    std::shared_ptr<const Envelope> m_envelope;
    // The stretches of sound of the last envelope asked about: finding them
    // in a film's takes tens of milliseconds, and they are asked for twice.
    const std::vector<SpeechPiece> &piecesOf(const std::shared_ptr<const Envelope> &envelope) const;
    mutable std::shared_ptr<const Envelope> m_piecesOf;
    mutable std::vector<SpeechPiece> m_pieces;
    double m_offset = 0.0;
    bool m_shifted = false;

    QList<QThread *> m_threads;
    std::shared_ptr<std::atomic_bool> m_cancelled;
    quint64 m_run = 0;
    bool m_running = false;
};
