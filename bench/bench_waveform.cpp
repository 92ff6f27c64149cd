// The close waveform view on a 3-hour recording: the time of one repaint at
// zoom levels from a few seconds to the whole, and of a step of the wheel, as
// CPU time of the window's thread (and the wall time of a repaint beside it).
// Prints "name value unit" lines.
#include "sentences/waveformzoom.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QWheelEvent>

#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

// CPU time of this thread: on a shared machine the wall time also counts the
// other programs' turns.
double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    constexpr double Hours = 3.0;
    auto envelope = std::make_shared<Envelope>();
    envelope->duration = Hours * 3600.0;
    envelope->levels.resize(std::size_t(envelope->duration / envelope->frameSeconds));
    QList<Sentence> sentences;
    for (std::size_t i = 0; i < envelope->levels.size(); ++i) {
        // Speech-like: 4 s of sound, 1 s of pause.
        const double t = double(i) * envelope->frameSeconds;
        const bool speaking = std::fmod(t, 5.0) < 4.0;
        envelope->levels[i] = speaking ? float(0.2 + 0.1 * std::sin(t * 7.0)) : 0.001f;
    }
    for (double t = 0.0; t + 4.0 <= envelope->duration; t += 5.0)
        sentences.append({t, t + 4.0, {}});

    WaveformZoom view;
    view.resize(1600, 76);
    view.setEnvelope(envelope);
    view.setSentences(sentences);
    QImage target(view.size(), QImage::Format_ARGB32_Premultiplied);

    const auto repaint = [&] {
        QPainter p(&target);
        view.render(&p);
    };
    repaint(); // warm-up
    double worst = 0.0;
    for (const double span : {5.0, 20.0, 120.0, 900.0, 3600.0, Hours * 3600.0}) {
        view.setView(envelope->duration / 2 - span / 2, span);
        QElapsedTimer timer;
        timer.start();
        const double cpuStart = threadCpuMs();
        constexpr int Rounds = 10;
        for (int i = 0; i < Rounds; ++i)
            repaint();
        const double ms = (threadCpuMs() - cpuStart) / Rounds;
        std::printf("zoom_repaint_ms_%ds %.2f ms\n", int(span), ms);
        std::printf("zoom_repaint_wall_ms_%ds %.2f ms\n", int(span),
                    timer.nsecsElapsed() / 1e6 / Rounds);
        worst = std::max(worst, ms);
    }
    std::printf("zoom_repaint_ms %.2f ms\n", worst);

    // A wheel step zooms and repaints.
    view.setView(envelope->duration / 2, WaveformZoom::DefaultSpan);
    const double cpuStart = threadCpuMs();
    constexpr int Steps = 20;
    for (int i = 0; i < Steps; ++i) {
        QWheelEvent wheel(QPointF(800, 40), QPointF(800, 40), {}, QPoint(0, i < 10 ? -120 : 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&view, &wheel);
        repaint();
    }
    std::printf("zoom_wheel_step_ms %.2f ms\n", (threadCpuMs() - cpuStart) / Steps);
    return 0;
}
