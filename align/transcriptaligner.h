#pragma once

#include "align/aligner.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

class QThread;

// Aligns a recording's text to its speech on a worker thread: the first
// sentences within moments, then the whole, each handed over by a queued
// signal; cancellable, with progress. Starting again cancels the run before,
// whose results are then never delivered.
class TranscriptAligner : public QObject
{
    Q_OBJECT

public:
    explicit TranscriptAligner(QObject *parent = nullptr, const QString &cacheFolder = {});
    ~TranscriptAligner() override;

    // language: the dictation language ("en", "zh", ...), for the voice.
    void start(const QString &recording, const QString &text, const QString &language,
               const AlignParams &params = {});
    void cancel();
    bool isRunning() const { return m_running; }

    // The status line for a finished alignment: empty when the text was used.
    static QString statusFor(const Alignment &alignment);

signals:
    void progress(int percent);
    void firstSentences(const Alignment &first);
    // fromCache: kept from an earlier run on the same recording and text.
    void finished(const Alignment &alignment, bool fromCache);
    void failed(const QString &error);

private:
    void wait();

    QString m_cacheFolder;
    QThread *m_thread = nullptr;
    std::shared_ptr<std::atomic_bool> m_cancelled;
    quint64 m_run = 0;
    bool m_running = false;
};
