// What a careful tester broke, case by case: a stale recovery copy over newer
// saved work, an applied line lost to a kill, a settings file that cannot be
// written, places and preferences that do not fit, odd and huge subtitle
// files, huge and piling damaged copies, and failures that said too little.
#include "support/filesizelimit.h"
#include "support/testutil.h"
#include "support/tonewav.h"

#include "platform/filereason.h"
#include "playback/resumestore.h"
#include "recovery/recoverystore.h"
#include "recovery/recoverywriter.h"
#include "sentences/sentenceanalysis.h"
#include "sentences/subtitles.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>

#include <sys/resource.h>

namespace {

using Button = Dialogs::Button;

struct Window : WindowHarness {
    explicit Window(bool now = true) : WindowHarness(true)
    {
        if (now)
            create();
    }
    void create()
    {
        WindowHarness::create();
        TOptionFlags options;
        settings().setOptions(options);
        w().setWait([](int) {});
    }
    void apply(const QString &text)
    {
        widget<QLineEdit>("LabeledEdit_Dictation")->setText(text);
        clickApply();
    }
    QString recoveryFolder() const { return path(QStringLiteral("recovery")); }
    QString statusText() { return w().statusBar()->currentMessage(); }
};

void setModified(const QString &path, const QDateTime &time)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::Append));
    ASSERT_TRUE(file.setFileTime(time, QFileDevice::FileModificationTime));
}

// --- 1. A stale copy never replaces newer work ----------------------------

