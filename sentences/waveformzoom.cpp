#include "sentences/waveformzoom.h"

#include "sentences/sentencenavigation.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

constexpr double ZoomRangeDb = 48.0;
// One wheel notch narrows or widens the view by this factor.
constexpr double ZoomPerNotch = 1.25;
// Amber: readable on light and dark backgrounds alike.
constexpr QRgb ZoomUnsureColour = 0xffc06000;

// The first sentence that ends after `seconds`.
qsizetype firstEndingAfter(const QList<Sentence> &sentences, double seconds)
{
    return std::partition_point(sentences.begin(), sentences.end(),
                                [seconds](const Sentence &s) { return s.end <= seconds; })
           - sentences.begin();
}

} // namespace

double rulerStep(double pixelsPerSecond, double minimumPixels)
{
    static const double Steps[] = {0.1, 0.2, 0.5, 1,   2,   5,   10,   15,
                                   30,  60,  120, 300, 600, 900, 1800, 3600};
    for (const double step : Steps) {
        if (step * pixelsPerSecond >= minimumPixels)
            return step;
    }
    return std::ceil(minimumPixels / pixelsPerSecond / 3600.0) * 3600.0;
}

QString rulerLabel(double seconds, double step)
{
    const qint64 tenths = std::llround(seconds * 10.0);
    const qint64 whole = tenths / 10;
    const qint64 h = whole / 3600, m = whole / 60 % 60, s = whole % 60;
    QString text = h > 0 ? QStringLiteral("%1:%2:%3")
                               .arg(h)
                               .arg(m, 2, 10, QLatin1Char('0'))
                               .arg(s, 2, 10, QLatin1Char('0'))
                         : QStringLiteral("%1:%2").arg(m).arg(s, 2, 10, QLatin1Char('0'));
    if (step < 1.0)
        text += QStringLiteral(".%1").arg(tenths % 10);
    return text;
}

WaveformZoom::WaveformZoom(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setToolTip(tr("滚动鼠标滚轮（或 Ctrl+滚轮）缩放，Shift+滚轮左右移动；单击句子播放该句"));
}

QSize WaveformZoom::sizeHint() const
{
    return {600, 72};
}

QSize WaveformZoom::minimumSizeHint() const
{
    return {60, RulerHeight + 24};
}

double WaveformZoom::duration() const
{
    return m_envelope ? m_envelope->duration : 0.0;
}

void WaveformZoom::setEnvelope(std::shared_ptr<const Envelope> envelope)
{
    const bool sameRecording = m_envelope && envelope
                               && m_envelope->frameSeconds == envelope->frameSeconds
                               && envelope->duration >= m_envelope->duration;
    m_envelope = std::move(envelope);
    m_peak = 0.0f;
    if (m_envelope && !m_envelope->levels.empty())
        m_peak = *std::max_element(m_envelope->levels.begin(), m_envelope->levels.end());
    if (!sameRecording)
        setView(0.0, DefaultSpan);
    else
        setView(m_viewStart, m_viewSpan);
    update();
}

void WaveformZoom::setSentences(const QList<Sentence> &sentences)
{
    m_sentences = sentences;
    update();
}

void WaveformZoom::setLoopRegion(double start, double end)
{
    if (start == m_loopStart && end == m_loopEnd)
        return;
    m_loopStart = start;
    m_loopEnd = end;
    if (start >= 0 && end > start)
        bringIntoView(start, end);
    update();
}

void WaveformZoom::setPosition(double seconds)
{
    if (seconds == m_position)
        return;
    m_position = seconds;
    // Playing on past the view turns the page; a loop in view keeps it.
    if (seconds >= 0 && (seconds < m_viewStart || seconds > m_viewStart + m_viewSpan))
        setView(seconds - m_viewSpan * 0.1, m_viewSpan);
    update();
}

void WaveformZoom::clear()
{
    m_envelope.reset();
    m_peak = 0.0f;
    m_sentences.clear();
    m_loopStart = m_loopEnd = m_position = -1.0;
    setView(0.0, DefaultSpan);
    update();
}

void WaveformZoom::setView(double start, double span)
{
    const double d = duration();
    span = std::max(span, MinimumSpan);
    if (d > 0)
        span = std::min(span, std::max(d, MinimumSpan));
    start = std::clamp(start, 0.0, std::max(0.0, d - span));
    if (start == m_viewStart && span == m_viewSpan)
        return;
    m_viewStart = start;
    m_viewSpan = span;
    update();
    Q_EMIT viewChanged(m_viewStart, m_viewStart + m_viewSpan);
}

