// Folders are layers: a file includes headers only from its own folder and
// from the folders its folder's library links, directly or through them. The
// operating system's headers, and those of the libraries one folder wraps,
// are included only where the tables below allow. Every library's include
// path is the project root, so the compiler alone would let a wrong include
// through: this reads every #include of every source and header instead.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

// Each folder and the folders its library links, as in the folder's
// CMakeLists.txt (the test LayersFollowTheLibrariesLinks keeps the two equal).
// From the bottom up.
const QMap<QString, QStringList> &links()
{
    static const QMap<QString, QStringList> table{
        {QStringLiteral("platform"), {}},
        {QStringLiteral("feedback"), {}},
        {QStringLiteral("sentences"), {QStringLiteral("platform")}},
        {QStringLiteral("recovery"), {QStringLiteral("platform")}},
        {QStringLiteral("playback"), {QStringLiteral("platform")}},
        {QStringLiteral("settings"), {QStringLiteral("platform")}},
        {QStringLiteral("about"), {QStringLiteral("platform")}},
        {QStringLiteral("help"), {QStringLiteral("platform")}},
        {QStringLiteral("video"), {QStringLiteral("platform")}},
        {QStringLiteral("dictation"), {QStringLiteral("platform"), QStringLiteral("sentences")}},
        {QStringLiteral("align"), {QStringLiteral("sentences")}},
        {QStringLiteral("learner"), {QStringLiteral("playback")}},
        {QStringLiteral("lesson"),
         {QStringLiteral("sentences"), QStringLiteral("feedback"), QStringLiteral("learner")}},
        {QStringLiteral("progress"), {QStringLiteral("learner")}},
        {QStringLiteral("app"),
         {QStringLiteral("playback"), QStringLiteral("dictation"), QStringLiteral("settings"),
          QStringLiteral("about"), QStringLiteral("sentences"), QStringLiteral("feedback"),
          QStringLiteral("recovery"), QStringLiteral("learner"), QStringLiteral("lesson"),
          QStringLiteral("help"), QStringLiteral("progress"), QStringLiteral("video"),
          QStringLiteral("align")}},
    };
    return table;
}

// Above the program: they may include any of its folders. The tests and the
// benchmarks also share the test helpers, tests/support, included as
// "support/...".
const QStringList Above{QStringLiteral("tests"), QStringLiteral("bench"), QStringLiteral("fuzz")};
const QStringList SupportUsers{QStringLiteral("tests"), QStringLiteral("bench")};

// Headers of the operating system, by name or folder: only platform/ calls
// the system; the tests and benchmarks provoke faults and measure processes
// with it.
const QStringList SystemHeaders{
    QStringLiteral("unistd.h"),  QStringLiteral("sys/"),      QStringLiteral("signal.h"),
    QStringLiteral("csignal"),   QStringLiteral("windows.h"), QStringLiteral("dlfcn.h"),
    QStringLiteral("fcntl.h"),   QStringLiteral("pwd.h"),     QStringLiteral("grp.h"),
    QStringLiteral("pthread.h"), QStringLiteral("poll.h"),    QStringLiteral("termios.h"),
    QStringLiteral("dirent.h"),  QStringLiteral("spawn.h"),   QStringLiteral("sched.h"),
    QStringLiteral("syslog.h"),  QStringLiteral("netdb.h"),   QStringLiteral("netinet/"),
    QStringLiteral("arpa/"),     QStringLiteral("linux/"),    QStringLiteral("link.h"),
    QStringLiteral("io.h"),      QStringLiteral("process.h"), QStringLiteral("direct.h"),
    QStringLiteral("shlobj.h"),  QStringLiteral("winbase.h"), QStringLiteral("mach/"),
    QStringLiteral("X11/"),      QStringLiteral("xcb/"),
};
const QStringList SystemHeaderUsers{QStringLiteral("platform"), QStringLiteral("tests"),
                                    QStringLiteral("bench")};

// Libraries wrapped by one folder: libmpv (loaded at run time) by platform/,
// FFmpeg (in the decoder module) by sentences/, the synthesizer and the FFT
// by align/.
const QMap<QString, QString> WrappedLibraries{
    {QStringLiteral("mpv/"), QStringLiteral("platform")},
    {QStringLiteral("libavcodec/"), QStringLiteral("sentences")},
    {QStringLiteral("libavformat/"), QStringLiteral("sentences")},
    {QStringLiteral("libavutil/"), QStringLiteral("sentences")},
    {QStringLiteral("libswresample/"), QStringLiteral("sentences")},
    {QStringLiteral("libswscale/"), QStringLiteral("sentences")},
    {QStringLiteral("espeak-ng/"), QStringLiteral("align")},
    {QStringLiteral("fftw3.h"), QStringLiteral("align")},
};