TEST(StaleCopy, NeverSilentlyReplacesAFileWrittenAfterIt)
{
    const QString copyText = QStringLiteral("听写记录\r\n\r\nfirst line\r\n\r\n");
    const QByteArray savedLater = "听写记录\r\n\r\nsecond line\r\n\r\n\r\nthird\r\n";
    enum class Then { Nothing, SavedAfter, Deleted, ChangedBefore };
    const struct {
        const char *name;
        Then then;
        bool baseKnown;   // a copy of this version, not an earlier one
        bool separate;    // restored as a new unnamed document
        const char *says; // in the question; empty: nothing about the file
    } cases[] = {
        {"file unchanged since", Then::Nothing, true, false, ""},
        {"file saved after the copy", Then::SavedAfter, true, true,
         "文件比副本新（文件 6 行，副本 4 行）"},
        {"earlier copy, file saved after it", Then::SavedAfter, false, true,
         "文件比副本新（文件 6 行，副本 4 行）"},
        {"earlier copy, file older than it", Then::Nothing, false, false, ""},
        {"file deleted since", Then::Deleted, true, false, ""},
        {"file changed by another program before the copy", Then::ChangedBefore, true, true,
         "副本比文件新（副本 4 行，文件 6 行）"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Window h;
        const QString recording = h.writeFile(QStringLiteral("a.mp3"), "RIFF");
        const QString document = h.writeFile(QStringLiteral("a.txt"), "听写记录\r\n");
        const QDateTime loaded = QDateTime::currentDateTimeUtc().addSecs(-600);
        setModified(document, loaded);
        const FileStamp base = FileStamp::of(document);

        RecoveryEntry copy;
        copy.documentName = document;
        copy.recording = recording;
        copy.encoding = RecoveryEntry::Utf8;
        copy.time = loaded.addSecs(120);
        copy.text = copyText;
        copy.baseKnown = c.baseKnown;
        copy.baseExists = base.exists;
        copy.baseSize = base.size;
        copy.baseModified = base.modified;
        ASSERT_TRUE(RecoveryStore(h.recoveryFolder()).write(copy));

        if (c.then == Then::SavedAfter || c.then == Then::ChangedBefore) {
            putFile(document, savedLater);
            setModified(document,
                        c.then == Then::SavedAfter ? copy.time.addSecs(60) : loaded.addSecs(60));
        } else if (c.then == Then::Deleted) {
            ASSERT_TRUE(QFile::remove(document));
        }
        const QByteArray fileBefore = readAll(document);

        h.dialogs.answers.enqueue(Button::Yes);
        h.w().OfferRecovery();
        ASSERT_FALSE(h.dialogs.messages.isEmpty());
        const QString question = h.dialogs.messages.first().text;
        if (*c.says)
            EXPECT_TRUE(question.contains(QString::fromUtf8(c.says))) << question.toStdString();
        else
            EXPECT_FALSE(question.contains(QStringLiteral("副本新"))) << question.toStdString();
        EXPECT_EQ(h.doc().text(), copyText);
        EXPECT_TRUE(h.doc().isModified());
        EXPECT_EQ(h.doc().fileName(), c.separate ? QString() : document);

        // Saving never writes the copy over the newer file unasked.
        h.dialogs.clear();
        h.action(QStringLiteral("Action_SaveDictationFile"))->trigger();
        if (c.separate) {
            EXPECT_EQ(h.dialogs.fileDialogs.size(), 1);
            EXPECT_EQ(readAll(document), fileBefore);
        } else {
            EXPECT_EQ(readAll(document), copyText.toUtf8());
        }
    }
}

// --- 2. An applied line is in the copy at once ----------------------------

TEST(AppliedLine, IsInTheCopyWithoutWaitingForTheQuietTime)
{
    Window h;
    auto *writer = h.w().findChild<RecoveryWriter *>();
    ASSERT_TRUE(writer);
    // Far longer than the test waits: only the apply itself can write it.
    writer->setTiming({600000, 600000, 600000});
    h.openPlaying(QStringLiteral("a.mp3"));
    h.apply(QStringLiteral("the applied line"));
    const QString copy = writer->store().ownFilePath();
    EXPECT_TRUE(QTest::qWaitFor([&] { return readAll(copy).contains("the applied line"); }, 20000));
}

// --- 5. A settings file that cannot be written stops nothing -------------

TEST(UnwritableSettings, RecordingsOpenAsUsualAndTheReasonIsSaidOnce)
{
    enum class Way { FolderInItsPlace, FileSizeLimit };
    for (const Way way : {Way::FolderInItsPlace, Way::FileSizeLimit}) {
        SCOPED_TRACE(way == Way::FolderInItsPlace ? "a folder in its place" : "no room to grow");
        Window h(false);
        std::unique_ptr<FileSizeLimit> limit;
        if (way == Way::FolderInItsPlace) {
            ASSERT_TRUE(QDir().mkpath(h.iniPath()));
        } else {
            h.writeFile(h.iniPath(), defaultOptionsPart());
            limit = std::make_unique<FileSizeLimit>(64);
        }
        h.create();
        h.openPlaying(QStringLiteral("lesson.mp3"));
        h.action(QStringLiteral("Action_VolumeUp"))->trigger();
        h.action(QStringLiteral("Action_SpeedUp"))->trigger();
        h.action(QStringLiteral("Action_VolumeDown"))->trigger();
        FakePlayer::flushEvents();
        limit.reset();

        EXPECT_TRUE(h.doc().isOpen());
        EXPECT_TRUE(h.doc().text().startsWith(QStringLiteral("听写记录")));
        EXPECT_TRUE(h.widget<QLineEdit>("LabeledEdit_Dictation")->isEnabled());
        EXPECT_EQ(h.recent().list().first(), h.path(QStringLiteral("lesson.mp3")));
        ASSERT_EQ(h.dialogs.messages.size(), 1)
            << h.dialogs.messageTexts().join(u'|').toStdString();
        const FakeDialogs::Message &m = h.dialogs.messages.first();
        EXPECT_EQ(m.caption, QStringLiteral("系统提示"));
        EXPECT_TRUE(m.text.startsWith(QStringLiteral("设置和最近播放列表无法保存")));
        EXPECT_TRUE(m.text.contains(h.iniPath())) << m.text.toStdString();
        EXPECT_FALSE(m.text.contains(QStringLiteral("Unable"))) << m.text.toStdString();
    }
}

// --- 6. A resumed place that does not fit the recording ------------------

TEST(ResumedPlace, WhatDoesNotFitTheLengthIsDropped)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        const char *name;
        ResumePoint stored;
        double length;
        ResumePoint expected;
    } cases[] = {
        {"fits", {10.0, 20.0, 15.0}, 22.0, {10.0, 20.0, 15.0}},
        {"loop past the end of a shorter file", {100.0, 200.0, 150.0}, 22.0, {-1.0, -1.0, 0.0}},
        {"only the end past it", {10.0, 30.0, 12.0}, 22.0, {10.0, -1.0, 12.0}},
        {"start only, past it", {40.0, -1.0, 0.0}, 22.0, {-1.0, -1.0, 0.0}},
        {"not numbers", {nan, nan, nan}, 22.0, {-1.0, -1.0, 0.0}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir shared;
        const QString state = shared.filePath(QStringLiteral("resume.json"));
        Window h(false);
        h.resumeFile = state;
        h.create();
        const QString recording = h.writeFile(QStringLiteral("talk.mp3"), "RIFF");
        ASSERT_TRUE(ResumeStore(state).remember(recording, c.stored));
        h.openPlaying(QStringLiteral("talk.mp3"), c.length);
        EXPECT_DOUBLE_EQ(h.loop().start(), c.expected.loopStart);
        EXPECT_DOUBLE_EQ(h.loop().end(), c.expected.loopEnd);
        const double position = c.expected.position > 0 ? c.expected.position : 0.0;
        EXPECT_DOUBLE_EQ(h.player.position, position);
    }
}

