#include "sentences/waveformview.h"

#include "sentences/sentenceanalysis.h"
#include "sentences/sentencenavigation.h"

#include <QEvent>
#include <QLine>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// The strip shows this many dB below the loudest frame; quieter is flat.
constexpr double RangeDb = 48.0;

} // namespace

WaveformView::WaveformView(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize WaveformView::sizeHint() const
{
    return {400, 56};
}

QSize WaveformView::minimumSizeHint() const
{
    return {40, 24};
}

void WaveformView::setAnalysis(const SentenceResult &result)
{
    setEnvelope(result.envelope);
    setSentences(result.sentences);
}

void WaveformView::setEnvelope(std::shared_ptr<const Envelope> envelope)
{
    m_envelope = std::move(envelope);
    m_peak = 0.0f;
    if (m_envelope && !m_envelope->levels.empty())
        m_peak = *std::max_element(m_envelope->levels.begin(), m_envelope->levels.end());
    invalidateColumns();
    update();
}

void WaveformView::setSentences(const QList<Sentence> &sentences)
{
    m_sentences = sentences;
    m_stripValid = false;
    update();
}

void WaveformView::setLoopRegion(double start, double end)
{
    if (start == m_loopStart && end == m_loopEnd)
        return;
    m_loopStart = start;
    m_loopEnd = end;
    update();
}

void WaveformView::setPosition(double seconds)
{
    if (seconds == m_position)
        return;
    m_position = seconds;
    update();
}

void WaveformView::setMarks(const QList<Mark> &marks)
{
    // Qt 6.4 compares two empty lists with a null pointer into memcmp.
    if (marks.size() == m_marks.size() && (marks.isEmpty() || marks == m_marks))
        return;
    m_marks = marks;
    update();
}

void WaveformView::clear()
{
    m_envelope.reset();
    m_peak = 0.0f;
    m_sentences.clear();
    m_marks.clear();
    m_loopStart = m_loopEnd = m_position = -1.0;
    invalidateColumns();
    update();
}

void WaveformView::setViewWindow(double start, double end)
{
    if (start == m_windowStart && end == m_windowEnd)
        return;
    m_windowStart = start;
    m_windowEnd = end;
    update();
}

double WaveformView::duration() const
{
    return m_envelope ? m_envelope->duration : 0.0;
}

void WaveformView::setTimeScale(double startX, double endX)
{
    if (m_scaleSet && startX == m_scaleStart && endX == m_scaleEnd)
        return;
    m_scaleSet = endX > startX;
    m_scaleStart = startX;
    m_scaleEnd = endX;
    invalidateColumns();
    update();
}

double WaveformView::xForTime(double seconds) const
{
    const double d = duration();
    return scaleStart() + (d > 0 ? seconds / d * (scaleEnd() - scaleStart()) : 0.0);
}

void WaveformView::invalidateColumns()
{
    m_columns.clear();
    m_stripValid = false;
}

void WaveformView::rebuildColumns(int deviceWidth)
{
    m_columns.assign(std::size_t(std::max(0, deviceWidth)), 0.0f);
    if (!m_envelope || m_envelope->levels.empty() || m_peak <= 0.0f || deviceWidth <= 0)
        return;
    const std::vector<float> &levels = m_envelope->levels;
    const double framesPerColumn = double(levels.size()) / deviceWidth;
    for (int c = 0; c < deviceWidth; ++c) {
        const auto first = std::size_t(c * framesPerColumn);
        const auto last = std::max(first + 1, std::size_t((c + 1) * framesPerColumn));
        const float loudest =
            *std::max_element(levels.begin() + std::ptrdiff_t(first),
                              levels.begin() + std::ptrdiff_t(std::min(last, levels.size())));
        const double db = loudest > 0 ? 20.0 * std::log10(loudest / m_peak) : -RangeDb;
        m_columns[std::size_t(c)] = float(std::clamp(1.0 + db / RangeDb, 0.0, 1.0));
    }
}

void WaveformView::rebuildStrip(const QSize &deviceSize, qreal ratio)
{
    // The recording spans [first, first + span) device columns, lined up
    // with the time scale; outside it the strip stays blank.
    const double first = scaleStart() * ratio;
    const double span = std::max(0.0, (scaleEnd() - scaleStart()) * ratio);
    const int columns = int(std::lround(span));
    if (int(m_columns.size()) != columns)
        rebuildColumns(columns);
    m_strip = QImage(deviceSize, QImage::Format_ARGB32_Premultiplied);
    m_strip.fill(palette().color(QPalette::Base));
    QPainter p(&m_strip);
    const int h = deviceSize.height();
    const double d = duration();
    auto xAt = [&](double seconds) { return first + seconds / d * span; };

    // Sentences as alternating bands, so neighbours stay apart.
    if (d > 0) {
        const QColor band = palette().color(QPalette::AlternateBase);
        for (qsizetype i = 0; i < m_sentences.size(); ++i) {
            const int x0 = int(std::floor(xAt(m_sentences[i].start)));
            const int x1 = int(std::ceil(xAt(m_sentences[i].end)));
            QColor c = band;
            if (i % 2)
                c = c.darker(106);
            p.fillRect(QRect(x0, 0, std::max(1, x1 - x0), h), c);
        }
    }

    const double middle = h / 2.0;
    QList<QLineF> lines;
    lines.reserve(qsizetype(m_columns.size()));
    for (int c = 0; c < int(m_columns.size()); ++c) {
        const double half = std::max(0.5, m_columns[std::size_t(c)] * (middle - ratio));
        const double x = first + c + 0.5;
        lines.append(QLineF(x, middle - half, x, middle + half));
    }
    p.setPen(QPen(palette().color(QPalette::WindowText), 1.0));
    p.drawLines(lines);

    if (d > 0) {
        p.setPen(QPen(palette().color(QPalette::Highlight), std::max<qreal>(1.0, ratio)));
        for (const Sentence &s : m_sentences) {
            const double x = xAt(s.start);
            p.drawLine(QLineF(x, 0, x, h));
        }
    }
    p.end();
    m_strip.setDevicePixelRatio(ratio);
    m_stripValid = true;
}

void WaveformView::paintEvent(QPaintEvent *)
{
    const qreal ratio = devicePixelRatioF();
    const QSize deviceSize(int(std::ceil(width() * ratio)), int(std::ceil(height() * ratio)));
    if (deviceSize.isEmpty())
        return;
    if (!m_stripValid || m_strip.size() != deviceSize || m_strip.devicePixelRatio() != ratio)
        rebuildStrip(deviceSize, ratio);

    QPainter p(this);
    p.drawImage(QPointF(0, 0), m_strip);
    if (m_loopStart >= 0 && m_loopEnd > m_loopStart && duration() > 0) {
        QColor shade = palette().color(QPalette::Highlight);
        shade.setAlpha(60);
        const double x0 = xForTime(m_loopStart);
        p.fillRect(QRectF(x0, 0, std::max(1.0, xForTime(m_loopEnd) - x0), height()), shade);
    }
    if (duration() > 0 && !m_marks.isEmpty()) {
        // One pixel apart from the neighbours.
        // A band of their own along the bottom, so a filled bar never merges
        // with a loud envelope.
        const double band = 8.0;
        const double barHeight = 5.0;
        const double top = height() - barHeight - 1.5;
        p.fillRect(QRectF(0, height() - band, width(), band), palette().color(QPalette::Base));
        p.setPen(QPen(palette().color(QPalette::WindowText), 1.0));
        const QColor ink = palette().color(QPalette::WindowText);
        for (qsizetype i = 0; i < std::min(m_marks.size(), m_sentences.size()); ++i) {
            const Mark mark = m_marks.at(i);
            if (mark == Mark::None)
                continue;
            const double x0 = std::floor(xForTime(m_sentences.at(i).start)) + 1.5;
            const double x1 = std::ceil(xForTime(m_sentences.at(i).end)) - 1.5;
            const QRectF bar(x0, top, std::max(2.0, x1 - x0), barHeight);
            p.fillRect(bar, palette().color(QPalette::Base));
            if (mark == Mark::Full)
                p.fillRect(bar, ink);
            else if (mark == Mark::Half)
                p.fillRect(QRectF(bar.left(), bar.top(), bar.width() / 2, bar.height()), ink);
            p.drawRect(bar);
        }
    }
    // Where the close view is: a frame, not a fill, so the loop shows through.
    if (m_windowEnd > m_windowStart && duration() > 0
        && (m_windowStart > 0 || m_windowEnd < duration())) {
        const double x0 = xForTime(m_windowStart);
        const double x1 = std::max(x0 + 3.0, xForTime(m_windowEnd));
        p.setPen(QPen(palette().color(QPalette::Text), 1.0));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(x0, 0.5, x1 - x0, height() - 1.0));
    }
    if (m_position >= 0 && duration() > 0) {
        p.setPen(QPen(QColor(0xd0, 0x20, 0x20), 1.5));
        const double x = xForTime(m_position);
        p.drawLine(QLineF(x, 0, x, height()));
    }
}

void WaveformView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    invalidateColumns();
}

void WaveformView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange)
        m_stripValid = false;
    QWidget::changeEvent(event);
}

void WaveformView::mousePressEvent(QMouseEvent *event)
{
    const double d = duration();
    const double span = scaleEnd() - scaleStart();
    if (event->button() != Qt::LeftButton || d <= 0 || span <= 0) {
        QWidget::mousePressEvent(event);
        return;
    }
    const int index = sentenceAt(m_sentences, (event->position().x() - scaleStart()) / span * d);
    if (index >= 0)
        emit sentenceClicked(index);
}
