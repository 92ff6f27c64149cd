// The close waveform view: the ruler, zooming and moving with the wheel,
// following the sentence, and sentences readable and clickable on a 3-hour
// recording.
#include "sentences/waveformzoom.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

// A recording of `hours` with a sentence every 5 s (4 s long), and one
// sentence of a minute at 1:00:00.
struct LongRecording {
    std::shared_ptr<Envelope> envelope = std::make_shared<Envelope>();
    QList<Sentence> sentences;

    explicit LongRecording(double hours)
    {
        envelope->duration = hours * 3600.0;
        envelope->levels.assign(std::size_t(envelope->duration / envelope->frameSeconds), 0.1f);
        for (double t = 0.0; t + 4.0 <= envelope->duration; t += 5.0) {
            if (t >= 3600.0 && t < 3660.0)
                continue;
            sentences.append({t, t + 4.0, {}});
            if (t == 3595.0)
                sentences.append({3600.0, 3660.0, {}});
        }
    }
    int indexAt(double start) const
    {
        for (int i = 0; i < sentences.size(); ++i)
            if (sentences[i].start == start)
                return i;
        return -1;
    }
};

void wheel(WaveformZoom &view, int delta, Qt::KeyboardModifiers modifiers, double x)
{
    const QPointF at(x, 40);
    QWheelEvent event(at, view.mapToGlobal(at), {}, QPoint(0, delta), Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&view, &event);
}

} // namespace

TEST(WaveformZoom, RulerStepsAndLabels)
{
    struct Case {
        double pixelsPerSecond;
        double step;
    };
    // Labels at least 80 px apart.
    const Case steps[] = {
        {1000.0, 0.1}, {500.0, 0.2}, {100.0, 1.0}, {50.0, 2.0},    {10.0, 10.0},
        {6.0, 15.0},   {1.0, 120.0}, {0.1, 900.0}, {0.05, 1800.0}, {0.02, 7200.0},
    };
    for (const Case &c : steps) {
        SCOPED_TRACE(c.pixelsPerSecond);
        EXPECT_DOUBLE_EQ(rulerStep(c.pixelsPerSecond, 80.0), c.step);
    }
    struct Label {
        double seconds, step;
        const char *text;
    };
    const Label labels[] = {
        {0.0, 1.0, "0:00"},       {5.0, 5.0, "0:05"},        {65.0, 5.0, "1:05"},
        {5.5, 0.5, "0:05.5"},     {3750.0, 30.0, "1:02:30"}, {10800.0, 3600.0, "3:00:00"},
        {3599.9, 0.1, "59:59.9"},
    };
    for (const Label &l : labels) {
        SCOPED_TRACE(l.text);
        EXPECT_EQ(rulerLabel(l.seconds, l.step), QString::fromLatin1(l.text));
    }
}

TEST(WaveformZoom, EverySentenceOfThreeHoursIsReadableAndClickable)
{
    const LongRecording recording(3.0);
    WaveformZoom view;
    view.resize(1000, 76);
    view.setEnvelope(recording.envelope);
    view.setSentences(recording.sentences);
    view.setView(5000.0, WaveformZoom::DefaultSpan); // every case moves the view
    QSignalSpy clicked(&view, &WaveformZoom::sentenceClicked);
    QSignalSpy framed(&view, &WaveformZoom::viewChanged);

    struct Case {
        double start;
        const char *what;
    };
    const Case cases[] = {
        {0.0, "the first"},    {1800.0, "in the middle"}, {3600.0, "a minute long"},
        {10790.0, "the last"}, {7205.0, "after a jump"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const int index = recording.indexAt(c.start);
        ASSERT_GE(index, 0);
        const Sentence &s = recording.sentences.at(index);
        // Practising the sentence brings it into view.
        view.setLoopRegion(s.start, s.end);
        EXPECT_LE(view.viewStart(), s.start);
        EXPECT_GE(view.viewStart() + view.viewSpan(), s.end);
        ASSERT_FALSE(framed.isEmpty());
        EXPECT_DOUBLE_EQ(framed.last().at(0).toDouble(), view.viewStart());
        const QRectF rect = view.sentenceRect(index);
        EXPECT_GE(rect.width(), 40.0);
        EXPECT_EQ(view.sentenceNumberShown(index), QString::number(index + 1));
        clicked.clear();
        QTest::mouseClick(&view, Qt::LeftButton, {}, rect.center().toPoint());
        ASSERT_EQ(clicked.size(), 1);
        EXPECT_EQ(clicked.first().at(0).toInt(), index);
    }
    // A click on the ruler plays nothing.
    clicked.clear();
    QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(500, 4));
    EXPECT_TRUE(clicked.isEmpty());
}

