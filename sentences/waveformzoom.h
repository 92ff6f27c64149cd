#pragma once

#include "sentences/envelope.h"

#include <QList>
#include <QWidget>

#include <memory>

// A close view of the recording around the sentence being practised: a time
// ruler, the envelope, the sentences numbered as the list numbers them, the
// loop region and the playing position. The wheel zooms around the mouse
// (with or without Ctrl); Shift and the wheel move along. The view follows the
// loop region, and the playing position when it leaves the view. Painting
// reads only the frames in view, so a 3-hour recording costs what a minute does.
class WaveformZoom : public QWidget
{
    Q_OBJECT
public:
    explicit WaveformZoom(QWidget *parent = nullptr);

    void setEnvelope(std::shared_ptr<const Envelope> envelope);
    void setSentences(const QList<Sentence> &sentences);
    void setLoopRegion(double start, double end); // -1 where unset
    void setPosition(double seconds);             // -1 hides the marker
    void clear();

    // The time span shown, in seconds.
    double viewStart() const { return m_viewStart; }
    double viewSpan() const { return m_viewSpan; }
    void setView(double start, double span);
    // The narrowest and the default view, in seconds.
    static constexpr double MinimumSpan = 2.0;
    static constexpr double DefaultSpan = 20.0;

    // Where a sentence is drawn in the widget; empty when out of view.
    QRectF sentenceRect(int index) const;
    // The number drawn on a sentence, "12", or "≈12" when its text aligned
    // less surely than the rest (its times may be off); empty when it does
    // not fit.
    QString sentenceNumberShown(int index) const;
    double xForTime(double seconds) const;
    double timeAtX(double x) const;
    static constexpr int RulerHeight = 16;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void sentenceClicked(int index);
    // The span shown changed: the whole-recording strip marks it.
    void viewChanged(double start, double end);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    double duration() const;
    void bringIntoView(double start, double end);
    void paintRuler(QPainter &p);

    std::shared_ptr<const Envelope> m_envelope;
    float m_peak = 0.0f;
    QList<Sentence> m_sentences;
    double m_loopStart = -1.0;
    double m_loopEnd = -1.0;
    double m_position = -1.0;
    double m_viewStart = 0.0;
    double m_viewSpan = DefaultSpan;
    double m_wheelRest = 0.0; // part of a wheel step not yet used
};

// The ruler's step: the smallest of 0.1, 0.2, 0.5, 1, 2, 5, 10, 15, 30 s,
// 1, 2, 5, 10, 15, 30 min, 1 h that leaves `minimumPixels` between labels.
double rulerStep(double pixelsPerSecond, double minimumPixels);
// A ruler label: "0:05", "1:02:30", "0:05.5" for steps under a second.
QString rulerLabel(double seconds, double step);
