// The recovery copy of a 1 MB document: how long one write takes (on the
// worker, it includes the checksum and the sync to disk), and the longest the
// event loop stands still while "typing" goes on and copies are written.
// Prints "name value unit" lines; the write time is a median. On a busy
// machine the wall-clock gaps include time the GUI thread waited for a core,
// so the thread's own CPU time per gap is printed beside them, and the same
// typing without copies is measured first for comparison. Last, how long an
// applied line takes from Enter to a copy on disk that holds it, with the
// writer's own timing (median, and the slowest of the runs, some of which
// find a write of the line before still under way).
#include "recovery/recoverystore.h"
#include "recovery/recoverywriter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

#include <time.h>

namespace {

constexpr int WriteRuns = 15;
constexpr int TypingMs = 3000;

QString documentText()
{
    QString text;
    for (int n = 1; text.size() < 625000; ++n)
        text +=
            QStringLiteral("第 %1 句：我听到的句子写在这里，the learner types it in.\r\n").arg(n);
    return text; // about 1 MB as UTF-8
}

qint64 threadCpuNs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

struct Gaps {
    double wallMs = 0;
    double cpuMs = 0;
    int writes = 0;
};

// Appends a line every 4 ms for TypingMs while a 1 ms ticker records the
// longest gap between its ticks; `writer` (if any) is told of every change.
Gaps type(QCoreApplication &app, RecoveryEntry &entry, RecoveryWriter *writer)
{
    Gaps gaps;
    if (writer)
        QObject::connect(writer, &RecoveryWriter::copyWritten, &app, [&gaps] { ++gaps.writes; });
    QTimer typing;
    typing.setTimerType(Qt::PreciseTimer);
    int line = 0;
    QObject::connect(&typing, &QTimer::timeout, &app, [&] {
        entry.text += QStringLiteral("新的一行 %1\r\n").arg(++line);
        if (writer)
            writer->documentChanged();
    });
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QElapsedTimer clock;
    qint64 lastWall = -1;
    qint64 lastCpu = 0;
    qint64 longestWall = 0;
    qint64 longestCpu = 0;
    QObject::connect(&ticker, &QTimer::timeout, &app, [&] {
        const qint64 wall = clock.nsecsElapsed();
        const qint64 cpu = threadCpuNs();
        if (lastWall >= 0) {
            longestWall = std::max(longestWall, wall - lastWall);
            longestCpu = std::max(longestCpu, cpu - lastCpu);
        }
        lastWall = wall;
        lastCpu = cpu;
    });
    QTimer::singleShot(TypingMs, &app, &QCoreApplication::quit);
    clock.start();
    typing.start(4);
    ticker.start(1);
    app.exec();
    gaps.wallMs = double(longestWall) / 1e6;
    gaps.cpuMs = double(longestCpu) / 1e6;
    return gaps;
}

// Enter to the copy holding the line on disk, in ms; -1 when it never got there.
double appliedLineDurable(QCoreApplication &app, RecoveryEntry &entry, RecoveryWriter &writer,
                          int line, bool rightAfterAnother)
{
    if (rightAfterAnother) {
        entry.text += QStringLiteral("上一句 %1\r\n").arg(line);
        writer.writeSoon(); // still being written when the next line comes
    }
    const QString text = QStringLiteral("第 %1 句听写的内容。\r\n").arg(line);
    QElapsedTimer clock;
    clock.start();
    entry.text += text;
    writer.writeSoon();
    double elapsed = -1;
    QMetaObject::Connection done =
        QObject::connect(&writer, &RecoveryWriter::copyWritten, &app, [&] {
            QFile file(writer.store().ownFilePath());
            if (!file.open(QIODevice::ReadOnly))
                return;
            const std::optional<RecoveryEntry> copy = decodeRecoveryCopy(file.readAll());
            if (copy && copy->text.endsWith(text)) {
                elapsed = double(clock.nsecsElapsed()) / 1e6;
                app.quit();
            }
        });
    QTimer::singleShot(5000, &app, &QCoreApplication::quit);
    app.exec();
    QObject::disconnect(done);
    return elapsed;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    RecoveryEntry entry;
    entry.documentName = dir.filePath(QStringLiteral("dictation.txt"));
    entry.recording = dir.filePath(QStringLiteral("lesson.mp3"));
    entry.encoding = RecoveryEntry::Utf8;
    entry.time = QDateTime::currentDateTime();
    entry.text = documentText();

    auto store = std::make_shared<RecoveryStore>(dir.path());
    std::vector<double> times;
    for (int i = 0; i < WriteRuns; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (!store->write(entry))
            return 1;
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::printf("recovery_copy_bytes %lld bytes\n",
                static_cast<long long>(encodeRecoveryCopy(entry).size()));
    std::printf("recovery_write_ms %.2f ms\n", times[times.size() / 2]);

    const QString original = entry.text;
    const Gaps without = type(app, entry, nullptr);

    // Short delays, so that many copies are written while the lines come in.
    entry.text = original;
    RecoveryWriter writer(store);
    writer.setTiming({30, 30, 60});
    writer.setSnapshotSource([&entry] {
        entry.time = QDateTime::currentDateTime();
        return entry;
    });
    const Gaps with = type(app, entry, &writer);
    writer.discard();

    std::printf("event_loop_blocked_max_ms_without_copies %.2f ms\n", without.wallMs);
    std::printf("event_loop_busy_max_ms_without_copies %.2f ms\n", without.cpuMs);
    std::printf("recovery_writes_while_typing %d count\n", with.writes);
    std::printf("event_loop_blocked_max_ms %.2f ms\n", with.wallMs);
    std::printf("event_loop_busy_max_ms %.2f ms\n", with.cpuMs);

    RecoveryWriter applying(store);
    applying.setSnapshotSource([&entry] {
        entry.time = QDateTime::currentDateTime();
        return entry;
    });
    std::vector<double> durable;
    for (int run = 0; run < WriteRuns; ++run) {
        const double ms = appliedLineDurable(app, entry, applying, run, run % 2 == 1);
        if (ms < 0)
            return 1;
        durable.push_back(ms);
    }
    applying.discard();
    std::sort(durable.begin(), durable.end());
    std::printf("applied_line_durable_ms %.2f ms\n", durable[durable.size() / 2]);
    std::printf("applied_line_durable_max_ms %.2f ms\n", durable.back());
    return 0;
}