// The folders a folder may include: itself and all it links, transitively.
QSet<QString> reachable(const QString &folder)
{
    QSet<QString> seen{folder};
    QStringList open{folder};
    while (!open.isEmpty()) {
        for (const QString &below : links().value(open.takeLast())) {
            if (!seen.contains(below)) {
                seen.insert(below);
                open.append(below);
            }
        }
    }
    return seen;
}

bool startsWithAny(const QString &header, const QStringList &prefixes)
{
    for (const QString &prefix : prefixes) {
        if (prefix.endsWith(QLatin1Char('/')) ? header.startsWith(prefix) : header == prefix)
            return true;
    }
    return false;
}

// What is wrong with the includes of one file, given by its path from the
// project root: one line per wrong include, naming the file, the line and
// what the file's folder may include instead.
QStringList wrongIncludes(const QString &path, const QString &text)
{
    static const QRegularExpression include(
        QStringLiteral(R"(^[ \t]*#[ \t]*include[ \t]*([<"])([^>"]+)[>"])"),
        QRegularExpression::MultilineOption);
    const QString folder = path.section(QLatin1Char('/'), 0, 0);
    const bool above = Above.contains(folder);
    QStringList wrong;
    if (!above && !links().contains(folder)) {
        wrong.append(path + QStringLiteral(": the folder ") + folder
                     + QStringLiteral(" is in no layer; add it to the table of links"));
        return wrong;
    }
    const QSet<QString> allowed = above ? QSet<QString>() : reachable(folder);
    auto it = include.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        const int line = int(text.left(match.capturedStart()).count(QLatin1Char('\n'))) + 1;
        const QString header = match.captured(2);
        const QString where =
            QStringLiteral("%1:%2: includes %3%4%5")
                .arg(path)
                .arg(line)
                .arg(match.captured(1), header,
                     match.captured(1) == QLatin1String("<") ? QStringLiteral(">")
                                                             : QStringLiteral("\""));
        if (match.captured(1) == QLatin1String("<")) {
            if (startsWithAny(header, SystemHeaders) && !SystemHeaderUsers.contains(folder)) {
                wrong.append(where
                             + QStringLiteral(", a header of the operating system, "
                                              "which only platform/ may use"));
            }
            for (auto lib = WrappedLibraries.cbegin(); lib != WrappedLibraries.cend(); ++lib) {
                if (header.startsWith(lib.key()) && folder != lib.value()) {
                    wrong.append(where + QStringLiteral(", which only ") + lib.value()
                                 + QStringLiteral("/ may include"));
                }
            }
            continue;
        }
        const QString target = header.section(QLatin1Char('/'), 0, 0);
        if (!header.contains(QLatin1Char('/')))
            continue; // beside the file, generated into the build folder
        if (target == QLatin1String("support")) {
            if (!SupportUsers.contains(folder)) {
                wrong.append(where
                             + QStringLiteral(", a test helper, which only the tests "
                                              "and benchmarks may include"));
            }
            continue;
        }
        if (!links().contains(target)) {
            wrong.append(where + QStringLiteral(", from ") + target
                         + QStringLiteral(", a folder in no layer"));
            continue;
        }
        if (!above && !allowed.contains(target)) {
            QStringList names = allowed.values();
            names.sort();
            wrong.append(where + QStringLiteral(", from a folder that is not below ") + folder
                         + QStringLiteral("; ") + folder + QStringLiteral(" may include only ")
                         + names.join(QStringLiteral(", ")));
        }
    }
    return wrong;
}

// The sources and headers of the tree, by their paths from the project root;
// the build folders are left out.
QStringList sources(const QString &root)
{
    QStringList paths;
    const QDir top(root);
    for (const QString &folder : top.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (folder.startsWith(QLatin1String("build")))
            continue;
        QDirIterator it(top.filePath(folder),
                        {QStringLiteral("*.h"), QStringLiteral("*.hpp"), QStringLiteral("*.cpp"),
                         QStringLiteral("*.cpp.in")},
                        QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            paths.append(top.relativeFilePath(it.next()));
    }
    paths.sort();
    return paths;
}

QString readText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

} // namespace

TEST(Layers, EveryIncludePointsDownOrSideways)
{
    const QString root = QStringLiteral(QUILLMAR_SOURCE_DIR);
    const QStringList paths = sources(root);
    ASSERT_GT(paths.size(), 100) << "no sources found under " << root.toStdString();
    QStringList wrong;
    for (const QString &path : paths)
        wrong += wrongIncludes(path, readText(root + QLatin1Char('/') + path));
    EXPECT_TRUE(wrong.isEmpty()) << wrong.join(QLatin1Char('\n')).toStdString();
}

