#include "align/cueshift.h"

#include "align/speechsynth.h"
#include "sentences/sentencedetector.h"

#include <QAbstractButton>
#include <QLabel>
#include <QMetaObject>
#include <QPointer>
#include <QThread>
#include <QWidget>

#include <cmath>
#include <utility>

CueShift::CueShift(QWidget *bar, QLabel *text, QAbstractButton *accept, QAbstractButton *decline,
                   QObject *parent, const QString &cacheFolder)
    : QObject(parent), m_bar(bar), m_text(text), m_cacheFolder(cacheFolder)
{
    setObjectName(QStringLiteral("CueShift"));
    m_bar->hide();
    connect(accept, &QAbstractButton::clicked, this, &CueShift::accept);
    connect(decline, &QAbstractButton::clicked, this, &CueShift::decline);
}

CueShift::~CueShift()
{
    stopChecking();
    for (QThread *thread : std::as_const(m_threads)) {
        thread->wait();
        delete thread;
    }
}

void CueShift::stopChecking()
{
    // The worker sees it between its steps; nothing it finds is delivered,
    // and nothing here waits for it.
    if (m_cancelled)
        m_cancelled->store(true);
    ++m_run;
    if (std::exchange(m_running, false))
        Q_EMIT checking(-1);
}

QString CueShift::offsetText(double seconds)
{
    const QString amount = QString::number(std::abs(seconds), 'f', 1);
    return seconds > 0 ? tr("字幕比声音早 %1 秒").arg(amount)
                       : tr("字幕比声音晚 %1 秒").arg(amount);
}

void CueShift::open(const QString &recording, const KeptCueShift &kept, const QString &language)
{
    stopChecking();
    m_recording = recording;
    m_kept = kept;
    m_language = language;
    m_cues.clear();
    m_source = {};
    m_envelope.reset();
    m_piecesOf.reset();
    m_pieces.clear();
    m_offset = 0.0;
    m_shifted = false;
    m_bar->hide();
    Q_EMIT stateChanged();
}

void CueShift::sentencesShown(const QList<Sentence> &sentences, const SentenceSource &source,
                              bool complete, const std::shared_ptr<const Envelope> &envelope)
{
    // Fitted cues are this object's own; other sources have no cues to move.
    if (m_recording.isEmpty() || !complete || !source.isSubtitles() || source.isFitted())
        return;
    if (source == m_source && sentences == m_cues) {
        showAgain(); // the same cues again: moved back, or shown once more
        return;
    }
    stopChecking();
    m_cues = sentences;
    m_source = source;
    m_envelope = envelope;
    m_offset = 0.0;
    m_shifted = false;
    m_bar->hide();
    if (m_kept.cues == source.identity() && m_kept.seconds != 0.0) {
        m_offset = m_kept.seconds;
        m_shifted = !m_kept.declined;
        showAgain();
        Q_EMIT stateChanged();
        return;
    }
    showAgain();
    check();
}

const std::vector<SpeechPiece> &CueShift::piecesOf(
    const std::shared_ptr<const Envelope> &envelope) const
{
    if (envelope != m_piecesOf) {
        m_piecesOf = envelope;
        m_pieces = envelope ? soundPieces(*envelope) : std::vector<SpeechPiece>();
    }
    return m_pieces;
}

bool CueShift::willMove(const SentenceSource &source) const
{
    return !m_recording.isEmpty() && source.isSubtitles() && !source.isFitted() && !m_kept.declined
           && m_kept.seconds != 0.0 && m_kept.cues == source.identity();
}

bool CueShift::willReplace(const QList<Sentence> &sentences, const SentenceSource &source,
                           bool complete, const std::shared_ptr<const Envelope> &envelope) const
{
    if (m_recording.isEmpty() || !complete || !source.isSubtitles() || source.isFitted())
        return false;
    if (willMove(source))
        return true;
    return shiftCues(sentences, 0.0, piecesOf(envelope), envelope ? envelope->duration : 0.0)
           != sentences;
}

std::pair<QList<Sentence>, SentenceSource> CueShift::unmoved() const
{
    QList<Sentence> fitted =
        shiftCues(m_cues, 0.0, piecesOf(m_envelope), m_envelope ? m_envelope->duration : 0.0);
    if (fitted == m_cues)
        return {m_cues, m_source};
    return {fitted, m_source.inPauses()};
}

