// Faults a learner's work must survive: a save cut off by a kill, a full or
// read-only disk, recordings that are not what their names say, very large
// documents, and file names with awkward characters or at the length limit.
// Durations are printed as "figure:" lines; nothing here asserts on them.
#include "support/buildpaths.h"
#include "support/filesizelimit.h"
#include "support/testutil.h"

#include "platform/mpvplayer.h"
#include "support/tonewav.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using Button = Dialogs::Button;
using Icon = Dialogs::Icon;

namespace {

const QString SaveError = QStringLiteral("保存时发生错误！");
const QString FaultsFixturesDir = QStringLiteral(QUILLMAR_FIXTURES_DIR);

void figure(const std::string &text)
{
    std::printf("figure: %s\n", text.c_str());
    std::fflush(stdout);
}

void note(const std::string &text)
{
    std::printf("note: %s\n", text.c_str());
    std::fflush(stdout);
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

// A dictation document as the program writes it: records of a typed line
// (the sentence `repeats` times) and its loop points and time, in UTF-8 with
// CR LF, of about `size` bytes.
QByteArray dictationDocument(qsizetype size, int repeats)
{
    QByteArray text = "听写记录\r\n语音文件: /home/learner/lesson.mp3\r\n";
    text.reserve(size + 256);
    for (int i = 0; text.size() < size; ++i) {
        text += "\r\n";
        for (int r = 0; r < repeats; ++r)
            text += "The quick brown fox number " + QByteArray::number(i)
                    + " jumps over the lazy dog 狐狸跳过了懒狗。";
        text += "\r\n(00:" + QByteArray::number(10 + i % 50) + ":12.3 - 00:"
                + QByteArray::number(10 + i % 50) + ":15.6   听写时间: 2024-05-01 10:00:00)\r\n";
    }
    return text;
}

// A file name of exactly `bytes` bytes in UTF-8: the stem, then Chinese
// characters (three bytes each) and ASCII to fill, then the extension.
QString nameOfBytes(const QString &stem, const QString &extension, int bytes)
{
    QString name = stem;
    while ((name + QStringLiteral("长") + extension).toUtf8().size() <= bytes)
        name += QStringLiteral("长");
    while ((name + extension).toUtf8().size() < bytes)
        name += QLatin1Char('x');
    return name + extension;
}

// Runs the event loop until `done` holds or the time is up.
bool waitUntil(const std::function<bool()> &done, int timeoutMs)
{
    return QTest::qWaitFor(done, timeoutMs);
}

struct FaultsWindow : WindowHarness {
    using WindowHarness::WindowHarness;
    void run(const char *name) { action(QLatin1String(name))->trigger(); }
    TForm_Main &w() { return *window; }
    // Types a line into the dictation line and presses the apply button.
    void apply(const QString &line)
    {
        widget<QLineEdit>("LabeledEdit_Dictation")->setText(line);
        widget<QPushButton>("Button_Apply")->click();
    }
};

// A tmpfs of its own at `folder`, for a disk that fills up or turns read-only.
class ScratchDisk
{
public:
    ScratchDisk(const QString &folder, const char *size) : m_folder(QFile::encodeName(folder))
    {
        QDir().mkpath(folder);
        const QByteArray options = QByteArray("size=") + size;
        m_mounted = ::mount("tmpfs", m_folder.constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                            options.constData())
                    == 0;
        if (!m_mounted)
            note("tmpfs cannot be mounted here (" + std::string(std::strerror(errno)) + ")");
    }
    ~ScratchDisk()
    {
        if (m_mounted)
            ::umount2(m_folder.constData(), MNT_DETACH);
    }
    ScratchDisk(const ScratchDisk &) = delete;
    ScratchDisk &operator=(const ScratchDisk &) = delete;

    bool mounted() const { return m_mounted; }
    bool makeReadOnly()
    {
        return m_mounted
               && ::mount("tmpfs", m_folder.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr)
                      == 0;
    }

private:
    QByteArray m_folder;
    bool m_mounted = false;
};

// The immutable attribute on a file: not even root may replace or change it.
class Immutable
{
public:
    explicit Immutable(const QString &path) : m_path(QFile::encodeName(path))
    {
        m_set = setFlag(true);
        if (!m_set)
            note("the immutable attribute cannot be set here (" + std::string(std::strerror(errno))
                 + ")");
    }
    ~Immutable()
    {
        if (m_set)
            setFlag(false);
    }
    Immutable(const Immutable &) = delete;
    Immutable &operator=(const Immutable &) = delete;

    bool isSet() const { return m_set; }

private:
    bool setFlag(bool on)
    {
        const int fd = ::open(m_path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            return false;
        int flags = 0;
        bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (ok) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        const int saved = errno;
        ::close(fd);
        errno = saved;
        return ok;
    }

    QByteArray m_path;
    bool m_set = false;
};

// --- A save killed halfway -------------------------------------------------

// The file a process has open for writing in `folder`, other than `finalPath`,
// and its size; -1 when there is none. The product writes the new version
// into a file of its own before it takes the old one's place.
qint64 newVersionSize(qint64 pid, const QByteArray &folder, const QByteArray &finalPath)
{
    const QByteArray fds = "/proc/" + QByteArray::number(pid) + "/fd";
    DIR *listing = ::opendir(fds.constData());
    if (!listing)
        return -1;
    qint64 size = -1;
    while (const dirent *entry = ::readdir(listing)) {
        if (entry->d_name[0] == '.')
            continue;
        const QByteArray link = fds + '/' + entry->d_name;
        char target[PATH_MAX + 1];
        const ssize_t length = ::readlink(link.constData(), target, PATH_MAX);
        if (length <= 0)
            continue;
        const QByteArray name(target, length);
        struct stat info = {};
        if (name.startsWith(folder + '/') && name != finalPath
            && ::stat(link.constData(), &info) == 0 && S_ISREG(info.st_mode)) {
            size = info.st_size;
        }
    }
    ::closedir(listing);
    return size;
}

// The inode behind a path; 0 when there is none. The new version takes the
// old one's place by a rename, so the inode tells which one is in place.
ino_t inodeOf(const QByteArray &path)
{
    struct stat info = {};
    return ::stat(path.constData(), &info) == 0 ? info.st_ino : 0;
}

TEST(KilledSave, EachCutLeavesTheOldOrTheNewVersionWhole)
{
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("program"));
    const QString docs = dir.filePath(QStringLiteral("docs"));
    ASSERT_TRUE(QDir().mkpath(program) && QDir().mkpath(docs));
    const QString txt = docs + QStringLiteral("/lesson.txt");
    // Long lines, so that each child opens it quickly. 8 MB take long enough
    // to write that the parent catches the child halfway; the truly large
    // document is LargeFiles' part.
    const QByteArray old = dictationDocument(8 << 20, 50);
    // What the child makes of it: a line added at the top and one at the end.
    const QByteArray edited = QByteArray("改过的第一行\r\n") + old + QByteArray("最后一行\r\n");
    const QByteArray folder = QFile::encodeName(docs);
    const QByteArray finalPath = QFile::encodeName(txt);

    // Each cut is a point the parent sees from outside. The child is stopped
    // there before it is killed, so that it cannot run past the point.
    enum class Cut { Opened, WhileWriting, WhenWritten, InPlace, Never };
    enum class Outcome { Old, New };
    const struct {
        const char *name;
        Cut cut;
        Outcome outcome;
    } cases[] = {
        {"as the new version is opened", Cut::Opened, Outcome::Old},
        {"while the new version is being written", Cut::WhileWriting, Outcome::Old},
        {"once the new version is written, before it is put in place", Cut::WhenWritten,
         Outcome::Old},
        {"once the new version is in place", Cut::InPlace, Outcome::New},
        {"without a kill", Cut::Never, Outcome::New},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        // On a busy machine the parent may look too late and see the child
        // already past the point; then the run is repeated.
        bool landed = false;
        for (int attempt = 0; attempt < 3 && !landed; ++attempt) {
            ASSERT_TRUE(writeBytes(txt, old));
            const ino_t oldInode = inodeOf(finalPath);
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            child.start(BuildPaths::faultsSaver(), {program, txt});
            ASSERT_TRUE(child.waitForStarted(10000));
            const qint64 pid = child.processId();
            ASSERT_GT(pid, 0);
            QByteArray output;
            QElapsedTimer clock;
            clock.start();
            while (!output.contains("saving\n") && child.state() == QProcess::Running
                   && clock.elapsed() < 120000) {
                child.waitForReadyRead(100);
                output += child.readAllStandardOutput();
            }
            ASSERT_TRUE(output.contains("saving\n")) << output.toStdString();

            QElapsedTimer save;
            save.start();
            if (c.cut != Cut::Never) {
                const auto reached = [&] {
                    if (c.cut == Cut::InPlace)
                        return inodeOf(finalPath) != oldInode;
                    const qint64 written = newVersionSize(pid, folder, finalPath);
                    switch (c.cut) {
                    case Cut::Opened:
                        return written >= 0;
                    case Cut::WhileWriting:
                        return written > 0 && written < edited.size();
                    default:
                        return written == edited.size();
                    }
                };
                while (!reached() && child.state() == QProcess::Running && save.elapsed() < 60000)
                    ::sched_yield();
                ::kill(pid_t(pid), SIGSTOP);
                // Stopped, the child can no longer move: the point is judged now.
                landed = child.state() == QProcess::Running && reached()
                         && (c.outcome == Outcome::New) == (inodeOf(finalPath) != oldInode);
                ::kill(pid_t(pid), SIGKILL);
            } else {
                landed = true;
            }
            EXPECT_TRUE(child.waitForFinished(60000));
            output += child.readAllStandardOutput();
            // A child that ended by itself before the kill took hold (already
            // exiting when stopped) was past the point too.
            if (c.cut != Cut::Never && child.exitStatus() == QProcess::NormalExit)
                landed = false;
            const qint64 elapsed = save.elapsed();
            if (!landed) {
                note(std::string(c.name) + ": the child was past the point when seen, again");
                continue;
            }

            const QByteArray now = readAll(txt);
            if (c.cut == Cut::Never) {
                EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
                EXPECT_TRUE(output.endsWith("saved\n")) << output.toStdString();
                figure("save of a " + std::to_string(edited.size() >> 20)
                       + " MB document in the child: " + std::to_string(elapsed) + " ms");
            } else {
                EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);
            }
            const QByteArray &expected = c.outcome == Outcome::Old ? old : edited;
            EXPECT_TRUE(now == expected)
                << "the file is " << now.size() << " bytes, not the "
                << (c.outcome == Outcome::Old ? "old " : "new ") << expected.size();
            QStringList leftovers = entries(docs);
            leftovers.removeOne(QStringLiteral("lesson.txt"));
            note(std::string(c.name) + ", after " + std::to_string(elapsed) + " ms: left over: "
                 + (leftovers.isEmpty() ? std::string("nothing")
                                        : leftovers.join(QStringLiteral(", ")).toStdString()));
            for (const QString &name : std::as_const(leftovers))
                QFile::remove(docs + QLatin1Char('/') + name);
        }
        EXPECT_TRUE(landed) << "the child was never caught at that point";
    }
}

// --- A full or read-only disk -----------------------------------------------

TEST(FullDisk, TheSaveFailsVisiblyAndEveryLineStaysForAnotherPlace)
{
    // Names at the length limit are replaced another way; both must fail cleanly.
    const QString names[] = {
        QStringLiteral("lesson.txt"),
        nameOfBytes(QStringLiteral("lesson "), QStringLiteral(".txt"), NAME_MAX)};
    for (const QString &name : names) {
        SCOPED_TRACE(name.size());
        FaultsWindow h;
        const QString folder = h.path(QStringLiteral("small disk"));
        ScratchDisk disk(folder, "64k");
        const QString txt = folder + QLatin1Char('/') + name;
        const QByteArray old = QByteArray("听写记录\r\n") + QByteArray(20 * 1024, 'o') + "\r\n";
        ASSERT_TRUE(writeBytes(txt, old));
        std::unique_ptr<FileSizeLimit> limit;
        if (!disk.mounted())
            limit = std::make_unique<FileSizeLimit>(64 * 1024);

        h.w().OpenDictationFile(txt);
        for (int i = 0; i < 100; ++i)
            h.doc().appendLine(QStringLiteral("第%1行 ").arg(i) + QString(1000, QLatin1Char('n')));
        const QString typed = h.doc().text();

        h.run("Action_SaveDictationFile");
        EXPECT_EQ(h.dialogs.messageTexts(), QStringList{SaveError});
        ASSERT_FALSE(h.dialogs.messages.isEmpty());
        EXPECT_EQ(h.dialogs.messages[0].icon, Icon::Error);
        EXPECT_EQ(readAll(txt), old);
        EXPECT_EQ(entries(folder), QStringList{name});
        EXPECT_TRUE(h.doc().isOpen());
        EXPECT_TRUE(h.doc().isModified());
        EXPECT_EQ(h.doc().fileName(), txt);
        EXPECT_EQ(h.doc().text(), typed);

        // Quitting with "save" answered yes: the save fails, so the program stays.
        h.dialogs.clear();
        h.dialogs.answers.enqueue(Button::Yes);
        EXPECT_FALSE(h.w().FormCloseQuery());
        EXPECT_EQ(h.dialogs.messageTexts(),
                  (QStringList{QStringLiteral("您当前听写的内容要保存吗？"), SaveError}));
        EXPECT_EQ(readAll(txt), old);
        EXPECT_TRUE(h.doc().isOpen());
        EXPECT_TRUE(h.doc().isModified());
        EXPECT_EQ(h.doc().text(), typed);

        // Saved elsewhere, every line is there.
        limit.reset();
        h.dialogs.clear();
        const QString elsewhere = h.path(QStringLiteral("other disk/lesson copy.txt"));
        QDir().mkpath(QFileInfo(elsewhere).path());
        h.dialogs.fileAnswers.enqueue(elsewhere);
        h.run("Action_SaveAsDictationFile");
        EXPECT_TRUE(h.dialogs.messages.isEmpty())
            << h.dialogs.messageTexts().join(u'|').toStdString();
        EXPECT_EQ(readAll(elsewhere), typed.toUtf8());
        EXPECT_FALSE(h.doc().isModified());
    }
}

// Write permission taken from a file and its folder; restored afterwards so
// that the temporary folder can be removed.
class NoWritePermission
{
public:
    explicit NoWritePermission(const QStringList &paths) : m_paths(paths)
    {
        const auto writable =
            QFile::WriteOwner | QFile::WriteUser | QFile::WriteGroup | QFile::WriteOther;
        m_set = true;
        for (const QString &path : m_paths)
            m_set = QFile::setPermissions(path, QFile::permissions(path) & ~writable) && m_set;
    }
    ~NoWritePermission()
    {
        for (const QString &path : m_paths)
            QFile::setPermissions(path, QFile::permissions(path) | QFile::WriteOwner);
    }
    NoWritePermission(const NoWritePermission &) = delete;
    NoWritePermission &operator=(const NoWritePermission &) = delete;