// --- 11. Preferences out of range -----------------------------------------

TEST(Preferences, AValueThatIsNoNumberInRangeIsTheDefault)
{
    const struct {
        const char *line;
        double speed;
        int volume;
    } cases[] = {
        {"Volume=-5", 1.0, 100}, {"Volume=101", 1.0, 100}, {"Volume=loud", 1.0, 100},
        {"Volume=40", 1.0, 40},  {"Volume=0", 1.0, 0},     {"Speed=nan", 1.0, 100},
        {"Speed=inf", 1.0, 100}, {"Speed=-inf", 1.0, 100}, {"Speed=3", 1.0, 100},
        {"Speed=0.1", 1.0, 100}, {"Speed=0.7", 0.7, 100},  {"Speed=1.5", 1.5, 100},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.line);
        Window h(false);
        h.writeFile(h.iniPath(), defaultOptionsPart() + "[Preferences]\r\n" + c.line + "\r\n");
        h.create();
        EXPECT_NEAR(h.player.speedFactor, c.speed, 1e-9);
        EXPECT_EQ(h.player.volumePercent, c.volume);
    }
}

// --- 10. Failures say where and why --------------------------------------

TEST(SaveFailure, TheStatusBarNamesTheFileAndTheReason)
{
    const struct {
        const char *name;
        const char *reason;
    } cases[] = {
        {"no room to grow", "文件太大"},
        {"folder gone", "文件夹不存在"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Window h;
        const bool gone = QByteArray(c.name) == "folder gone";
        const QString document =
            h.path(gone ? QStringLiteral("gone/lesson.txt") : QStringLiteral("lesson.txt"));
        h.w().OpenDictationFile(document);
        h.apply(QString(4096, QLatin1Char('x')));
        {
            std::unique_ptr<FileSizeLimit> limit;
            if (!gone)
                limit = std::make_unique<FileSizeLimit>(1024);
            h.action(QStringLiteral("Action_SaveDictationFile"))->trigger();
        }
        EXPECT_EQ(h.dialogs.messageTexts(), QStringList{QStringLiteral("保存时发生错误！")});
        const QString status = h.statusText();
        EXPECT_TRUE(status.contains(document)) << status.toStdString();
        EXPECT_TRUE(status.contains(QString::fromUtf8(c.reason))) << status.toStdString();
        EXPECT_TRUE(h.doc().isModified());
    }
}

// The reasons a learner reads, from the errno or from the system's text for it.
TEST(SaveFailure, ReasonsAreNamedInTheLearnersWords)
{
    const struct {
        int code;
        FileUse use;
        const char *reason;
    } cases[] = {
        {ENOSPC, FileUse::Write, "磁盘已满"},         {EDQUOT, FileUse::Write, "超出了磁盘配额"},
        {EACCES, FileUse::Write, "没有写入权限"},     {EACCES, FileUse::Read, "没有读取权限"},
        {EROFS, FileUse::Write, "磁盘是只读的"},      {ENOENT, FileUse::Write, "文件夹不存在"},
        {ENOENT, FileUse::Read, "文件不存在"},        {EFBIG, FileUse::Write, "文件太大"},
        {ENAMETOOLONG, FileUse::Write, "文件名太长"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.reason);
        const QString expected = QString::fromUtf8(c.reason);
        EXPECT_EQ(fileErrorReason(c.code, QString(), c.use), expected);
        // errno was lost on the way: the system's text still tells.
        EXPECT_EQ(fileErrorReason(0, QString::fromLocal8Bit(std::strerror(c.code)), c.use),
                  expected);
    }
    EXPECT_EQ(fileErrorReason(0, QStringLiteral("Unknown error")), QStringLiteral("原因不明"));
    EXPECT_EQ(fileErrorReason(0, QStringLiteral("odd")), QStringLiteral("odd"));
}

TEST(RecoveryFailure, StaysInTheStatusBarUntilCopiesWorkAgain)
{
    Window h(false);
    // A file where the folder should be: no copy can be written.
    putFile(h.recoveryFolder(), "in the way");
    h.create();
    h.openPlaying(QStringLiteral("a.mp3"));
    h.apply(QStringLiteral("one line"));
    auto *warning = h.widget<QLabel>("RecoveryWarning");
    ASSERT_TRUE(warning);
    EXPECT_TRUE(QTest::qWaitFor([&] { return warning->isVisibleTo(&h.w()); }, 20000));
    // A sign, not an empty label.
    EXPECT_FALSE(warning->pixmap().isNull());
    EXPECT_TRUE(warning->toolTip().contains(h.recoveryFolder()))
        << warning->toolTip().toStdString();
    // Other messages come and go; the sign stays.
    h.w().statusBar()->showMessage(QStringLiteral("something else"));
    h.apply(QStringLiteral("another line"));
    EXPECT_TRUE(warning->isVisibleTo(&h.w()));

    ASSERT_TRUE(QFile::remove(h.recoveryFolder()));
    h.apply(QStringLiteral("a third line"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !warning->isVisibleTo(&h.w()); }, 20000));
}