void CueShift::showAgain()
{
    if (m_shifted) {
        showShifted();
        return;
    }
    // Nothing is replaced when no boundary cuts a word: well-timed cues keep
    // their times and their source.
    auto [cues, source] = unmoved();
    if (source != m_source)
        Q_EMIT replaced(cues, source);
}

void CueShift::check()
{
    const quint64 run = m_run;
    auto cancelled = std::make_shared<std::atomic_bool>(false);
    m_cancelled = cancelled;
    m_running = true;
    QPointer<CueShift> self(this);
    const QString recording = m_recording;
    const QList<Sentence> cues = m_cues;
    const QString identity = m_source.identity();
    QString text;
    for (const Sentence &cue : cues)
        text += cue.text + QLatin1Char(' ');
    const QString voice = voiceFor(m_language, text);
    const QString folder = m_cacheFolder;
    // Workers of checks given up on are let go of once they have ended.
    m_threads.removeIf([](QThread *thread) {
        if (!thread->isFinished())
            return false;
        delete thread;
        return true;
    });
    QThread *thread = QThread::create([=] {
        CueOffsetControl control;
        control.isCancelled = [cancelled] { return cancelled->load(); };
        control.progress = [self, run](int percent) {
            QMetaObject::invokeMethod(
                self.data(),
                [self, run, percent] {
                    if (self && self->m_run == run)
                        Q_EMIT self->checking(percent);
                },
                Qt::QueuedConnection);
        };
        const CueOffsetOutcome outcome =
            findCueOffset(recording, cues, identity, voice, folder, control);
        if (outcome.cancelled)
            return;
        QMetaObject::invokeMethod(
            self.data(),
            [self, run, outcome] {
                if (!self || self->m_run != run)
                    return;
                self->m_running = false;
                Q_EMIT self->checking(-1);
                // A recording that cannot be read says so elsewhere already.
                self->found(outcome.ok ? outcome.offset : CueOffset());
            },
            Qt::QueuedConnection);
    });
    m_threads.append(thread);
    thread->start(QThread::LowPriority);
    Q_EMIT stateChanged();
}

void CueShift::found(const CueOffset &offset)
{
    Q_EMIT stateChanged();
    if (!offset.isOff())
        return;
    m_offset = offset.seconds;
    m_text->setText(tr("%1。要把字幕移到声音上吗？").arg(offsetText(m_offset)));
    m_bar->show();
    Q_EMIT stateChanged();
}

void CueShift::showShifted()
{
    m_shifted = true;
    Q_EMIT replaced(
        shiftCues(m_cues, m_offset, piecesOf(m_envelope), m_envelope ? m_envelope->duration : 0.0),
        m_source.shiftedBy(m_offset));
}

void CueShift::accept()
{
    if (m_offset == 0.0 || m_cues.isEmpty())
        return;
    m_bar->hide();
    m_kept = {m_offset, m_source.identity(), false};
    if (!m_shifted) {
        Q_EMIT recordsMove(m_offset);
        showShifted();
    }
    const QString amount = QString::number(std::abs(m_offset), 'f', 1);
    Q_EMIT statusChanged(m_offset > 0 ? tr("已把字幕推后 %1 秒，与声音对齐").arg(amount)
                                      : tr("已把字幕提前 %1 秒，与声音对齐").arg(amount));
    Q_EMIT keptChanged();
    Q_EMIT stateChanged();
}

void CueShift::decline()
{
    if (m_offset == 0.0 || m_cues.isEmpty())
        return;
    m_bar->hide();
    m_kept = {m_offset, m_source.identity(), true};
    if (m_shifted) {
        m_shifted = false;
        Q_EMIT recordsMove(-m_offset);
        auto [cues, source] = unmoved();
        Q_EMIT replaced(cues, source);
        Q_EMIT statusChanged(tr("字幕已回到原来的时间"));
    }
    Q_EMIT keptChanged();
    Q_EMIT stateChanged();
}

void CueShift::setShifted(bool shifted)
{
    if (shifted)
        accept();
    else
        decline();
}
