// Loop precision of the real player with the window's own tick: how far past
// the loop end playback gets before the wrap, where the wrap seek lands and how
// long it takes, and what looping costs in CPU; at 1.0x, 0.7x and 1.3x, with the
// tick alone and with the player's own A-B loop on ("exact"). Also how long
// opening takes per format. Prints "name value unit" lines; figures at other
// speeds than 1.0x carry the speed as a suffix.
#include "app/tform_main.h"
#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/mpvplayer.h"
#include "platform/shell.h"
#include "playback/loopregion.h"
#include "support/tonewav.h"

#include <QAction>
#include <QApplication>
#include <QDataStream>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

// Runs a step as the window's handlers do: a failure is reported, not thrown.
void guarded(const std::function<void()> &step)
{
    try {
        step();
    } catch (const AppError &error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.text()));
    } catch (const Abandon &) {
    }
}

// Answers every question without a person: No where offered, else the default.
class QuietDialogs : public Dialogs
{
public:
    Button messageBox(const QString &, const QString &text, const QList<Button> &buttons, Icon,
                      Button defaultButton) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return buttons.contains(Button::No) ? Button::No : defaultButton;
    }
    std::optional<QString> openFile(const FileRequest &) override { return std::nullopt; }
    std::optional<QString> saveFile(const FileRequest &) override { return std::nullopt; }
};

class NoShell : public Shell
{
public:
    void open(const QString &) override {}
    void setClipboardText(const QString &) override {}
};

// Passes everything to the real player and notes each wrap: the position the
// tick read just before it sought, and when.
class MeasuringPlayer : public MediaPlayer
{
public:
    explicit MeasuringPlayer(MediaPlayer *inner) : m_inner(inner)
    {
        connect(inner, &MediaPlayer::playStateChanged, this, &MediaPlayer::playStateChanged);
        connect(inner, &MediaPlayer::errorOccurred, this, &MediaPlayer::errorOccurred);
    }
    void setUrl(const QString &path) override { m_inner->setUrl(path); }
    int playState() const override { return m_inner->playState(); }
    QString status() const override { return m_inner->status(); }
    void play() override { m_inner->play(); }
    void pause() override { m_inner->pause(); }
    void stop() override { m_inner->stop(); }
    double currentPosition() const override { return m_lastRead = m_inner->currentPosition(); }
    void setCurrentPosition(double seconds) override
    {
        wraps.push_back({m_lastRead, seconds});
        m_inner->setCurrentPosition(seconds);
        seekClock.restart();
    }
    double duration() const override { return m_inner->duration(); }
    void close() override { m_inner->close(); }
    void setSpeed(double factor) override { m_inner->setSpeed(factor); }
    double speed() const override { return m_inner->speed(); }
    void setVolume(int percent) override { m_inner->setVolume(percent); }
    int volume() const override { return m_inner->volume(); }
    void setLoopRange(double a, double b) override { m_inner->setLoopRange(a, b); }

    struct Wrap {
        double readBefore;
        double target;
    };
    std::vector<Wrap> wraps;
    QElapsedTimer seekClock;

private:
    MediaPlayer *m_inner;
    mutable double m_lastRead = 0.0;
};

bool encode(const QString &ffmpeg, const QString &wav, const QString &out, const char *codec)
{
    return QProcess::execute(ffmpeg,
                             {QStringLiteral("-nostdin"), QStringLiteral("-loglevel"),
                              QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-i"),
                              wav, QStringLiteral("-c:a"), QLatin1String(codec),
                              QStringLiteral("-b:a"), QStringLiteral("64k"), out})
           == 0;
}

// Runs the event loop idle for a while, as the program does between events.
void waitFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Figures {
    std::vector<double> overshootMs;
    std::vector<double> exactOvershootMs;
    std::vector<double> landingMs;
    std::vector<double> landingMsWma;
    std::vector<double> latencyMs;
};

// Opens the recording through the window and waits until it plays.
void openPlaying(TForm_Main &window, MediaPlayer &player, const QString &path)
{
    guarded([&] { window.OpenSourceFile(path); });
    QElapsedTimer clock;
    clock.start();
    while (player.playState() != MediaPlayer::Playing && clock.elapsed() < 5000)
        waitFor(5);
}