TEST(WaveformZoom, WheelZoomsAroundTheMouseAndShiftWheelMoves)
{
    const LongRecording recording(3.0);
    WaveformZoom view;
    view.resize(1000, 76);
    view.setEnvelope(recording.envelope);
    view.setSentences(recording.sentences);
    view.setView(1000.0, 20.0);

    struct Step {
        int delta;
        Qt::KeyboardModifiers modifiers;
        double x;
        double span;  // afterwards; 0: the whole recording
        double start; // afterwards; -1: the time under the mouse kept
    };
    const Step steps[] = {
        {120, Qt::NoModifier, 250.0, 16.0, -1},
        {120, Qt::ControlModifier, 500.0, 12.8, -1},
        {-240, Qt::ControlModifier, 100.0, 20.0, -1},
        {60, Qt::NoModifier, 100.0, 20.0, -1},   // half a notch: nothing yet
        {60, Qt::NoModifier, 100.0, 16.0, -1},   // the other half
        {1200, Qt::NoModifier, 0.0, 2.0, -1},    // no narrower than 2 s
        {-12000, Qt::NoModifier, 900.0, 0, 0.0}, // no wider than the recording
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(s.delta);
        const double anchor = view.timeAtX(s.x);
        wheel(view, s.delta, s.modifiers, s.x);
        const double span = s.span > 0 ? s.span : recording.envelope->duration;
        EXPECT_NEAR(view.viewSpan(), span, 1e-9);
        if (s.start >= 0)
            EXPECT_NEAR(view.viewStart(), s.start, 1e-9);
        else
            EXPECT_NEAR(view.timeAtX(s.x), anchor, 1e-6);
    }

    // Shift and the wheel move by a fifth of the view, within the recording.
    view.setView(1000.0, 20.0);
    wheel(view, -120, Qt::ShiftModifier, 500.0);
    EXPECT_DOUBLE_EQ(view.viewStart(), 1004.0);
    wheel(view, 120, Qt::ShiftModifier, 500.0);
    EXPECT_DOUBLE_EQ(view.viewStart(), 1000.0);
    view.setView(0.0, 20.0);
    wheel(view, 120, Qt::ShiftModifier, 500.0);
    EXPECT_DOUBLE_EQ(view.viewStart(), 0.0);
}

TEST(WaveformZoom, PlayingPastTheViewTurnsThePage)
{
    const LongRecording recording(1.0);
    WaveformZoom view;
    view.resize(800, 76);
    view.setEnvelope(recording.envelope);
    view.setView(100.0, 20.0);
    view.setPosition(110.0); // in view: it stays
    EXPECT_DOUBLE_EQ(view.viewStart(), 100.0);
    view.setPosition(121.0);
    EXPECT_LE(view.viewStart(), 121.0);
    EXPECT_GE(view.viewStart() + view.viewSpan(), 121.0 + 10.0);
    EXPECT_DOUBLE_EQ(view.viewSpan(), 20.0);
    // A new recording starts at its beginning with the usual span.
    view.setEnvelope(std::make_shared<Envelope>(*LongRecording(0.5).envelope));
    view.clear();
    EXPECT_DOUBLE_EQ(view.viewStart(), 0.0);
    EXPECT_DOUBLE_EQ(view.viewSpan(), WaveformZoom::DefaultSpan);
}

TEST(WaveformZoom, AnUnsureSentenceShowsItsMark)
{
    // Sentences aligned from a transcript, some less surely: the first, one
    // in the middle and the last, as the sentence list marks them.
    const LongRecording recording(0.01); // 36 s: seven sentences
    QList<Sentence> sentences = recording.sentences;
    ASSERT_EQ(sentences.size(), 7);
    const bool unsure[] = {true, false, false, true, false, false, true};
    for (int i = 0; i < 7; ++i)
        sentences[i].poor = unsure[i];
    WaveformZoom view;
    view.resize(1400, 76);
    view.setEnvelope(recording.envelope);
    view.setSentences(sentences);
    view.setView(0.0, 36.0);
    const QImage shot = view.grab().toImage();
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE(i);
        const QString number = QString::number(i + 1);
        EXPECT_EQ(view.sentenceNumberShown(i), unsure[i] ? QStringLiteral("≈") + number : number);
        // Drawn in amber, where red stands well above blue.
        const QRect r = view.sentenceRect(i).toAlignedRect().intersected(shot.rect());
        int amber = 0;
        for (int y = r.top(); y <= r.bottom(); ++y) {
            for (int x = r.left(); x <= r.right(); ++x) {
                const QColor c = shot.pixelColor(x, y);
                amber += c.red() - c.blue() > 80 && c.green() > 40;
            }
        }
        if (unsure[i])
            EXPECT_GT(amber, 0);
        else
            EXPECT_EQ(amber, 0);
    }
}