    bool isSet() const { return m_set; }

private:
    QStringList m_paths;
    bool m_set = false;
};

TEST(ReadOnly, ASaveOntoAFileThatCannotBeReplacedFailsVisibly)
{
    // Root ignores permission bits, and only root may set the immutable
    // attribute or mount: each user gets the ways that bind them.
    enum class Way { Immutable, ReadOnlyMount, Permissions };
    const bool root = ::geteuid() == 0;
    const std::vector<Way> ways = root ? std::vector<Way>{Way::Immutable, Way::ReadOnlyMount}
                                       : std::vector<Way>{Way::Permissions};
    int tried = 0;
    for (const Way way : ways) {
        SCOPED_TRACE(way == Way::Immutable       ? "immutable file"
                     : way == Way::ReadOnlyMount ? "read-only file system"
                                                 : "no write permission");
        FaultsWindow h;
        const QString folder = h.path(QStringLiteral("locked"));
        std::unique_ptr<ScratchDisk> disk;
        if (way == Way::ReadOnlyMount)
            disk = std::make_unique<ScratchDisk>(folder, "1m");
        QDir().mkpath(folder);
        const QString txt = folder + QStringLiteral("/lesson.txt");
        const QByteArray old = "听写记录\r\nold line\r\n";
        ASSERT_TRUE(writeBytes(txt, old));
        std::unique_ptr<Immutable> immutable;
        std::unique_ptr<NoWritePermission> noWrite;
        if (way == Way::Immutable) {
            immutable = std::make_unique<Immutable>(txt);
            if (!immutable->isSet())
                continue;
        } else if (way == Way::ReadOnlyMount) {
            if (!disk->makeReadOnly())
                continue;
        } else {
            noWrite = std::make_unique<NoWritePermission>(QStringList{txt, folder});
            ASSERT_TRUE(noWrite->isSet());
        }
        ++tried;
        // The folder itself is read-only in these two; an immutable file's
        // folder still takes new names.
        const bool folderLocked = way != Way::Immutable;

        h.w().OpenDictationFile(txt);
        h.apply(QStringLiteral("a new line"));
        const QString typed = h.doc().text();
        h.run("Action_SaveDictationFile");
        EXPECT_EQ(h.dialogs.messageTexts(), QStringList{SaveError});
        EXPECT_EQ(readAll(txt), old);
        EXPECT_EQ(entries(folder), QStringList{QStringLiteral("lesson.txt")});
        EXPECT_TRUE(h.doc().isModified());
        EXPECT_EQ(h.doc().text(), typed);

        // A new name in the same place: the same, for a read-only folder.
        if (folderLocked) {
            h.dialogs.clear();
            h.dialogs.fileAnswers.enqueue(folder + QStringLiteral("/new name.txt"));
            h.run("Action_SaveAsDictationFile");
            EXPECT_EQ(h.dialogs.messageTexts(), QStringList{SaveError});
            EXPECT_EQ(entries(folder), QStringList{QStringLiteral("lesson.txt")});
            EXPECT_TRUE(h.doc().isModified());
        }
    }
    note(std::to_string(tried) + " of " + std::to_string(ways.size())
         + " ways to make a file read-only were tried");
    EXPECT_GT(tried, 0) << "neither the immutable attribute nor a read-only mount could be set up";
}

// --- Recordings that are not what their names say ----------------------------

TEST(BadRecordings, ReportedThroughTheWindowWhichStaysUsable)
{
    QTemporaryDir dir;
    const auto at = [&dir](const char *name) { return dir.filePath(QString::fromUtf8(name)); };
    ASSERT_TRUE(writeToneWav(at("good.wav"), 2.0));
    const QByteArray wav = readAll(at("good.wav"));
    QFile mp3File(FaultsFixturesDir + QStringLiteral("/tone.mp3"));
    ASSERT_TRUE(mp3File.open(QIODevice::ReadOnly));
    const QByteArray mp3 = mp3File.readAll();

    ASSERT_TRUE(writeBytes(at("empty.mp3"), QByteArray()));
    ASSERT_TRUE(writeBytes(at("notes.wav"), "These are my notes, not a recording.\r\n"));
    ASSERT_TRUE(writeBytes(at("header only.wav"), wav.left(44)));
    ASSERT_TRUE(writeBytes(at("cut header.wav"), wav.left(30)));
    ASSERT_TRUE(writeBytes(at("half.wav"), wav.left(wav.size() / 2)));
    ASSERT_TRUE(writeBytes(at("half.mp3"), mp3.left(mp3.size() / 2)));
    ASSERT_TRUE(QDir().mkpath(at("lesson.mp3")));
    ASSERT_TRUE(writeToneWav(at("lesson.mp3") + QStringLiteral("/inside.wav"), 1.0));

    MpvPlayer player(QStringLiteral("null"));
    FakeDialogs dialogs;
    FakeShell shell;
    QDir().mkpath(at("program"));
    TForm_MainServices services{&player, &dialogs, &shell, at("program") + QLatin1Char('/'),
                                {},      {}};
    TForm_Main window(services);

    enum class Outcome { PlayerError, NoSuchFile, Plays, Empty };
    const struct {
        const char *name;
        Outcome outcome;
    } cases[] = {
        {"empty.mp3", Outcome::PlayerError},
        {"notes.wav", Outcome::PlayerError},
        {"cut header.wav", Outcome::PlayerError},
        // A header without samples is a recording of no length: it ends at once.
        {"header only.wav", Outcome::Empty},
        {"lesson.mp3", Outcome::NoSuchFile},
        // What is left of a cut recording plays.
        {"half.wav", Outcome::Plays},
        {"half.mp3", Outcome::Plays},
    };
    // The question about the previous recording's new document is not an error.
    const QString question = QStringLiteral("您当前听写的内容要保存吗？");
    const auto errors = [&] {
        QList<FakeDialogs::Message> shown;
        for (const FakeDialogs::Message &m : std::as_const(dialogs.messages))
            if (m.text != question)
                shown << m;
        return shown;
    };
    const auto open = [&](const QString &path) {
        dialogs.clear();
        if (window.findChild<DictationDocument *>()->isModified())
            dialogs.answers.enqueue(Button::No);
        dialogs.fileAnswers.enqueue(path);
        window.findChild<QAction *>(QStringLiteral("Action_OpenSourceFile"))->trigger();
    };

    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = at(c.name);
        open(path);
        const bool settled = waitUntil(
            [&] {
                return !errors().isEmpty() || player.playState() == MediaPlayer::Playing
                       || player.playState() == MediaPlayer::Stopped;
            },
            5000);
        ASSERT_TRUE(settled) << "neither an error nor playback";
        switch (c.outcome) {
        case Outcome::PlayerError: {
            ASSERT_EQ(errors().size(), 1);
            const FakeDialogs::Message m = errors().first();
            EXPECT_EQ(m.caption, TForm_Main::applicationTitle());
            EXPECT_EQ(m.icon, Icon::Error);
            EXPECT_TRUE(
                m.text.startsWith(QStringLiteral("无法播放文件“") + path + QStringLiteral("”：")))
                << m.text.toStdString();
            // The recording's document is open all the same.
            EXPECT_TRUE(window.findChild<DictationDocument *>()->isOpen());
            break;
        }
        case Outcome::NoSuchFile:
            ASSERT_EQ(errors().size(), 1);
            EXPECT_EQ(errors().first().text,
                      QStringLiteral("文件“") + path + QStringLiteral("”不存在！"));
            EXPECT_EQ(errors().first().caption, TForm_Main::messageCaption());
            break;
        case Outcome::Plays:
        case Outcome::Empty:
            EXPECT_TRUE(errors().isEmpty()) << dialogs.messageTexts().join(u'|').toStdString();
            EXPECT_EQ(player.playState(),
                      c.outcome == Outcome::Plays ? MediaPlayer::Playing : MediaPlayer::Stopped);
            EXPECT_EQ(window.findChild<Recording *>()->path(), path);
            EXPECT_TRUE(window.findChild<DictationDocument *>()->isOpen());
            break;
        }
        // The tick runs on, no further message comes, and what failed does not play.
        // Nothing is expected here, so there is no signal to wait for: a look
        // over a few ticks of the timer is enough and keeps the test short.
        const qsizetype count = dialogs.messages.size();
        QTest::qWait(300);
        EXPECT_EQ(dialogs.messages.size(), count)
            << dialogs.messageTexts().join(u'|').toStdString();
        if (c.outcome != Outcome::Plays) {
            EXPECT_NE(player.playState(), MediaPlayer::Playing);
        }
    }