void WaveformZoom::bringIntoView(double start, double end)
{
    const double length = end - start;
    // A sentence longer than the view widens it, with room on both sides.
    const double span = std::max(m_viewSpan, length * 1.25);
    if (start >= m_viewStart && end <= m_viewStart + span && span == m_viewSpan)
        return;
    setView(start + length / 2 - span / 2, span);
}

double WaveformZoom::xForTime(double seconds) const
{
    return (seconds - m_viewStart) / m_viewSpan * width();
}

double WaveformZoom::timeAtX(double x) const
{
    return m_viewStart + x / std::max(1, width()) * m_viewSpan;
}

QRectF WaveformZoom::sentenceRect(int index) const
{
    if (index < 0 || index >= m_sentences.size())
        return {};
    const Sentence &s = m_sentences.at(index);
    const QRectF rect(QPointF(xForTime(s.start), RulerHeight), QPointF(xForTime(s.end), height()));
    return rect.intersected(QRectF(0, RulerHeight, width(), height() - RulerHeight));
}

QString WaveformZoom::sentenceNumberShown(int index) const
{
    const QRectF rect = sentenceRect(index);
    if (rect.isEmpty())
        return {};
    // "≈" as in the sentence list: about here.
    const QString number = m_sentences.at(index).poor ? QStringLiteral("≈%1").arg(index + 1)
                                                      : QString::number(index + 1);
    return rect.width() >= fontMetrics().horizontalAdvance(number) + 6 ? number : QString();
}

void WaveformZoom::paintRuler(QPainter &p)
{
    const QRect ruler(0, 0, width(), RulerHeight);
    p.fillRect(ruler, palette().color(QPalette::Button));
    p.setPen(palette().color(QPalette::ButtonText));
    const double pixelsPerSecond = width() / m_viewSpan;
    const double step = rulerStep(
        pixelsPerSecond, fontMetrics().horizontalAdvance(QStringLiteral("0:00:00.0")) + 12);
    const double first = std::ceil(m_viewStart / step) * step;
    for (double t = first; t <= m_viewStart + m_viewSpan; t += step) {
        const double x = xForTime(t);
        p.drawLine(QLineF(x, RulerHeight - 5, x, RulerHeight));
        p.drawText(QRectF(x + 3, 0, step * pixelsPerSecond, RulerHeight - 1),
                   Qt::AlignLeft | Qt::AlignVCenter, rulerLabel(t, step));
        // Minor ticks at fifths.
        for (int i = 1; i < 5; ++i) {
            const double mx = xForTime(t + step * i / 5);
            p.drawLine(QLineF(mx, RulerHeight - 2, mx, RulerHeight));
        }
    }
}

