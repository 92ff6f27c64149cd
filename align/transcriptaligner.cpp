#include "align/transcriptaligner.h"

#include "align/alignrecording.h"

#include <QMetaObject>
#include <QPointer>
#include <QThread>

TranscriptAligner::TranscriptAligner(QObject *parent, const QString &cacheFolder)
    : QObject(parent), m_cacheFolder(cacheFolder)
{
    qRegisterMetaType<Alignment>();
}

TranscriptAligner::~TranscriptAligner()
{
    cancel();
    wait();
}

void TranscriptAligner::wait()
{
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
        m_thread = nullptr;
    }
}

void TranscriptAligner::cancel()
{
    if (m_cancelled)
        m_cancelled->store(true);
    ++m_run;
    m_running = false;
}

QString TranscriptAligner::statusFor(const Alignment &alignment)
{
    if (alignment.refused)
        return tr("答案文本与录音的语音不符，句子按停顿划分");
    if (alignment.unitsDropped > 0)
        return tr("答案文本有 %1 句在录音中找不到，那里的句子按停顿划分")
            .arg(alignment.unitsDropped);
    return {};
}

void TranscriptAligner::start(const QString &recording, const QString &text,
                              const QString &language, const AlignParams &params)
{
    cancel();
    wait();
    const quint64 run = m_run;
    auto cancelled = std::make_shared<std::atomic_bool>(false);
    m_cancelled = cancelled;
    m_running = true;
    QPointer<TranscriptAligner> self(this);
    // Delivered on this object's thread, and only while this run is current.
    const auto deliver = [self, run](auto call) {
        QMetaObject::invokeMethod(
            self.data(),
            [self, run, call] {
                if (self && self->m_run == run)
                    call(*self);
            },
            Qt::QueuedConnection);
    };
    const QString folder = m_cacheFolder;
    m_thread = QThread::create([=] {
        AlignControl control;
        control.isCancelled = [cancelled] { return cancelled->load(); };
        control.progress = [deliver](int percent) {
            deliver([percent](TranscriptAligner &a) { emit a.progress(percent); });
        };
        control.first = [deliver](const Alignment &first) {
            deliver([first](TranscriptAligner &a) { emit a.firstSentences(first); });
        };
        const AlignOutcome outcome =
            alignRecording(recording, text, voiceFor(language, text), folder, control, params);
        if (outcome.cancelled)
            return;
        deliver([outcome](TranscriptAligner &a) {
            a.m_running = false;
            if (outcome.ok)
                emit a.finished(outcome.alignment, outcome.fromCache);
            else
                emit a.failed(outcome.error);
        });
    });
    m_thread->start(QThread::LowPriority);
}
