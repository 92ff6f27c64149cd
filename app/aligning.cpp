// A recording's answer text as its sentences: aligned to the speech off the
// GUI thread, and used when it matches.
#include "align/transcriptaligner.h"
#include "app/tform_main.h"
#include "feedback/wordfeedback.h"
#include "playback/recording.h"
#include "sentences/sentencetrack.h"
#include "settings/settingsstore.h"

#include <QStatusBar>

void TForm_Main::alignAnswer()
{
    const QString recording = m_recording->path();
    const QString text = m_feedback->answerText();
    // Timed subtitles are exact already; the recording's own sentences
    // must be known first (the alignment keeps them where the text fails).
    const bool wanted = !recording.isEmpty() && !text.trimmed().isEmpty()
                        && m_sentences->isComplete()
                        && m_sentences->source().kind() == SentenceSource::Kind::Pauses;
    if (m_sentences->source().kind() == SentenceSource::Kind::Transcript) {
        // The sentences of a text no longer open, first or whole, give way
        // to the recording's own, which start the next alignment.
        if (text != m_alignedText) {
            m_aligner->cancel();
            m_alignedText.clear();
            m_sentences->dropTranscript();
        }
        return; // the aligned sentences themselves, shown
    }
    if (!wanted) {
        // Another recording, or the answer closed: what runs is for neither.
        m_aligner->cancel();
        m_alignedText.clear();
        return;
    }
    if (m_aligner->isRunning() && m_alignedText == text)
        return;
    m_alignedText = text;
    AlignParams params;
    params.longest = m_sentences->longestSentence();
    m_aligner->start(recording, text, m_settings->text(Preferences::DictationLanguage), params);
}

namespace {

QList<Sentence> alignedSentences(const Alignment &alignment)
{
    QList<Sentence> sentences;
    sentences.reserve(alignment.sentences.size());
    for (const AlignedSentence &s : alignment.sentences)
        sentences.append({s.start, s.end, s.text, s.words, s.poor});
    return sentences;
}

} // namespace

void TForm_Main::answerAlignedFirst(const Alignment &first)
{
    // Only over the recording's own sentences: never over the whole.
    if (first.refused || first.sentences.isEmpty() || m_recording->path().isEmpty()
        || (m_sentences->source().kind() == SentenceSource::Kind::Transcript
            && !m_sentences->previewsTranscript()))
        return;
    m_sentences->useTranscript(alignedSentences(first),
                               SentenceSource::transcript(m_alignedText.toUtf8()), false);
    statusBar()->showMessage(
        tr("答案文本的前 %1 句已可听写，其余的还在对齐…").arg(first.sentences.size()));
}

void TForm_Main::answerAligned(const Alignment &alignment)
{
    const QString status = TranscriptAligner::statusFor(alignment);
    if (alignment.refused || m_recording->path().isEmpty()) {
        m_sentences->dropTranscriptPreview();
        statusBar()->showMessage(status);
        return;
    }
    const QList<Sentence> sentences = alignedSentences(alignment);
    m_sentences->useTranscript(sentences, SentenceSource::transcript(m_alignedText.toUtf8()));
    statusBar()->showMessage(
        status.isEmpty() ? tr("答案文本已对齐到录音：%1 句").arg(sentences.size()) : status);
}