void WaveformZoom::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Base));
    // Without a recording there is no time to measure.
    const double d = duration();
    if (d <= 0)
        return;
    paintRuler(p);
    const int top = RulerHeight;
    const int h = height() - top;
    const double end = m_viewStart + m_viewSpan;

    // The sentences in view, gathered first and drawn in a few calls: a
    // view of hours holds thousands of them.
    const qsizetype firstSentence = firstEndingAfter(m_sentences, m_viewStart);
    QList<QRectF> bands[2];
    QList<QLineF> starts;
    double lastStartX = -1.0;
    // Thinner than a few pixels, sentences are a blur: the strip below shows
    // them, and the view only its envelope until zoomed in.
    const qsizetype lastSentence =
        std::partition_point(m_sentences.begin() + firstSentence, m_sentences.end(),
                             [end](const Sentence &s) { return s.start < end; })
        - m_sentences.begin();
    const bool sentencesShown = (lastSentence - firstSentence) * 3 <= width();
    for (qsizetype i = firstSentence; sentencesShown && i < lastSentence; ++i) {
        const QRectF r = sentenceRect(int(i));
        bands[i % 2].append(r);
        const double x = std::round(xForTime(m_sentences[i].start)) + 0.5;
        // One start line a pixel column is enough.
        if (x != lastStartX) {
            starts.append(QLineF(x, top, x, height()));
            lastStartX = x;
        }
    }
    const QColor band = palette().color(QPalette::AlternateBase);
    p.setPen(Qt::NoPen);
    p.setBrush(band);
    p.drawRects(bands[0]);
    p.setBrush(band.darker(108));
    p.drawRects(bands[1]);
    p.setBrush(Qt::NoBrush);

    // The envelope: the loudest frame under each pixel column in view.
    const std::vector<float> &levels = m_envelope->levels;
    const double framesPerSecond = 1.0 / m_envelope->frameSeconds;
    // The numbers have a band of their own over the envelope, so a loud
    // sentence never hides its number.
    const int numbers = fontMetrics().height() + 1;
    const double wave = std::max(2, h - numbers);
    const double middle = top + numbers + wave / 2.0;
    QList<QLineF> lines;
    lines.reserve(width());
    for (int x = 0; x < width(); ++x) {
        const double t0 = timeAtX(x), t1 = timeAtX(x + 1);
        auto f0 = std::size_t(std::max(0.0, t0 * framesPerSecond));
        auto f1 = std::size_t(std::max(0.0, std::ceil(t1 * framesPerSecond)));
        f1 = std::min(std::max(f1, f0 + 1), levels.size());
        if (f0 >= f1)
            break;
        const float loudest = *std::max_element(levels.begin() + std::ptrdiff_t(f0),
                                                levels.begin() + std::ptrdiff_t(f1));
        const double db =
            loudest > 0 && m_peak > 0 ? 20.0 * std::log10(loudest / m_peak) : -ZoomRangeDb;
        const double half =
            std::max(0.5, std::clamp(1.0 + db / ZoomRangeDb, 0.0, 1.0) * (wave / 2.0 - 1));
        lines.append(QLineF(x + 0.5, middle - half, x + 0.5, middle + half));
    }
    p.setPen(QPen(palette().color(QPalette::WindowText), 1.0));
    p.drawLines(lines);

    // Sentence starts and numbers over the envelope, so they stay readable.
    p.setPen(QPen(palette().color(QPalette::Highlight), 1.0));
    p.drawLines(starts);
    p.setPen(palette().color(QPalette::Text));
    const QFontMetrics metrics = fontMetrics();
    const double baseline = top + 1 + metrics.ascent();
    const int digit = metrics.horizontalAdvance(QLatin1Char('0'));
    for (qsizetype i = firstSentence; sentencesShown && i < lastSentence; ++i) {
        const QRectF r = sentenceRect(int(i));
        // Digits are of one width in the usual fonts; a rough test first
        // keeps the thousands of narrow sentences of a wide view cheap.
        if (r.width() < 2 * digit + 6)
            continue;
        const QString number = sentenceNumberShown(int(i));
        if (number.isEmpty())
            continue;
        // An unsure one also in a warning colour, seen at a glance.
        p.setPen(m_sentences.at(i).poor ? QColor::fromRgb(ZoomUnsureColour)
                                        : palette().color(QPalette::Text));
        p.drawText(QPointF(r.left() + 3, baseline), number);
    }

    if (m_loopStart >= 0 && m_loopEnd > m_loopStart) {
        QColor shade = palette().color(QPalette::Highlight);
        shade.setAlpha(60);
        const double x0 = xForTime(m_loopStart);
        p.fillRect(QRectF(x0, top, std::max(1.0, xForTime(m_loopEnd) - x0), h), shade);
    }
    if (m_position >= 0) {
        p.setPen(QPen(QColor(0xd0, 0x20, 0x20), 1.5));
        const double x = xForTime(m_position);
        p.drawLine(QLineF(x, 0, x, height()));
    }
}

void WaveformZoom::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || duration() <= 0
        || event->position().y() < RulerHeight) {
        QWidget::mousePressEvent(event);
        return;
    }
    const int index = sentenceAt(m_sentences, timeAtX(event->position().x()));
    if (index >= 0)
        Q_EMIT sentenceClicked(index);
}

void WaveformZoom::wheelEvent(QWheelEvent *event)
{
    if (duration() <= 0) {
        event->ignore();
        return;
    }
    const QPoint delta = event->angleDelta();
    const int steps = delta.y() != 0 ? delta.y() : delta.x();
    m_wheelRest += steps / 120.0;
    const double notches = std::trunc(m_wheelRest);
    if (notches == 0) {
        event->accept();
        return;
    }
    m_wheelRest -= notches;
    if (event->modifiers().testFlag(Qt::ShiftModifier) || delta.y() == 0) {
        setView(m_viewStart - notches * m_viewSpan * 0.2, m_viewSpan);
    } else {
        // The time under the mouse stays under it.
        const double x = event->position().x();
        const double anchor = timeAtX(x);
        const double span = m_viewSpan * std::pow(ZoomPerNotch, -notches);
        const double clamped = std::clamp(span, MinimumSpan, std::max(duration(), MinimumSpan));
        setView(anchor - x / std::max(1, width()) * clamped, clamped);
    }
    event->accept();
}