// --- 7. Huge and piling damaged copies ------------------------------------

long peakMemoryKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST(RecoveryFolder, AHugeFileIsNeverReadAndDamagedCopiesDoNotPileUp)
{
    QTemporaryDir dir;
    // Older damaged copies, oldest first.
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (int i = 0; i < 8; ++i) {
        const QString old = dir.filePath(QStringLiteral("quillmar-%1-0.recovery.damaged").arg(i));
        putFile(old, "old");
        setModified(old, now.addDays(-10 + i));
    }
    // A header that promises 600 MB of text, and the 600 MB (sparse, no disk).
    RecoveryEntry entry;
    entry.encoding = RecoveryEntry::Utf8;
    entry.time = now;
    QByteArray header = encodeRecoveryCopy(entry);
    const qint64 size = 600LL << 20;
    // Nine digits for the one: the header grows by eight bytes.
    header.replace("text-bytes=0", "text-bytes=" + QByteArray::number(size - header.size() - 8));
    const QString huge = dir.filePath(QStringLiteral("quillmar-99-0.recovery"));
    putFile(huge, header);
    {
        QFile file(huge);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.resize(size));
    }

    const long before = peakMemoryKb();
    const RecoveryListResult found = RecoveryStore(dir.path()).list();
    EXPECT_LT(peakMemoryKb() - before, 100L * 1024);
    EXPECT_TRUE(found.entries.isEmpty());
    EXPECT_EQ(found.damaged, QStringList{huge + QStringLiteral(".damaged")});

    const QStringList kept =
        QDir(dir.path()).entryList({QStringLiteral("*.damaged")}, QDir::Files, QDir::Time);
    ASSERT_EQ(kept.size(), RecoveryStore::KeptDamagedCopies);
    EXPECT_EQ(kept.first(), QFileInfo(huge).fileName() + QStringLiteral(".damaged"));
    EXPECT_EQ(kept.last(), QStringLiteral("quillmar-4-0.recovery.damaged"));
}

// --- 3, 8, 9. Subtitles ----------------------------------------------------

QByteArray encoded(QStringConverter::Encoding encoding, const char *utf8)
{
    QStringEncoder encoder(encoding);
    return encoder.encode(QString::fromUtf8(utf8));
}