// The window keeps the player's own loop equal to its loop points while the
// exact loop end is on (the default); off, the tick alone wraps.
void setExactLoop(TForm_Main &window, bool on)
{
    auto *command = window.findChild<QAction *>(QStringLiteral("Action_ExactLoop"));
    if (command->isChecked() != on)
        command->trigger();
}

// Plays one recording and loops it over regions of several lengths, the tick
// alone wrapping.
void measure(TForm_Main &window, MeasuringPlayer &player, const QString &path, bool wma,
             Figures &figures)
{
    setExactLoop(window, false);
    openPlaying(window, player, path);
    QElapsedTimer clock;
    const double lengths[] = {0.45, 0.6, 0.75, 0.9, 1.15};
    for (double length : lengths) {
        const double start = 1.0;
        const double end = start + length;
        player.setCurrentPosition(start);
        player.wraps.clear();
        window.findChild<LoopRegion *>()->setPoints(start, end);
        const std::size_t wanted = 4;
        std::size_t seen = 0;
        clock.restart();
        while (seen < wanted && clock.elapsed() < 20000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            if (player.wraps.size() == seen)
                continue;
            const MeasuringPlayer::Wrap wrap = player.wraps[seen++];
            if (wrap.readBefore <= end)
                continue; // the pull to the start at the first tick, not a wrap
            figures.overshootMs.push_back((wrap.readBefore - end) * 1000.0);
            // Read until the player reports a position of its own after the seek.
            double landed = wrap.target;
            qint64 latency = -1;
            while (player.seekClock.elapsed() < 1000) {
                const double now = player.currentPosition();
                if (now != wrap.target) {
                    landed = now;
                    latency = player.seekClock.elapsed();
                    break;
                }
                QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            }
            player.wraps.resize(seen); // the reads above are not wraps
            (wma ? figures.landingMsWma : figures.landingMs)
                .push_back(std::abs(landed - start) * 1000.0);
            if (latency >= 0)
                figures.latencyMs.push_back(double(latency));
        }
    }
    window.findChild<LoopRegion *>()->setPoints(-1.0, -1.0);
}

// The same loops with the exact loop end on, as the window sets the player's
// own A-B loop: the furthest position past the loop end reported in each lap,
// read as often as the event loop allows.
void measureExact(TForm_Main &window, MeasuringPlayer &player, const QString &path,
                  Figures &figures)
{
    setExactLoop(window, true);
    openPlaying(window, player, path);
    QElapsedTimer clock;
    const double lengths[] = {0.45, 0.75, 1.15};
    for (double length : lengths) {
        const double start = 1.0;
        const double end = start + length;
        player.setCurrentPosition(start);
        window.findChild<LoopRegion *>()->setPoints(start, end);
        double previous = player.currentPosition();
        double furthest = previous;
        int laps = 0;
        clock.restart();
        while (laps < 4 && clock.elapsed() < 20000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            const double now = player.currentPosition();
            if (now < previous - length / 2) {
                figures.exactOvershootMs.push_back(std::max(0.0, furthest - end) * 1000.0);
                furthest = now;
                ++laps;
            }
            furthest = std::max(furthest, now);
            previous = now;
        }
    }
    window.findChild<LoopRegion *>()->setPoints(-1.0, -1.0);
}