TEST(Layers, AWrongIncludeIsFound)
{
    const struct {
        const char *path;
        const char *text;
        const char *found; // nullptr: nothing wrong
    } cases[] = {
        {"app/a.cpp", "#include \"platform/errors.h\"\n#include \"lesson/lesson.h\"\n", nullptr},
        {"lesson/a.h", "#include \"platform/errors.h\"\n", nullptr},
        {"playback/a.h", "#pragma once\n\n#include \"app/tform_main.h\"\n",
         "playback/a.h:3: includes \"app/tform_main.h\", from a folder that is not below "
         "playback; playback may include only platform, playback"},
        {"platform/a.cpp", "  #  include \"settings/settingsstore.h\"\n",
         "platform/a.cpp:1: includes \"settings/settingsstore.h\""},
        {"feedback/a.cpp", "#include \"platform/errors.h\"\n",
         "feedback/a.cpp:1: includes \"platform/errors.h\""},
        {"learner/a.cpp", "#include \"sentences/sentencetrack.h\"\n",
         "learner/a.cpp:1: includes \"sentences/sentencetrack.h\""},
        {"sentences/a.cpp", "#include \"support/testutil.h\"\n", "a test helper"},
        {"recovery/a.cpp", "#include <unistd.h>\n", "<unistd.h>, a header of the operating"},
        {"app/a.cpp", "#include <sys/stat.h>\n", "<sys/stat.h>, a header of the operating"},
        {"app/a.cpp", "#include <csignal>\n", "<csignal>, a header of the operating"},
        {"video/a.cpp", "#include <mpv/render_gl.h>\n", "which only platform/ may include"},
        {"platform/a.cpp", "#include <unistd.h>\n#include <mpv/client.h>\n", nullptr},
        {"sentences/a.cpp", "#include <libavformat/avformat.h>\n", nullptr},
        {"app/a.cpp", "#include <QSysInfo>\n#include <cstdio>\n#include <system_error>\n", nullptr},
        {"tests/a.cpp",
         "#include \"support/testutil.h\"\n#include \"app/tform_main.h\"\n"
         "#include <sys/resource.h>\n",
         nullptr},
        {"bench/a.cpp", "#include \"support/tonewav.h\"\n#include <unistd.h>\n", nullptr},
        {"fuzz/a.cpp", "#include <unistd.h>\n", "<unistd.h>, a header of the operating"},
        {"widgets/a.cpp", "#include <QWidget>\n", "the folder widgets is in no layer"},
        {"app/a.cpp", "#include \"widgets/a.h\"\n", "from widgets, a folder in no layer"},
        {"app/a.cpp", "// #include \"app/x.h\"\n#include \"moc_a.cpp\"\n", nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path + std::string(": ") + c.text);
        const QStringList wrong = wrongIncludes(QLatin1String(c.path), QString::fromUtf8(c.text));
        if (!c.found) {
            EXPECT_TRUE(wrong.isEmpty()) << wrong.join(QLatin1Char('\n')).toStdString();
            continue;
        }
        ASSERT_EQ(wrong.size(), 1) << wrong.join(QLatin1Char('\n')).toStdString();
        EXPECT_TRUE(wrong.first().contains(QLatin1String(c.found))) << wrong.first().toStdString();
    }
}

// The table of links is the libraries' own: each folder's CMakeLists.txt
// links exactly the folders the table lists for it.
TEST(Layers, LayersFollowTheLibrariesLinks)
{
    const QString root = QStringLiteral(QUILLMAR_SOURCE_DIR);
    static const QRegularExpression library(QStringLiteral(R"(\bquillmar_([a-z]+)\b)"));
    static const QRegularExpression comment(QStringLiteral("#[^\n]*"));
    for (auto it = links().cbegin(); it != links().cend(); ++it) {
        SCOPED_TRACE(it.key().toStdString());
        QString text =
            readText(root + QLatin1Char('/') + it.key() + QStringLiteral("/CMakeLists.txt"));
        ASSERT_FALSE(text.isEmpty());
        text.remove(comment);
        QSet<QString> linked;
        auto match = library.globalMatch(text);
        while (match.hasNext()) {
            const QString name = match.next().captured(1);
            if (links().contains(name) && name != it.key())
                linked.insert(name);
        }
        QStringList expected = it.value();
        QStringList found = linked.values();
        expected.sort();
        found.sort();
        EXPECT_EQ(found.join(QLatin1Char(' ')).toStdString(),
                  expected.join(QLatin1Char(' ')).toStdString());
    }
}
