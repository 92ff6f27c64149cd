// What the learner hears at the loop wrap, measured through a sound server
// rather than the position the player reports. The benchmark starts its own
// PulseAudio server with a null sink in a private runtime folder, plays a
// chirp (its frequency rises steadily, so the frequency heard tells which
// moment of the recording sounds) through the real window and libmpv, records
// the sink's monitor and finds each wrap in the recording:
//   heard_overshoot_ms_<mode>_<speed>  the last moment heard before the wrap,
//                                      past the loop end (negative: cut short)
//   heard_landing_ms_<mode>_<speed>    the first moment heard after it, past
//                                      the loop start (negative: too early)
//   heard_gap_ms_<mode>_<speed>        silence at the wrap
// for the player's own loop ("exact") and the window's tick alone ("tick"),
// at 0.7x, 1.0x and 1.3x; the median over the passes, and as "_max" the one
// furthest from zero. Prints "name value unit" lines.
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
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int Rate = 48000;
// The chirp: F0 + Slope * t hertz at t seconds. At 1 kHz per second a
// millisecond of the recording is one hertz, well within what a period's
// zero crossings tell apart.
constexpr double F0 = 300.0;
constexpr double Slope = 1000.0;
constexpr double Amplitude = 0.5;
constexpr double ChirpSeconds = 7.0;
constexpr double LoopStart = 3.0;
// Loop lengths that are no whole number of ticks, so each lap meets the tick
// at another phase.
constexpr double LoopEnds[] = {4.963, 5.037};
constexpr int WrapsPerLoop = 3;

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

// The sound server's process, for the signal handler: it must not outlive
// the benchmark, however the benchmark ends.
volatile pid_t serverPid = 0;

void stopServerAndExit(int signal)
{
    if (serverPid > 0)
        ::kill(serverPid, SIGTERM);
    ::_exit(128 + signal);
}

// Children die with the benchmark, even when it is killed outright.
void dieWithParent(QProcess &process)
{
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

// A PulseAudio server of the benchmark's own: a null sink "bench", reached
// only through a socket in a private runtime folder, so neither the system's
// server nor another user's sounds come into it.
class SoundServer
{
public:
    explicit SoundServer(const QString &folder) : m_folder(folder)
    {
        QDir().mkpath(runtimeDir());
        QFile::setPermissions(runtimeDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile config(m_folder + QStringLiteral("/server.pa"));
        if (!config.open(QIODevice::WriteOnly))
            return;
        config.write(QStringLiteral("load-module module-null-sink sink_name=bench rate=%1 "
                                    "channels=1\n"
                                    "load-module module-native-protocol-unix socket=%2 "
                                    "auth-anonymous=1\n"
                                    "set-default-sink bench\n")
                         .arg(Rate)
                         .arg(socket())
                         .toUtf8());
        config.close();
        QFile client(clientConfig());
        if (client.open(QIODevice::WriteOnly))
            client.write("autospawn = no\n");
        client.close();

        QProcessEnvironment env;
        env.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
        env.insert(QStringLiteral("HOME"), m_folder);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_folder + QStringLiteral("/config"));
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.setStandardOutputFile(m_folder + QStringLiteral("/server.log"));
        dieWithParent(m_process);
        m_process.start(QStringLiteral("pulseaudio"),
                        {QStringLiteral("--daemonize=no"), QStringLiteral("-n"),
                         QStringLiteral("-F"), m_folder + QStringLiteral("/server.pa"),
                         QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--use-pid-file=no"),
                         QStringLiteral("--disable-shm=yes"), QStringLiteral("--system=no"),
                         QStringLiteral("--log-target=stderr")});
        if (!m_process.waitForStarted(5000))
            return;
        serverPid = pid_t(m_process.processId());
        QElapsedTimer clock;
        clock.start();
        while (!QFile::exists(socket()) && clock.elapsed() < 10000
               && m_process.state() == QProcess::Running)
            m_process.waitForFinished(20);
    }
    ~SoundServer()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(3000)) {
                m_process.kill();
                m_process.waitForFinished(3000);
            }
        }
        serverPid = 0;
    }
    SoundServer(const SoundServer &) = delete;
    SoundServer &operator=(const SoundServer &) = delete;

    bool isRunning() const
    {
        return m_process.state() == QProcess::Running && QFile::exists(socket());
    }
    QString runtimeDir() const { return m_folder + QStringLiteral("/runtime"); }
    QString socket() const { return runtimeDir() + QStringLiteral("/native"); }
    QString clientConfig() const { return m_folder + QStringLiteral("/client.conf"); }
    QString log() const
    {
        QFile file(m_folder + QStringLiteral("/server.log"));
        return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
    }