// From setUrl to the playing state, in milliseconds; the median of a few openings.
double openToPlayingMs(MediaPlayer &player, const QString &path)
{
    std::vector<double> times;
    for (int i = 0; i < 5; ++i) {
        player.close();
        waitFor(50);
        QElapsedTimer clock;
        clock.start();
        player.setUrl(path);
        while (player.playState() != MediaPlayer::Playing && clock.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        times.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
           + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return std::nan("");
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(p * (values.size() - 1) + 0.5))];
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");

    QTemporaryDir dir;
    const QString wav = dir.filePath(QStringLiteral("tone.wav"));
    if (!writeToneWav(wav, 8.0))
        qFatal("cannot write %s", qPrintable(wav));
    QStringList recordings{wav};
    QStringList wmaRecordings;
    std::vector<std::pair<const char *, QString>> openings;
    const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    if (!ffmpeg.isEmpty()) {
        const QString mp3 = dir.filePath(QStringLiteral("tone.mp3"));
        const QString wma = dir.filePath(QStringLiteral("tone.wma"));
        if (encode(ffmpeg, wav, mp3, "libmp3lame"))
            recordings << mp3;
        if (encode(ffmpeg, wav, wma, "wmav2"))
            wmaRecordings << wma;
        const QString m4a = dir.filePath(QStringLiteral("tone.m4a"));
        const QString opus = dir.filePath(QStringLiteral("tone.opus"));
        if (recordings.size() > 1)
            openings.push_back({"mp3", mp3});
        if (encode(ffmpeg, wav, m4a, "aac"))
            openings.push_back({"m4a", m4a});
        if (encode(ffmpeg, wav, opus, "libopus"))
            openings.push_back({"opus", opus});
    } else {
        std::fprintf(stderr, "ffmpeg not found: measuring the wav recording only\n");
    }

    MpvPlayer real(QStringLiteral("null"));
    MeasuringPlayer player(&real);
    QuietDialogs dialogs;
    NoShell shell;
    TForm_MainServices services;
    services.player = &player;
    services.dialogs = &dialogs;
    services.shell = &shell;
    services.programDir = dir.path() + QLatin1Char('/');
    TForm_Main window(services);

    // The CPU looping costs with nothing but the event loop running.
    auto loopingCpuPercent = [&](int ms) {
        setExactLoop(window, false); // the tick's own cost, as measured before
        guarded([&] { window.OpenSourceFile(wav); });
        waitFor(1000);
        window.findChild<LoopRegion *>()->setPoints(1.0, 2.0);
        const double cpuBefore = cpuSeconds();
        QElapsedTimer wall;
        wall.start();
        waitFor(ms);
        const double percent = 100.0 * (cpuSeconds() - cpuBefore) / (wall.elapsed() / 1000.0);
        window.findChild<LoopRegion *>()->setPoints(-1.0, -1.0);
        return percent;
    };

    const double speeds[] = {1.0, 0.7, 1.3};
    for (double factor : speeds) {
        const bool normal = factor == 1.0;
        const std::string suffix =
            normal ? std::string() : "_" + QByteArray::number(factor, 'f', 1).toStdString();
        auto print = [&suffix](const char *name, const char *format, double value,
                               const char *unit) {
            std::printf("%s%s ", name, suffix.c_str());
            std::printf(format, value);
            std::printf(" %s\n", unit);
        };
        real.setSpeed(factor);
        Figures figures;
        // All formats at 1.0x; the extra speeds on the wav and mp3 recordings.
        for (const QString &path : recordings)
            measure(window, player, path, false, figures);
        if (normal) {
            for (const QString &path : wmaRecordings)
                measure(window, player, path, true, figures);
        }
        measureExact(window, player, wav, figures);
        const double cpuPercent = loopingCpuPercent(normal ? 10000 : 5000);

        print("wraps", "%.0f", double(figures.overshootMs.size()), "count");
        print("overshoot_median_ms", "%.1f", percentile(figures.overshootMs, 0.5), "ms");
        print("overshoot_max_ms", "%.1f", percentile(figures.overshootMs, 1.0), "ms");
        print("overshoot_median_ms_exact", "%.1f", percentile(figures.exactOvershootMs, 0.5), "ms");
        print("overshoot_max_ms_exact", "%.1f", percentile(figures.exactOvershootMs, 1.0), "ms");
        print("landing_error_max_ms", "%.2f", percentile(figures.landingMs, 1.0), "ms");
        if (normal)
            print("landing_error_max_ms_wma", "%.2f", percentile(figures.landingMsWma, 1.0), "ms");
        print("wrap_latency_max_ms", "%.1f", percentile(figures.latencyMs, 1.0), "ms");
        print("cpu_percent", "%.2f", cpuPercent, "%");
        std::fflush(stdout);
    }
    real.setSpeed(1.0);

    for (const auto &[name, path] : openings)
        std::printf("open_to_playing_ms_%s %.1f ms\n", name, openToPlayingMs(real, path));
    return 0;
}