TEST(OddSubtitles, GiveTheirCues)
{
    const char *srt = "1\r\n00:00:01,000 --> 00:00:02,000\r\n你好\r\n\r\n"
                      "2\r\n00:00:03,000 --> 00:00:04,000\r\nbye\r\n";
    const struct {
        const char *name;
        SubtitleFormat format;
        QByteArray bytes;
        QList<Sentence> expected;
        int merged;
        int dropped;
    } cases[] = {
        {"two cues with the same start",
         SubtitleFormat::Srt,
         "1\n00:00:01,000 --> 00:00:02,000\nAnna: hi\n\n2\n00:00:01,000 --> 00:00:02,500\nBen: "
         "hello\n\n3\n00:00:04,000 --> 00:00:05,000\nnext\n",
         {{1.0, 2.5, "Anna: hi Ben: hello"}, {4.0, 5.0, "next"}},
         1,
         0},
        {"lyrics under one stamp",
         SubtitleFormat::Lrc,
         "[00:01.00]one\n[00:01.00]two\n[00:01.00]one\n[00:03.00]three\n",
         {{1.0, 3.0, "one two"}, {3.0, 10.0, "three"}},
         2,
         0},
        {"a cue past the end counted",
         SubtitleFormat::Srt,
         "1\n00:00:01,000 --> 00:00:02,000\na\n\n2\n00:00:30,000 --> 00:00:31,000\nb\n",
         {{1.0, 2.0, "a"}},
         0,
         1},
        {"UTF-16 LE without BOM",
         SubtitleFormat::Srt,
         encoded(QStringConverter::Utf16LE, srt),
         {{1.0, 2.0, QString::fromUtf8("你好")}, {3.0, 4.0, "bye"}},
         0,
         0},
        {"UTF-16 BE without BOM",
         SubtitleFormat::Srt,
         encoded(QStringConverter::Utf16BE, srt),
         {{1.0, 2.0, QString::fromUtf8("你好")}, {3.0, 4.0, "bye"}},
         0,
         0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const SubtitleCues got = parseSubtitles(c.bytes, c.format, 10.0);
        EXPECT_EQ(got.merged, c.merged);
        EXPECT_EQ(got.dropped, c.dropped);
        ASSERT_EQ(got.cues.size(), c.expected.size());
        for (qsizetype i = 0; i < got.cues.size(); ++i) {
            EXPECT_NEAR(got.cues[i].start, c.expected[i].start, 1e-9) << i;
            EXPECT_NEAR(got.cues[i].end, c.expected[i].end, 1e-9) << i;
            EXPECT_EQ(got.cues[i].text, c.expected[i].text) << i;
        }
    }
}

TEST(OddSubtitles, ParsingStopsWhenTheAnalysisIsCancelled)
{
    QByteArray srt;
    for (int i = 0; i < 20000; ++i)
        srt += "\n\n\n" + QByteArray::number(i) + "\n00:00:01,000 --> 00:00:02,000\ntext\n";
    QByteArray lrc = QByteArray("[00:01.00]la\n").repeated(20000);
    for (const auto &[format, bytes] :
         {std::pair{SubtitleFormat::Srt, srt}, std::pair{SubtitleFormat::Lrc, lrc}}) {
        int polls = 0;
        const SubtitleCues got = parseSubtitles(bytes, format, 10.0, [&polls] {
            ++polls;
            return true;
        });
        EXPECT_TRUE(got.cancelled);
        EXPECT_EQ(polls, 1);
        EXPECT_TRUE(got.cues.isEmpty());
    }
}

// Two recordings with slow subtitle files, each left for the next while its
// file is being parsed: the third recording's sentences do not wait for them.
TEST(OddSubtitles, SlowFilesDoNotHoldUpTheNextRecording)
{
    QTemporaryDir dir;
    const QByteArray slow = QByteArray("[00:00.50]la\n").repeated(100000);
    QStringList recordings;
    for (const QString &name : {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}) {
        recordings.append(dir.filePath(name + QStringLiteral(".wav")));
        ASSERT_TRUE(writeToneWav(recordings.last(), 1.0));
        if (name != QStringLiteral("c"))
            putFile(dir.filePath(name + QStringLiteral(".lrc")), slow);
    }
    SentenceAnalysis analysis;
    int decoded = 0;
    QObject::connect(&analysis, &SentenceAnalysis::progressChanged, &analysis,
                     [&decoded](int percent) { decoded += percent == 100; });
    QStringList finished;
    QObject::connect(&analysis, &SentenceAnalysis::finished, &analysis,
                     [&finished](const SentenceResult &result) { finished.append(result.path); });
    for (int i = 0; i < 2; ++i) {
        analysis.start(recordings[i]);
        // Decoded: its subtitle file is being parsed now.
        ASSERT_TRUE(QTest::qWaitFor([&] { return decoded == i + 1; }, 30000));
    }
    analysis.start(recordings[2]);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !finished.isEmpty(); }, 10000));
    EXPECT_EQ(finished, QStringList{recordings[2]});
}

TEST(OddSubtitles, AFileWithoutUsableCuesLeavesTheSentencesToThePauses)
{
    QTemporaryDir dir;
    const QString recording = dir.filePath(QStringLiteral("talk.wav"));
    ASSERT_TRUE(writeToneWav(recording, 1.0));
    for (const QByteArray &subtitles :
         {QByteArray("no cue in here\n\nnor here\n"), QByteArray(), QByteArray(4096, '\0')}) {
        SCOPED_TRACE(subtitles.left(16).toStdString());
        putFile(dir.filePath(QStringLiteral("talk.srt")), subtitles);
        const AnalysisOutcome outcome = analyseRecording(recording);
        ASSERT_TRUE(outcome.ok) << outcome.error.toStdString();
        EXPECT_FALSE(outcome.result.fromSubtitles);
        EXPECT_TRUE(outcome.result.subtitlesUnusable);
    }
}

} // namespace