private:
    QString m_folder;
    QProcess m_process;
};

// Records the null sink's monitor as 16-bit mono samples at Rate.
class MonitorRecorder
{
public:
    explicit MonitorRecorder(const SoundServer &server)
    {
        dieWithParent(m_process);
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput,
                         [this] { m_bytes += m_process.readAllStandardOutput(); });
        m_process.start(QStringLiteral("parec"),
                        {QStringLiteral("--server=unix:") + server.socket(),
                         QStringLiteral("--device=bench.monitor"), QStringLiteral("--raw"),
                         QStringLiteral("--format=s16le"), QStringLiteral("--rate=%1").arg(Rate),
                         QStringLiteral("--channels=1"), QStringLiteral("--latency-msec=20")});
    }
    ~MonitorRecorder() { stop(); }
    MonitorRecorder(const MonitorRecorder &) = delete;
    MonitorRecorder &operator=(const MonitorRecorder &) = delete;

    // True once sound (silence, at first) comes in.
    bool waitUntilRecording()
    {
        QElapsedTimer clock;
        clock.start();
        while (m_bytes.size() < Rate / 10 && clock.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return m_bytes.size() >= Rate / 10;
    }
    std::vector<float> stop()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(3000))
                m_process.kill();
            m_process.waitForFinished(3000);
        }
        m_bytes += m_process.readAllStandardOutput();
        std::vector<float> samples(std::size_t(m_bytes.size() / 2));
        for (std::size_t i = 0; i < samples.size(); ++i) {
            const auto lo = quint8(m_bytes[qsizetype(2 * i)]);
            const auto hi = qint8(m_bytes[qsizetype(2 * i + 1)]);
            samples[i] = float(qint16(lo | (hi << 8))) / 32768.0f;
        }
        return samples;
    }

private:
    QProcess m_process;
    QByteArray m_bytes;
};

