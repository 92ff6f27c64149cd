// Recovery copies of unsaved dictation: what a copy keeps, how copies of
// several programs stay apart, what happens to damaged ones, and when the
// writer writes, deletes and reports.
#include "platform/terminationsignals.h"
#include "recovery/recoverystore.h"
#include "recovery/recoverywriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>

#include <unistd.h>

namespace {

RecoveryEntry sampleEntry(const QString &text)
{
    RecoveryEntry entry;
    entry.documentName = QStringLiteral("/home/learner/听写 1.txt");
    entry.recording = QStringLiteral("/home/learner/lesson 3.mp3");
    entry.encoding = RecoveryEntry::Utf8;
    entry.time = QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9, 250));
    entry.text = text;
    return entry;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void putBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// Awkward texts and names survive a write and a later program's list() unchanged.
TEST(RecoveryStore, CopiesRoundTripExactly)
{
    QString binaryish;
    for (char16_t c = 1; c < 0x250; ++c)
        binaryish += QChar(c);
    const QString loneSurrogate =
        QStringLiteral("a") + QChar(char16_t(0xD800)) + QStringLiteral("b");
    const struct {
        const char *name;
        QString text;
        QString documentName;
        QString encoding;
    } cases[] = {
        {"empty", QString(), QString(), QString(RecoveryEntry::Utf8)},
        {"header lines", QStringLiteral("Quillmar recovery copy 1\ntext-bytes=3\n\ndocument=x\n\n"),
         QStringLiteral("a=b\nc\\n.txt"), QString(RecoveryEntry::Utf8)},
        {"crlf", QStringLiteral("one\r\ntwo\r\n\r\nthree\r"), QStringLiteral("C:\\笔记\\a.txt"),
         QString(RecoveryEntry::Gb18030)},
        {"control characters", binaryish, QStringLiteral("x"), QString(RecoveryEntry::Utf8)},
        {"chinese", QStringLiteral("今天天气很好。\r\n我们去公园吧！𠀀"), QString(),
         QString(RecoveryEntry::Gb18030)},
        {"unpaired surrogate", loneSurrogate, QString(), QString(RecoveryEntry::Utf8)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        RecoveryEntry written = sampleEntry(c.text);
        written.documentName = c.documentName;
        written.encoding = c.encoding;
        {
            RecoveryStore store(dir.path());
            ASSERT_TRUE(store.write(written));
        }
        const RecoveryListResult found = RecoveryStore(dir.path()).list();
        ASSERT_EQ(found.entries.size(), 1);
        EXPECT_TRUE(found.damaged.isEmpty());
        RecoveryEntry read = found.entries.first();
        EXPECT_FALSE(read.path.isEmpty());
        read.path.clear();
        EXPECT_EQ(read, written);
    }
}

// What the copy was based on comes back as written: the restore question
// depends on it.
TEST(RecoveryStore, TheFileACopyWasBasedOnRoundTrips)
{
    const QDateTime modified(QDate(2024, 3, 5), QTime(13, 0, 1, 999), Qt::UTC);
    const struct {
        const char *name;
        bool known, exists;
        qint64 size;
    } cases[] = {
        {"earlier version", false, false, -1},
        {"no file yet", true, false, -1},
        {"file", true, true, 1234},
        {"empty file", true, true, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        RecoveryEntry written = sampleEntry(QStringLiteral("text"));
        written.baseKnown = c.known;
        written.baseExists = c.exists;
        written.baseSize = c.size;
        written.baseModified = c.exists ? modified : QDateTime();
        const std::optional<RecoveryEntry> read = decodeRecoveryCopy(encodeRecoveryCopy(written));
        ASSERT_TRUE(read);
        EXPECT_EQ(*read, written);
    }
}

// Two programs keep their own files; a running program's copy is not
// offered to another, an ended program's copy is (also after a crash).
TEST(RecoveryStore, ProgramsKeepSeparateCopies)
{
    QTemporaryDir dir;
    RecoveryStore first(dir.path());
    auto second = std::make_unique<RecoveryStore>(dir.path());
    EXPECT_NE(first.ownFilePath(), second->ownFilePath());
    ASSERT_TRUE(first.write(sampleEntry(QStringLiteral("first"))));
    ASSERT_TRUE(second->write(sampleEntry(QStringLiteral("second"))));
    EXPECT_EQ(fileBytes(first.ownFilePath()),
              encodeRecoveryCopy(sampleEntry(QStringLiteral("first"))));
    EXPECT_TRUE(first.list().entries.isEmpty());

    const QString secondPath = second->ownFilePath();
    second.reset();
    RecoveryListResult found = first.list();
    ASSERT_EQ(found.entries.size(), 1);
    EXPECT_EQ(found.entries.first().path, secondPath);
    EXPECT_EQ(found.entries.first().text, QStringLiteral("second"));

    // A crashed program leaves its lock; its process is gone.
    RecoveryEntry crashed = sampleEntry(QStringLiteral("crashed"));
    crashed.time = crashed.time.addSecs(60);
    const QString crashedPath = dir.filePath(QStringLiteral("quillmar-1-0.recovery"));
    putBytes(crashedPath, encodeRecoveryCopy(crashed));
    putBytes(crashedPath + QStringLiteral(".lock"), "999999999\nquillmar\n\n");
    found = first.list();
    ASSERT_EQ(found.entries.size(), 2);
    EXPECT_EQ(found.entries[0].path, crashedPath); // newest first
    EXPECT_EQ(found.entries[1].path, secondPath);

    EXPECT_TRUE(first.remove(found.entries[0]));
    EXPECT_EQ(first.list().entries.size(), 1);
}

// Damaged copies are moved aside with their bytes and reported once.
TEST(RecoveryStore, DamagedCopiesAreMovedAsideAndReportedOnce)
{
    const QByteArray good = encodeRecoveryCopy(sampleEntry(QStringLiteral("some text")));
    QByteArray altered = good;
    altered[altered.size() - 2] = 'X';
    const struct {
        const char *name;
        QByteArray bytes;
    } cases[] = {
        {"empty", QByteArray()},
        {"garbage", QByteArray("\x7f"
                               "ELF\x01\x02",
                               6)},
        {"truncated", good.chopped(3)},
        {"truncated header", good.left(40)},
        {"extra bytes", good + "tail"},
        {"altered text", altered},
        {"unknown encoding", QByteArray(good).replace("encoding=utf-8", "encoding=latin9")},
        {"bad escape", QByteArray(good).replace("document=", "document=\\q")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("quillmar-1-0.recovery"));
        putBytes(path, c.bytes);
        RecoveryStore store(dir.path());
        const RecoveryListResult found = store.list();
        EXPECT_TRUE(found.entries.isEmpty());
        ASSERT_EQ(found.damaged, QStringList{path + QStringLiteral(".damaged")});
        EXPECT_FALSE(QFileInfo::exists(path));
        EXPECT_EQ(fileBytes(found.damaged.first()), c.bytes);
        EXPECT_TRUE(store.list().damaged.isEmpty());
    }
}

TEST(RecoveryStore, ListTextNamesDocumentRecordingAndTime)
{
    RecoveryEntry unnamed = sampleEntry(QString());
    unnamed.documentName.clear();
    unnamed.recording.clear();
    EXPECT_EQ(recoveryListText({sampleEntry(QString()), unnamed}),
              QStringLiteral("听写 1.txt，lesson 3.mp3，2024-03-05 14:07:09\n"
                             "未命名，无录音，2024-03-05 14:07:09"));
}

struct WriterHarness {
    explicit WriterHarness(const QString &folder, RecoveryWriter::Timing timing)
        : writer(std::make_shared<RecoveryStore>(folder))
    {
        writer.setTiming(timing);
        writer.setSnapshotSource([this] {
            ++snapshots;
            return current;
        });
    }
    QString copyPath() const { return writer.store().ownFilePath(); }

    RecoveryEntry current = sampleEntry(QStringLiteral("line 1\r\n"));
    int snapshots = 0;
    RecoveryWriter writer;
    QSignalSpy written{&writer, &RecoveryWriter::copyWritten};
    QSignalSpy failed{&writer, &RecoveryWriter::writeFailed};
};

// A burst of changes gives one write, of the state after the last change.
TEST(RecoveryWriter, BurstOfChangesGivesOneWrite)
{
    QTemporaryDir dir;
    WriterHarness h(dir.path(), {50, 20, 5000});
    for (int i = 0; i < 30; ++i) {
        h.current.text += QStringLiteral("line %1\r\n").arg(i);
        h.writer.documentChanged();
    }
    QTRY_COMPARE_WITH_TIMEOUT(h.written.count(), 1, 5000);
    EXPECT_FALSE(h.writer.isPending());
    EXPECT_EQ(h.snapshots, 1);
    EXPECT_EQ(decodeRecoveryCopy(fileBytes(h.copyPath()))->text, h.current.text);
}

// Steady typing with no pause still gets written.
TEST(RecoveryWriter, SteadyTypingIsWrittenWithinTheLongestDelay)
{
    QTemporaryDir dir;
    WriterHarness h(dir.path(), {400, 20, 100});
    QTimer typing;
    QObject::connect(&typing, &QTimer::timeout, &h.writer, [&h] {
        h.current.text += QLatin1Char('x');
        h.writer.documentChanged();
    });
    typing.start(5);
    QTRY_VERIFY_WITH_TIMEOUT(h.written.count() >= 2, 5000);
    EXPECT_TRUE(typing.isActive());
}

// discard() before or during a write leaves no copy behind.
TEST(RecoveryWriter, DiscardLeavesNothing)
{
    for (const int textBytes : {10, 4 << 20}) {
        SCOPED_TRACE(textBytes);
        QTemporaryDir dir;
        WriterHarness h(dir.path(), {0, 0, 0});
        ASSERT_TRUE(h.writer.store().write(h.current)); // an earlier copy
        h.current.text = QString(textBytes, QLatin1Char('a'));
        h.writer.documentChanged();
        QTRY_COMPARE_WITH_TIMEOUT(h.snapshots, 1, 5000); // the write is under way
        h.writer.discard();
        QTRY_VERIFY_WITH_TIMEOUT(!h.writer.isPending(), 5000);
        EXPECT_FALSE(QFileInfo::exists(h.copyPath()));

        h.writer.documentChanged();
        h.writer.discard();
        EXPECT_FALSE(h.writer.isPending());
        EXPECT_FALSE(QFileInfo::exists(h.copyPath()));
    }
}

// A folder that cannot be written is reported once; the writer carries on.
TEST(RecoveryWriter, WriteFailureIsReportedOnce)
{
    QTemporaryDir dir;
    // Under a regular file, so that the failure is real for root too.
    putBytes(dir.filePath(QStringLiteral("plain")), "x");
    WriterHarness h(dir.filePath(QStringLiteral("plain/recovery")), {0, 0, 0});
    h.writer.documentChanged();
    QTRY_COMPARE_WITH_TIMEOUT(h.failed.count(), 1, 5000);
    EXPECT_FALSE(h.failed.first().first().toString().isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(!h.writer.isPending(), 5000);
    h.writer.documentChanged();
    EXPECT_FALSE(h.writer.flushNow());
    EXPECT_EQ(h.failed.count(), 1);
    EXPECT_EQ(h.written.count(), 0);
}

// flushNow() writes at once; adopt() deletes a restored copy only once the
// document's own copy is on disk.
TEST(RecoveryWriter, FlushAndAdopt)
{
    QTemporaryDir dir;
    WriterHarness h(dir.path(), {60000, 0, 60000});
    RecoveryEntry old = sampleEntry(QStringLiteral("restored"));
    old.path = dir.filePath(QStringLiteral("quillmar-1-0.recovery"));
    putBytes(old.path, encodeRecoveryCopy(old));
    h.current = old;
    EXPECT_TRUE(h.writer.adopt(old));
    EXPECT_FALSE(QFileInfo::exists(old.path));
    EXPECT_EQ(decodeRecoveryCopy(fileBytes(h.copyPath()))->text, QStringLiteral("restored"));

    h.current.text += QStringLiteral("one more line\r\n");
    h.writer.documentChanged();
    EXPECT_TRUE(h.writer.flushNow());
    EXPECT_FALSE(h.writer.isPending());
    EXPECT_EQ(decodeRecoveryCopy(fileBytes(h.copyPath()))->text, h.current.text);
}

TEST(TerminationSignals, SignalReachesTheEventLoop)
{
    for (const int signal : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        TerminationSignals termination;
        ASSERT_TRUE(termination.isActive());
        QSignalSpy spy(&termination, &TerminationSignals::terminationRequested);
        ASSERT_EQ(::kill(::getpid(), signal), 0);
        ASSERT_TRUE(spy.count() == 1 || spy.wait(5000));
        EXPECT_EQ(spy.first().first().toInt(), signal);
    }
}

} // namespace
