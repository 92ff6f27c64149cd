#include "sentences/sentencetrack.h"

#include "sentences/sentenceanalysis.h"
#include "sentences/subtitleencoding.h"
#include "sentences/waveformview.h"
#include "sentences/waveformzoom.h"

#include <QLabel>

SentenceTrack::SentenceTrack(WaveformView *view, QLabel *label, QObject *parent)
    : QObject(parent), m_view(view), m_label(label), m_analysis(new SentenceAnalysis(this))
{
    setObjectName(QStringLiteral("SentenceTrack"));
    connect(m_view, &WaveformView::sentenceClicked, this, &SentenceTrack::sentenceClicked);
    connect(m_analysis, &SentenceAnalysis::progressChanged, this,
            [this](int percent) { Q_EMIT statusChanged(tr("正在分析录音… %1%").arg(percent)); });
    connect(m_analysis, &SentenceAnalysis::sentencesFound, this, &SentenceTrack::foundSoFar);
    connect(m_analysis, &SentenceAnalysis::finished, this, &SentenceTrack::analysed);
    // A recording that cannot be decoded still plays; it just has no sentences.
    connect(m_analysis, &SentenceAnalysis::failed, this,
            [this](const QString &message) { Q_EMIT statusChanged(message); });
}

SentenceTrack::~SentenceTrack()
{
    m_analysis->cancel();
}

void SentenceTrack::setZoom(WaveformZoom *zoom)
{
    m_zoom = zoom;
    connect(m_zoom, &WaveformZoom::sentenceClicked, this, &SentenceTrack::sentenceClicked);
    connect(m_zoom, &WaveformZoom::viewChanged, m_view, &WaveformView::setViewWindow);
}

void SentenceTrack::showInZoom()
{
    if (!m_zoom)
        return;
    m_zoom->setEnvelope(m_view->envelope());
    m_zoom->setSentences(m_view->sentences());
    m_zoom->setLoopRegion(m_place.loopStart, m_place.loopEnd);
    m_zoom->setPosition(m_place.position);
}

void SentenceTrack::setCacheFolder(const QString &folder)
{
    m_analysis->setCacheFolder(folder);
}

void SentenceTrack::open(const QString &recordingPath)
{
    m_view->clear();
    if (m_zoom)
        m_zoom->clear();
    m_label->clear();
    m_source = {};
    m_complete = false;
    m_ownSentences.reset();
    m_path = recordingPath;
    m_wish.stream = -1;
    m_wish.encoding.clear();
    if (!m_tracks.isEmpty() || m_stream >= 0 || !m_subtitleFile.isEmpty()) {
        m_tracks.clear();
        m_stream = -1;
        m_subtitleFile.clear();
        m_encoding.clear();
        Q_EMIT tracksChanged();
    }
    if (recordingPath.isEmpty()) {
        m_analysis->cancel();
        Q_EMIT sentencesChanged();
        return;
    }
    m_analysis->start(recordingPath, m_wish);
}

void SentenceTrack::setLanguage(const QString &language)
{
    m_wish.language = language;
}

void SentenceTrack::chooseTrack(int stream)
{
    if (m_path.isEmpty() || stream == m_stream)
        return;
    m_wish.stream = stream;
    m_stream = stream;
    m_complete = false;
    Q_EMIT tracksChanged();
    m_analysis->start(m_path, m_wish);
}

void SentenceTrack::setInterfaceLanguage(const QString &language)
{
    m_wish.interfaceLanguage = language;
}

void SentenceTrack::setEncodingChoicesFile(const QString &fileName)
{
    m_wish.encodingChoices = fileName;
}

void SentenceTrack::chooseEncoding(const QString &encoding)
{
    if (m_path.isEmpty() || m_subtitleFile.isEmpty())
        return;
    // Kept for the file, so it opens in this encoding next time too; an empty
    // choice goes back to detection.
    SubtitleEncodingChoices(m_wish.encodingChoices).setChoice(m_subtitleFile, encoding);
    m_wish.encoding = encoding;
    m_wish.stream = -1;
    m_complete = false;
    m_analysis->start(m_path, m_wish);
}

void SentenceTrack::setLongestSentence(double seconds)
{
    DetectorParams params;
    params.longSentence = seconds;
    m_longest = seconds;
    m_analysis->setDetectorParams(params);
}