bool writeChirp(const QString &path)
{
    const auto samples = quint32(ChirpSeconds * Rate);
    QByteArray pcm;
    QDataStream out(&pcm, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    for (quint32 i = 0; i < samples; ++i) {
        const double t = double(i) / Rate;
        const double phase = 2 * std::numbers::pi * (F0 * t + Slope * t * t / 2);
        out << qint16(std::lround(Amplitude * 32767.0 * std::sin(phase)));
    }
    const QByteArray wav = monoWav(pcm, Rate);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(wav) == wav.size() && file.flush();
}

// A moment of the recording as heard: where in the monitor recording
// (samples) and which moment of the chirp (seconds).
struct Heard {
    double at;
    double source;
};

// Samples inside a stretch of silence: from half a millisecond on, since a
// period of the chirp stays near zero far shorter than that.
std::vector<bool> silences(const std::vector<float> &x)
{
    const std::size_t minimum = Rate / 2000;
    std::vector<bool> silent(x.size(), false);
    std::size_t from = 0;
    for (std::size_t n = 0; n <= x.size(); ++n) {
        if (n < x.size() && std::abs(x[n]) < Amplitude * 0.02)
            continue;
        if (n - from >= minimum)
            std::fill(silent.begin() + qsizetype(from), silent.begin() + qsizetype(n), true);
        from = n + 1;
    }
    return silent;
}

// The chirp's moment at each full period, from the zero crossings; periods
// that hold silence or a jump tell nothing and are left out.
std::vector<Heard> heardMoments(const std::vector<float> &x, const std::vector<bool> &silent)
{
    std::vector<double> crossings;
    for (std::size_t n = 1; n < x.size(); ++n) {
        if ((x[n - 1] < 0) != (x[n] < 0) && x[n - 1] != x[n])
            crossings.push_back(double(n - 1) + x[n - 1] / (x[n - 1] - x[n]));
    }
    std::vector<std::size_t> silentBefore(x.size() + 1, 0);
    for (std::size_t n = 0; n < x.size(); ++n)
        silentBefore[n + 1] = silentBefore[n] + (silent[n] ? 1 : 0);
    std::vector<Heard> moments;
    for (std::size_t i = 2; i < crossings.size(); ++i) {
        const double period = crossings[i] - crossings[i - 2];
        if (period <= 0 || period > 1.2 * Rate / F0)
            continue;
        const auto from = std::size_t(crossings[i - 2]);
        const auto to = std::min(x.size(), std::size_t(crossings[i]) + 2);
        if (silentBefore[to] != silentBefore[from])
            continue;
        float peak = 0;
        for (std::size_t n = from; n < to; ++n)
            peak = std::max(peak, std::abs(x[n]));
        if (peak < Amplitude * 0.3)
            continue;
        const double source = (Rate / period - F0) / Slope;
        if (source < -0.2 || source > ChirpSeconds + 0.2)
            continue;
        moments.push_back({crossings[i - 1], source});
    }
    return moments;
}

// The straight line through the moments (least squares), evaluated at `at`;
// moments off the line by more than 5 ms are dropped and the line fitted again.
std::optional<double> lineAt(std::vector<Heard> points, double at)
{
    for (int round = 0; round < 2; ++round) {
        if (points.size() < 8)
            return std::nullopt;
        double sx = 0, sy = 0, sxx = 0, sxy = 0;
        const double n = double(points.size());
        for (const Heard &p : points) {
            const double dx = p.at - at;
            sx += dx;
            sy += p.source;
            sxx += dx * dx;
            sxy += dx * p.source;
        }
        const double slope = (n * sxy - sx * sy) / (n * sxx - sx * sx);
        const double value = (sy - slope * sx) / n;
        if (round == 1)
            return value;
        std::erase_if(points, [&](const Heard &p) {
            return std::abs(value + slope * (p.at - at) - p.source) > 0.005;
        });
    }
    return std::nullopt;
}

struct Pass {
    double overshootMs;
    double landingMs;
    double gapMs;
};

double medianSource(const std::vector<Heard> &moments, std::size_t from, std::size_t to)
{
    std::vector<double> values;
    for (std::size_t k = from; k < to && k < moments.size(); ++k)
        values.push_back(moments[k].source);
    std::sort(values.begin(), values.end());
    return values.empty() ? std::nan("") : values[values.size() / 2];
}

// Finds the wraps in a monitor recording of the loop start..end: where the
// chirp's moment drops by more than a few tenths of a second and stays down.
std::vector<Pass> findWraps(const std::vector<float> &x, double end)
{
    const std::vector<bool> silent = silences(x);
    const std::vector<Heard> moments = heardMoments(x, silent);
    const double window = 0.025 * Rate;
    const double margin = 0.001 * Rate;
    std::vector<Pass> passes;
    for (std::size_t j = 6; j + 6 < moments.size(); ++j) {
        if (moments[j].source > moments[j - 1].source - 0.5
            || medianSource(moments, j, j + 5) > medianSource(moments, j - 5, j) - 0.5)
            continue;
        const double before = moments[j - 1].at;
        const double after = moments[j].at;
        // Where the sound of the lap stops and that of the next starts: the
        // silence between them, or the jump itself.
        double soundEnd = (before + after) / 2;
        double soundStart = soundEnd;
        std::size_t firstSilent = 0, lastSilent = 0;
        bool any = false;
        for (auto n = std::size_t(before); n < std::size_t(after) + 1 && n < x.size(); ++n) {
            if (silent[n]) {
                if (!any)
                    firstSilent = n;
                lastSilent = n;
                any = true;
            }
        }
        if (any) {
            soundEnd = double(firstSilent);
            soundStart = double(lastSilent + 1);
        }
        std::vector<Heard> pre, post;
        for (std::size_t k = j; k-- > 0 && moments[k].at > before - window;) {
            if (moments[k].at < before - margin)
                pre.push_back(moments[k]);
        }
        for (std::size_t k = j; k < moments.size() && moments[k].at < after + window; ++k) {
            if (moments[k].at > after + margin)
                post.push_back(moments[k]);
        }
        const std::optional<double> last = lineAt(pre, soundEnd);
        const std::optional<double> first = lineAt(post, soundStart);
        // A jump that does not come from about the loop end is the setting
        // up of the loop, not a wrap.
        if (last && first && std::abs(*last - end) < 0.5)
            passes.push_back({(*last - end) * 1000.0, (*first - LoopStart) * 1000.0,
                              (soundStart - soundEnd) * 1000.0 / Rate});
        j += 50;
    }
    return passes;
}

void waitFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void setExactLoop(TForm_Main &window, bool on)
{
    auto *command = window.findChild<QAction *>(QStringLiteral("Action_ExactLoop"));
    if (command->isChecked() != on)
        command->trigger();
}

double median(std::vector<double> values)
{
    if (values.empty())
        return std::nan("");
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double furthestFromZero(const std::vector<double> &values)
{
    if (values.empty())
        return std::nan("");
    return *std::max_element(values.begin(), values.end(),
                             [](double a, double b) { return std::abs(a) < std::abs(b); });
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        ::signal(signal, stopServerAndExit);
    if (QStandardPaths::findExecutable(QStringLiteral("pulseaudio")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("parec")).isEmpty()) {
        std::fprintf(stderr, "pulseaudio and parec are needed (pulseaudio, pulseaudio-utils)\n");
        return 1;
    }

    QTemporaryDir dir;
    SoundServer server(dir.path());
    if (!server.isRunning()) {
        std::fprintf(stderr, "the sound server did not start:\n%s\n", qPrintable(server.log()));
        return 1;
    }
    // libmpv's sound output reaches this server only, and starts no other.
    qputenv("PULSE_SERVER", (QStringLiteral("unix:") + server.socket()).toUtf8());
    qputenv("PULSE_CLIENTCONFIG", server.clientConfig().toUtf8());
    qputenv("XDG_RUNTIME_DIR", server.runtimeDir().toUtf8());

    const QString chirp = dir.filePath(QStringLiteral("chirp.wav"));
    if (!writeChirp(chirp)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(chirp));
        return 1;
    }

    MpvPlayer player(QStringLiteral("pulse"));
    QuietDialogs dialogs;
    NoShell shell;
    TForm_MainServices services;
    services.player = &player;
    services.dialogs = &dialogs;
    services.shell = &shell;
    services.programDir = dir.path() + QLatin1Char('/');
    TForm_Main window(services);
    auto *loop = window.findChild<LoopRegion *>();

    window.OpenSourceFile(chirp);
    QElapsedTimer clock;
    clock.start();
    while (player.playState() != MediaPlayer::Playing && clock.elapsed() < 10000)
        waitFor(5);
    if (player.playState() != MediaPlayer::Playing) {
        std::fprintf(stderr, "the chirp does not play\n");
        return 1;
    }

    const char *const modes[] = {"exact", "tick"};
    const double speeds[] = {0.7, 1.0, 1.3};
    int status = 0;
    for (const char *mode : modes) {
        const bool exact = std::string(mode) == "exact";
        for (double speed : speeds) {
            std::vector<double> overshoot, landing, gap;
            for (double end : LoopEnds) {
                loop->setPoints(-1.0, -1.0);
                player.setSpeed(speed);
                setExactLoop(window, exact);
                player.setCurrentPosition(LoopStart - 0.3);
                // Until the output has played what it held before the seek.
                waitFor(400);
                MonitorRecorder recorder(server);
                if (!recorder.waitUntilRecording()) {
                    std::fprintf(stderr, "the sink's monitor cannot be recorded\n");
                    return 1;
                }
                loop->setPoints(LoopStart, end);
                const double lap = (end - LoopStart) / speed;
                waitFor(int((WrapsPerLoop + 0.6) * lap * 1000) + 400);
                const std::vector<float> heard = recorder.stop();
                const std::vector<Pass> passes = findWraps(heard, end);
                for (const Pass &pass : passes) {
                    overshoot.push_back(pass.overshootMs);
                    landing.push_back(pass.landingMs);
                    gap.push_back(pass.gapMs);
                }
            }
            const std::string suffix =
                std::string("_") + mode + "_" + QByteArray::number(speed, 'f', 1).toStdString();
            auto print = [&](const char *name, const std::vector<double> &values) {
                std::printf("%s%s %.1f ms\n", name, suffix.c_str(), median(values));
                std::printf("%s%s_max %.1f ms\n", name, suffix.c_str(), furthestFromZero(values));
            };
            std::printf("heard_passes%s %zu count\n", suffix.c_str(), overshoot.size());
            print("heard_overshoot_ms", overshoot);
            print("heard_landing_ms", landing);
            print("heard_gap_ms", gap);
            std::fflush(stdout);
            if (overshoot.size() < 5)
                status = 1;
        }
    }
    loop->setPoints(-1.0, -1.0);
    player.close();
    return status;
}