    // A good recording afterwards opens and plays, with its document open.
    open(at("good.wav"));
    ASSERT_TRUE(waitUntil([&] { return player.playState() == MediaPlayer::Playing; }, 5000));
    EXPECT_TRUE(waitUntil([&] { return player.currentPosition() > 0.2; }, 5000));
    EXPECT_TRUE(errors().isEmpty()) << dialogs.messageTexts().join(u'|').toStdString();
    EXPECT_EQ(window.findChild<Recording *>()->path(), at("good.wav"));
    EXPECT_TRUE(window.findChild<DictationDocument *>()->isOpen());
    EXPECT_EQ(window.findChild<DictationDocument *>()->fileName(), at("good.txt"));
    EXPECT_TRUE(
        window.findChild<QLineEdit *>(QStringLiteral("LabeledEdit_Dictation"))->isEnabled());
}

// --- Very large files ---------------------------------------------------------

TEST(LargeFiles, FiftyMegabyteDocumentAndTenMegabyteAnswerOpenCheckAndSave)
{
    FaultsWindow h;
    h.settings().setOptions(TOptionFlags{});
    h.setOption(&TOptionFlags::VerifyBeforeApplying, true);
    // Full size in the normal build only; under the sanitizers a tenth of it
    // goes through the same paths in a fraction of the time.
    const qsizetype mb =
        qEnvironmentVariableIsSet("QUILLMAR_FULL_SIZE_TESTS") ? 1 << 20 : 100 << 10;
    const QByteArray document = dictationDocument(50 * mb, 1);
    const QString txt = h.path(QStringLiteral("large.txt"));
    ASSERT_TRUE(writeBytes(txt, document));
    QByteArray answer;
    answer.reserve(10 * mb + 256);
    for (int i = 0; answer.size() < 10 * mb; ++i)
        answer +=
            "Sentence " + QByteArray::number(i) + " of the answer, told slowly and clearly.\r\n";
    answer += "And this is how the story ends.\r\n";
    const QString answerPath = h.writeFile(QStringLiteral("large answer.txt"), answer);

    QElapsedTimer clock;
    clock.start();
    h.dialogs.fileAnswers.enqueue(txt);
    h.run("Action_OpenDictationFile");
    const qint64 openMs = clock.restart();
    ASSERT_TRUE(h.doc().isOpen());
    ASSERT_EQ(h.doc().text().size(), QString::fromUtf8(document).size());

    h.dialogs.fileAnswers.enqueue(answerPath);
    h.run("Action_OpenAnswerFile");
    const qint64 answerMs = clock.restart();
    ASSERT_EQ(h.answer().fileName(), answerPath);

    // The sentence is the last one, so the check reads every line.
    h.apply(QStringLiteral("and this is how the story ends"));
    const qint64 checkMs = clock.restart();
    EXPECT_TRUE(h.widget<QLineEdit>("LabeledEdit_Dictation")->text().isEmpty());

    h.run("Action_SaveDictationFile");
    const qint64 saveMs = clock.restart();
    EXPECT_TRUE(h.dialogs.messages.isEmpty()) << h.dialogs.messageTexts().join(u'|').toStdString();
    const QByteArray saved = readAll(txt);
    EXPECT_TRUE(saved.startsWith(document));
    EXPECT_EQ(saved.mid(document.size()).toStdString(),
              "\r\nand this is how the story ends.\r\n\r\n");
    EXPECT_FALSE(h.doc().isModified());

    figure("open a " + std::to_string(document.size() >> 10)
           + " KB document: " + std::to_string(openMs) + " ms");
    figure("open a " + std::to_string(answer.size() >> 10)
           + " KB answer: " + std::to_string(answerMs) + " ms");
    figure("apply one line checked against it: " + std::to_string(checkMs) + " ms");
    figure("save the document: " + std::to_string(saveMs) + " ms");
}