const QList<Sentence> &SentenceTrack::sentences() const
{
    return m_view->sentences();
}

void SentenceTrack::foundSoFar(const SentenceResult &soFar)
{
    m_view->setAnalysis(soFar);
    m_view->setLoopRegion(m_place.loopStart, m_place.loopEnd);
    m_view->setPosition(m_place.position);
    showInZoom();
    m_source = soFar.source;
    showPlace();
    Q_EMIT sentencesChanged();
}

void SentenceTrack::analysed(const SentenceResult &result)
{
    m_complete = true;
    m_view->setAnalysis(result);
    m_view->setLoopRegion(m_place.loopStart, m_place.loopEnd);
    m_view->setPosition(m_place.position);
    showInZoom();
    m_source = result.source;
    m_tracks = result.subtitleTracks;
    m_stream = result.subtitleStream;
    showPlace();
    const auto count = result.sentences.size();
    QString text = !result.fromSubtitles ? tr("找到 %1 句").arg(count)
                   : m_stream >= 0       ? tr("字幕轨道中有 %1 句").arg(count)
                                         : tr("字幕中有 %1 句").arg(count);
    if (result.subtitlesUnusable)
        text = tr("已按停顿找句子：%1").arg(text);
    if (result.malformedCues > 0)
        text += tr("（%1 条字幕格式有误，已跳过）").arg(result.malformedCues);
    if (result.mergedCues > 0)
        text += tr("（%1 条字幕与前一条同时开始，已合为一句）").arg(result.mergedCues);
    if (result.droppedCues > 0)
        text += tr("（%1 条字幕超出录音或没有时长，已略去）").arg(result.droppedCues);
    for (const QString &note : analysisNotes(result))
        text += QStringLiteral(" · ") + note;
    m_subtitleFile = result.source.kind() == SentenceSource::Kind::SubtitleFile
                         ? result.subtitleFile
                         : result.unusedFile;
    m_encoding = result.subtitleEncoding;
    m_encodingChosen = result.encodingChosen;
    Q_EMIT tracksChanged();
    Q_EMIT statusChanged(text);
    Q_EMIT sentencesChanged();
}

void SentenceTrack::useTranscript(const QList<Sentence> &sentences, const SentenceSource &source,
                                  bool whole)
{
    if (m_path.isEmpty())
        return;
    const bool transcript = source.kind() == SentenceSource::Kind::Transcript;
    if (!transcript)
        m_ownSentences.reset();
    else if (!m_ownSentences)
        m_ownSentences = std::pair(m_view->sentences(), m_source);
    show(sentences, source, whole);
}

void SentenceTrack::show(const QList<Sentence> &sentences, const SentenceSource &source,
                         bool complete)
{
    m_source = source;
    m_complete = complete;
    m_view->setSentences(sentences);
    m_view->setLoopRegion(m_place.loopStart, m_place.loopEnd);
    m_view->setPosition(m_place.position);
    showInZoom();
    showPlace();
    Q_EMIT sentencesChanged();
}

void SentenceTrack::dropTranscriptPreview()
{
    if (previewsTranscript())
        dropTranscript();
}

void SentenceTrack::dropTranscript()
{
    if (!m_ownSentences)
        return;
    auto [sentences, source] = *std::exchange(m_ownSentences, std::nullopt);
    show(sentences, source, true);
}

QString SentenceTrack::cueTextFor(double loopStart, double loopEnd) const
{
    if (!hasTexts())
        return {};
    const int index = sentenceOfSpan(sentences(), loopStart, loopEnd);
    return index >= 0 ? sentences().at(index).text : QString();
}

void SentenceTrack::setLoop(double start, double end)
{
    m_place.loopStart = start;
    m_place.loopEnd = end;
    m_view->setLoopRegion(start, end);
    if (m_zoom)
        m_zoom->setLoopRegion(start, end);
    showPlace();
}

void SentenceTrack::setPosition(double seconds)
{
    m_place.position = seconds;
    m_view->setPosition(seconds);
    if (m_zoom)
        m_zoom->setPosition(seconds);
    showPlace();
}

void SentenceTrack::showPlace()
{
    const QList<Sentence> &list = sentences();
    const int current = currentSentence(list, m_place);
    if (current < 0)
        m_label->clear();
    else
        m_label->setText(m_complete ? sentenceLabel(current, int(list.size()))
                                    : sentenceLabelSoFar(current));
}
