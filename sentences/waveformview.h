#pragma once

#include "sentences/envelope.h"

#include <QImage>
#include <QList>
#include <QWidget>

#include <memory>
#include <vector>

struct SentenceResult;

// A strip showing the whole recording: its envelope, the sentences, the loop
// region and the playing position. Painting never decodes: the envelope is
// reduced to one height per device pixel column when it or the size changes,
// and drawn once into an image that each repaint only copies.
class WaveformView : public QWidget
{
    Q_OBJECT
public:
    explicit WaveformView(QWidget *parent = nullptr);

    void setAnalysis(const SentenceResult &result);
    void setEnvelope(std::shared_ptr<const Envelope> envelope);
    void setSentences(const QList<Sentence> &sentences);
    void setLoopRegion(double start, double end); // -1 where unset
    void setPosition(double seconds);             // -1 hides the marker
    // A bar under each sentence telling how far the learner got with it, in
    // shape rather than colour: none, empty, half or fully filled.
    enum class Mark { None, Empty, Half, Full };
    void setMarks(const QList<Mark> &marks);
    const QList<Mark> &marks() const { return m_marks; }
    void clear();
    // The span the close view shows, framed on the strip; an empty span hides it.
    void setViewWindow(double start, double end);
    std::shared_ptr<const Envelope> envelope() const { return m_envelope; }
    // Where the recording's start and end fall, in the strip's own x: the
    // window lines the strip up with the seek bar's groove this way, so that
    // both show the same time at the same x. By default the whole width.
    void setTimeScale(double startX, double endX);
    // The x at which a time is drawn.
    double xForTime(double seconds) const;

    const QList<Sentence> &sentences() const { return m_sentences; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // A click on a sentence, by its index in the list.
    void sentenceClicked(int index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    double duration() const;
    double scaleStart() const { return m_scaleSet ? m_scaleStart : 0.0; }
    double scaleEnd() const { return m_scaleSet ? m_scaleEnd : double(width()); }
    void invalidateColumns();
    void rebuildColumns(int deviceWidth);
    void rebuildStrip(const QSize &deviceSize, qreal ratio);

    std::shared_ptr<const Envelope> m_envelope;
    float m_peak = 0.0f;
    QList<Sentence> m_sentences;
    double m_loopStart = -1.0;
    double m_loopEnd = -1.0;
    double m_position = -1.0;
    bool m_scaleSet = false;
    double m_scaleStart = 0.0;
    double m_scaleEnd = 0.0;
    QList<Mark> m_marks;
    double m_windowStart = 0.0;
    double m_windowEnd = 0.0;

    std::vector<float> m_columns; // 0..1 per device pixel column
    QImage m_strip;               // envelope and sentences at device resolution
    bool m_stripValid = false;
};