// --- Awkward names ------------------------------------------------------------

TEST(AwkwardNames, SpacesAmpersandsChineseAndNamesAtTheLengthLimit)
{
    FaultsWindow h;
    const QString folder = h.path(QStringLiteral("我的 听写 & Co/第 1 课 & 复习"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString stem = QStringLiteral("Rock & Roll 第一课 ");
    const QString recording =
        folder + QLatin1Char('/') + nameOfBytes(stem, QStringLiteral(".mp3"), NAME_MAX);
    const QString companion = recording.left(recording.size() - 4) + QStringLiteral(".txt");
    const QString answer =
        folder + QLatin1Char('/')
        + nameOfBytes(QStringLiteral("答案 & key "), QStringLiteral(".txt"), NAME_MAX);
    ASSERT_EQ(QFileInfo(recording).fileName().toUtf8().size(), NAME_MAX);
    h.writeFile(recording, "ID3");
    h.writeFile(answer, "The first sentence.\r\nThe second sentence.\r\n");
    QString menuPath = recording;
    menuPath.replace(QStringLiteral("&"), QStringLiteral("&&"));

    h.dialogs.fileAnswers.enqueue(recording);
    h.run("Action_OpenSourceFile");
    FakePlayer::flushEvents();
    EXPECT_EQ(h.player.url, recording);
    EXPECT_EQ(h.widget<QLabel>("Label_SourceFileName")->text(),
              QStringLiteral("  语音文件: ") + recording);
    EXPECT_EQ(h.doc().fileName(), companion);
    EXPECT_EQ(h.widget<QLabel>("Label_DictationFileName")->text(),
              QStringLiteral("  听写文件: ") + companion);
    EXPECT_EQ(h.doc().text(),
              QStringLiteral("听写记录\r\n语音文件: ") + recording + QStringLiteral("\r\n"));
    ASSERT_FALSE(h.widget<QMenu>("Menu_RecentplayList")->actions().isEmpty());
    EXPECT_EQ(h.widget<QMenu>("Menu_RecentplayList")->actions().first()->text(),
              QStringLiteral("01 ") + menuPath);

    // Saved twice: the second save replaces the file the first one made.
    for (const QString &line :
         {QStringLiteral("first & foremost"), QStringLiteral("第二行 second")}) {
        h.apply(line);
        h.run("Action_SaveDictationFile");
        EXPECT_TRUE(h.dialogs.messages.isEmpty())
            << h.dialogs.messageTexts().join(u'|').toStdString();
        EXPECT_EQ(readAll(companion), h.doc().text().toUtf8());
        EXPECT_FALSE(h.doc().isModified());
        // Replacing the file keeps who may read it.
        QFile::setPermissions(companion, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    }
    EXPECT_EQ(QFileInfo(companion).permissions() & ~(QFile::ReadUser | QFile::WriteUser),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    EXPECT_EQ(entries(folder).size(), 3) << entries(folder).join(u'|').toStdString();

    // The dialogs start from the names as they are.
    h.dialogs.clear();
    h.dialogs.fileAnswers.enqueue(answer);
    h.run("Action_OpenAnswerFile");
    ASSERT_EQ(h.dialogs.fileDialogs.size(), 1);
    EXPECT_EQ(h.dialogs.fileDialogs[0].request.initialDir, folder + QLatin1Char('/'));
    EXPECT_EQ(h.answer().fileName(), answer);
    EXPECT_EQ(h.widget<QLabel>("Label_AnswerFileName")->text(),
              QStringLiteral("  答案文件: ") + answer);
    h.run("Action_SaveAsDictationFile"); // cancelled
    h.run("Action_OpenSourceFile");      // cancelled
    ASSERT_EQ(h.dialogs.fileDialogs.size(), 3);
    EXPECT_EQ(h.dialogs.fileDialogs[1].request.fileName, companion);
    EXPECT_EQ(h.dialogs.fileDialogs[2].request.fileName, recording);

    // Back through the recent list, the saved document comes back.
    const QString saved = h.doc().text();
    h.run("Action_CloseSourceFile");
    h.widget<QMenu>("Menu_RecentplayList")->actions().first()->trigger();
    FakePlayer::flushEvents();
    EXPECT_EQ(h.player.url, recording);
    EXPECT_EQ(h.doc().text(), saved);
    EXPECT_TRUE(h.dialogs.messages.isEmpty()) << h.dialogs.messageTexts().join(u'|').toStdString();

    // A recording at the limit without an extension: its document's name is
    // too long for any file. Saving says so; another name keeps every line.
    const QString bare = folder + QLatin1Char('/') + nameOfBytes(stem, QString(), NAME_MAX);
    h.writeFile(bare, "ID3");
    h.dialogs.clear();
    h.dialogs.fileAnswers.enqueue(bare);
    h.run("Action_OpenSourceFile");
    EXPECT_EQ(h.doc().fileName(), bare + QStringLiteral(".txt"));
    h.apply(QStringLiteral("typed under a name too long"));
    const QString typed = h.doc().text();
    h.run("Action_SaveDictationFile");
    EXPECT_EQ(h.dialogs.messageTexts(), QStringList{SaveError});
    EXPECT_TRUE(h.doc().isModified());
    const QString shorter = folder + QStringLiteral("/short & sweet.txt");
    h.dialogs.fileAnswers.enqueue(shorter);
    h.run("Action_SaveAsDictationFile");
    EXPECT_EQ(h.dialogs.messageTexts(), QStringList{SaveError});
    EXPECT_EQ(readAll(shorter), typed.toUtf8());
    EXPECT_EQ(h.widget<QLabel>("Label_DictationFileName")->text(),
              QStringLiteral("  听写文件: ") + shorter);
}

} // namespace
