// What a learner meets first: the open dialogs' filters, subtitles as the
// answer, the answer coming back with its recording, the help window and its
// guide in both languages, the volume's value, the strip and the seek bar on
// one time scale, and the operations under their old names.
#include "support/testutil.h"

#include "dictation/answertext.h"
#include "help/helpwindow.h"
#include "platform/errors.h"
#include "platform/qttranslations.h"
#include "platform/userguide.h"
#include "playback/resumestore.h"
#include "sentences/waveformview.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSlider>
#include <QStatusBar>
#include <QTest>
#include <QTextBrowser>
#include <QTranslator>
#include <QTreeWidget>

#include <cmath>
#include <memory>

#include <gtest/gtest.h>

using Button = Dialogs::Button;

namespace {

QString entryAt(const QString &filter, int index)
{
    return filter.split(QLatin1Char('|')).value(index * 2);
}

QString iniText(const WindowHarness &h)
{
    return QString::fromUtf8(readAll(h.iniPath()));
}

} // namespace

// Recordings in every supported format show at once, and the type the
// learner picks is the one the next dialog starts on, also after a restart.
TEST(OpenDialogFilter, StartsOnAllSupportedFilesAndKeepsTheLastChoice)
{
    WindowHarness h;
    const QString lesson = h.writeFile(QStringLiteral("lesson.m4a"), "ftyp");
    h.dialogs.fileAnswers.enqueue(lesson);
    h.action(QStringLiteral("Action_OpenSourceFile"))->trigger();
    ASSERT_EQ(h.dialogs.fileDialogs.size(), 1);
    const Dialogs::FileRequest first = h.dialogs.fileDialogs[0].request;
    EXPECT_EQ(entryAt(first.filter, 0), QStringLiteral("音频文件 (*.mp3;*.wma;*.wav)"));
    EXPECT_TRUE(
        entryAt(first.filter, first.filterIndex).startsWith(QStringLiteral("所有支持的文件")));
    // Keeping the default writes nothing.
    EXPECT_FALSE(iniText(h).contains(QStringLiteral("RecordingFilter")));

    h.dialogs.fileAnswers.enqueue(lesson);
    h.dialogs.chosenFilters.enqueue(0);
    h.action(QStringLiteral("Action_OpenSourceFile"))->trigger();
    EXPECT_TRUE(iniText(h).contains(QStringLiteral("[Preferences]\r\nRecordingFilter=0")));
    h.action(QStringLiteral("Action_OpenSourceFile"))->trigger(); // cancelled
    EXPECT_EQ(h.dialogs.fileDialogs.last().request.filterIndex, 0);

    h.window.reset();
    h.dialogs.clear();
    h.create();
    h.action(QStringLiteral("Action_OpenSourceFile"))->trigger();
    EXPECT_EQ(h.dialogs.fileDialogs.last().request.filterIndex, 0);
}

TEST(OpenDialogFilter, AStoredChoiceOutOfRangeFallsBackToAllSupportedFiles)
{
    const struct {
        const char *stored;
        int recording;
        int answer;
    } cases[] = {
        {"1", 1, 1}, {"0", 0, 0}, {"2", 1, 2}, {"3", 1, 2}, {"-1", 1, 2}, {"x", 1, 2}, {"", 1, 2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.stored);
        WindowHarness h(true);
        putFile(h.iniPath(), QByteArray("[Preferences]\r\nRecordingFilter=") + c.stored
                                 + "\r\nAnswerFilter=" + c.stored + "\r\n");
        h.create();
        h.action(QStringLiteral("Action_OpenSourceFile"))->trigger();
        h.action(QStringLiteral("Action_OpenAnswerFile"))->trigger();
        ASSERT_EQ(h.dialogs.fileDialogs.size(), 2);
        EXPECT_EQ(h.dialogs.fileDialogs[0].request.filterIndex, c.recording);
        EXPECT_EQ(h.dialogs.fileDialogs[1].request.filterIndex, c.answer);
    }
}

// A subtitle file is an answer too: the text of its cues, one per line.
TEST(SubtitleAnswer, CueTextsOnePerLineInEveryFormat)
{
    QTemporaryDir dir;
    const struct {
        const char *name;
        QByteArray bytes;
        QString text;
    } cases[] = {
        {"a.srt",
         "1\r\n00:00:01,000 --> 00:00:02,500\r\nThe <i>first</i> line,\r\nin two parts.\r\n\r\n"
         "2\r\n00:00:03,000 --> 00:00:04,000\r\nThe second &amp; last.\r\n",
         QStringLiteral("The first line, in two parts.\r\nThe second & last.\r\n")},
        {"b.VTT",
         "WEBVTT\n\nNOTE a comment\n\n00:01.000 --> 00:02.000 align:start\n你好。\n\n"
         "intro\n00:02.000 --> 00:03.000\n<v Anna>再见。\n",
         QStringLiteral("你好。\r\n再见。\r\n")},
        // The last lyric line has no end of its own and stays.
        {"c.lrc", "[ti:Song]\n[00:05.00]Second\n[00:01.00]First\n[00:09.50]Last\n",
         QStringLiteral("First\r\nSecond\r\nLast\r\n")},
        {"d.srt",
         "\xEF\xBB\xBF"
         "1\n00:00:01,000 --> 00:00:02,000\nBOM\n",
         QStringLiteral("BOM\r\n")},
        // A text answer stays as it is, numbers and all.
        {"e.txt", "1\r\n00:00:01,000 --> 00:00:02,000\r\n",
         QStringLiteral("1\r\n00:00:01,000 --> 00:00:02,000\r\n")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QLatin1String(c.name));
        putFile(path, c.bytes);
        EXPECT_EQ(readAnswerText(path), c.text);
    }
}

TEST(SubtitleAnswer, ASubtitleFileWithoutCuesOrUnreadableIsReported)
{
    QTemporaryDir dir;
    const QString empty = dir.filePath(QStringLiteral("empty.srt"));
    putFile(empty, "no cues here\r\n");
    try {
        readAnswerText(empty);
        ADD_FAILURE() << "no error";
    } catch (const AppError &error) {
        EXPECT_EQ(error.text(), QStringLiteral("字幕文件“%1”中没有可读的字幕。").arg(empty));
    }
    const QString folder = dir.filePath(QStringLiteral("folder.vtt"));
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_THROW(readAnswerText(folder), AppError);
}

TEST(SubtitleAnswer, OpensThroughTheAnswerDialogAndChecksLikeText)
{
    WindowHarness h;
    h.openPlaying(QStringLiteral("rec/lesson.mp3"));
    const QString subtitles = h.writeFile(
        QStringLiteral("elsewhere/lesson.srt"),
        "1\n00:00:01,000 --> 00:00:02,000\nGood morning.\n\n2\n00:00:02,000 --> 00:00:03,000\n"
        "How are you?\n");
    h.dialogs.fileAnswers.enqueue(subtitles);
    h.action(QStringLiteral("Action_OpenAnswerFile"))->trigger();
    const Dialogs::FileRequest request = h.dialogs.fileDialogs.last().request;
    EXPECT_TRUE(request.filter.contains(QStringLiteral("*.srt;*.vtt;*.lrc")));
    EXPECT_TRUE(
        entryAt(request.filter, request.filterIndex).startsWith(QStringLiteral("所有支持的文件")));
    EXPECT_EQ(h.answer().fileName(), subtitles);
    EXPECT_TRUE(h.widget<QPlainTextEdit>("Memo_Answer")
                    ->toPlainText()
                    .startsWith(QStringLiteral("Good morning.\nHow are you?\n")));
    EXPECT_TRUE(h.answer().find(QStringLiteral("How are you")).has_value());
    EXPECT_TRUE(h.dialogs.messages.isEmpty());
}

namespace {

struct Resuming : WindowHarness {
    QTemporaryDir shared;
    Resuming() : WindowHarness(true)
    {
        resumeFile = shared.filePath(QStringLiteral("resume.json"));
        create();
        w().setWait([](int) {});
    }
    void reopen(const QString &recording)
    {
        dialogs.answers.enqueue(Button::No); // a changed document is not saved
        w().OpenSourceFile(recording);
        player.length = 200.0;
        player.setStateAndNotify(MediaPlayer::Playing);
        FakePlayer::flushEvents();
    }
};

} // namespace

TEST(AnswerComesBack, ReopeningARecordingReopensItsAnswer)
{
    Resuming h;
    h.openPlaying(QStringLiteral("rec/one.mp3"));
    const QString one = h.source().path();
    const QString answer = h.writeFile(QStringLiteral("answers/one.txt"), "Good morning.\r\n");
    h.answer().open(answer);
    h.dialogs.answers.enqueue(Button::No);        // the new document is not saved
    h.openPlaying(QStringLiteral("rec/two.mp3")); // closes the answer with one.mp3
    const QString two = h.source().path();
    EXPECT_TRUE(h.answer().fileName().isEmpty());

    h.reopen(one);
    EXPECT_EQ(h.answer().fileName(), answer);
    EXPECT_EQ(h.widget<QLabel>("Label_AnswerFileName")->text(),
              QStringLiteral("  答案文件: ") + answer);
    // A recording left without an answer opens without one.
    h.reopen(two);
    EXPECT_TRUE(h.answer().fileName().isEmpty());

    // Gone meanwhile: the recording opens all the same, with one status line.
    h.reopen(one);
    ASSERT_TRUE(QFile::remove(answer));
    h.reopen(two);
    h.reopen(one);
    EXPECT_TRUE(h.answer().fileName().isEmpty());
    EXPECT_EQ(h.source().path(), one);
    EXPECT_TRUE(h.doc().isOpen());
    // Only the questions about saving the new documents; nothing about the answer.
    for (const QString &text : h.dialogs.messageTexts())
        EXPECT_EQ(text, QStringLiteral("您当前听写的内容要保存吗？"));
    EXPECT_EQ(h.widget<QLabel>("Label_AnswerNotice")->text(),
              QStringLiteral("上次的答案文件“%1”已不在，没有打开。").arg(answer));
    // The next recording brings its own notices.
    h.reopen(two);
    EXPECT_TRUE(h.widget<QLabel>("Label_AnswerNotice")->text().isEmpty());
}

// The answer file is part of the place, whichever store keeps the places.
TEST(AnswerComesBack, AfterARestartWithEitherStore)
{
    for (const bool database : {false, true}) {
        SCOPED_TRACE(database ? "learner database" : "resume file");
        QTemporaryDir shared;
        WindowHarness h(true);
        h.resumeFile = shared.filePath(QStringLiteral("resume.json"));
        if (database)
            h.learnerDatabase = shared.filePath(QStringLiteral("learner.sqlite"));
        h.create();
        h.openPlaying(QStringLiteral("rec/one.mp3"));
        const QString recording = h.source().path();
        const QString answer = h.writeFile(QStringLiteral("答案/one.vtt"),
                                           "WEBVTT\n\n00:01.000 --> 00:02.000\nHello.\n");
        h.answer().open(answer);
        h.dialogs.answers.enqueue(Button::No); // the new document is not saved
        h.w().close();
        ASSERT_FALSE(h.w().isVisible());
        h.window.reset();

        h.create();
        h.w().OpenSourceFile(recording);
        EXPECT_EQ(h.answer().fileName(), answer);
        EXPECT_TRUE(h.widget<QPlainTextEdit>("Memo_Answer")
                        ->toPlainText()
                        .startsWith(QStringLiteral("Hello.\n")));
    }
}

TEST(AnswerComesBack, TheResumePlaceKeepsTheAnswerFileAndReadsOlderEntries)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("resume.json"));
    // An entry written before answers were kept.
    putFile(path, R"([{"path":"/old.mp3","loopStart":1,"loopEnd":2,"position":3}])");
    ResumeStore store(path);
    ASSERT_TRUE(store.find(QStringLiteral("/old.mp3")));
    EXPECT_TRUE(store.find(QStringLiteral("/old.mp3"))->answerFile.isEmpty());
    ResumePoint point;
    point.answerFile = QStringLiteral("/答案 & notes/第一课.srt");
    ASSERT_TRUE(store.remember(QStringLiteral("/new.mp3"), point));
    EXPECT_EQ(ResumeStore(path).find(QStringLiteral("/new.mp3"))->answerFile, point.answerFile);
    EXPECT_DOUBLE_EQ(ResumeStore(path).find(QStringLiteral("/old.mp3"))->loopEnd, 2.0);
}

namespace {

struct ChosenLanguage {
    explicit ChosenLanguage(InterfaceLanguage language)
    {
        EXPECT_TRUE(installTranslations(*qApp, language));
    }
    ~ChosenLanguage()
    {
        qDeleteAll(qApp->findChildren<QTranslator *>(QString(), Qt::FindDirectChildrenOnly));
    }
};

QString guideFolder(InterfaceLanguage language)
{
    return QStringLiteral(QUILLMAR_SOURCE_DIR "/docs/guide/") + guideLanguageFolder(language);
}

QString fileText(const QString &path)
{
    return QString::fromUtf8(readAll(path));
}

} // namespace

// F1 shows the guide of the interface language in the program's own window,
// whose contents, links and search lead through the whole guide.
TEST(HelpWindow, F1OpensTheGuideOfTheInterfaceLanguageAndItsLinksWork)
{
    for (const InterfaceLanguage language :
         {InterfaceLanguage::Chinese, InterfaceLanguage::English}) {
        const bool english = language == InterfaceLanguage::English;
        SCOPED_TRACE(english ? "English" : "Chinese");
        const ChosenLanguage chosen(language);
        WindowHarness h(true);
        h.language = language;
        h.create();
        h.action(QStringLiteral("Action_Help"))->trigger();
        EXPECT_TRUE(h.dialogs.messages.isEmpty());
        EXPECT_TRUE(h.shell.opened.isEmpty()) << "no web browser is needed";
        auto *help = h.w().findChild<HelpWindow *>();
        ASSERT_TRUE(help);
        EXPECT_TRUE(help->isVisible());
        const QString index = guideFolder(language) + QStringLiteral("/index.html");
        EXPECT_EQ(help->source(), QUrl::fromLocalFile(index));
        EXPECT_EQ(help->windowTitle(), english ? QStringLiteral("Quillmar Help")
                                               : QStringLiteral("Quillmar奎尔玛 帮助"));
        auto *browser = help->findChild<QTextBrowser *>(QStringLiteral("TextBrowser_Guide"));
        ASSERT_TRUE(browser);
        EXPECT_EQ(browser->documentTitle(), english ? QStringLiteral("Quillmar User Guide")
                                                    : QStringLiteral("Quillmar奎尔玛 使用说明"));

        // Every entry of the contents shows its page.
        auto *contents = help->findChild<QTreeWidget *>(QStringLiteral("TreeWidget_Contents"));
        ASSERT_TRUE(contents);
        ASSERT_EQ(contents->topLevelItemCount(), 6);
        for (int i = 0; i < contents->topLevelItemCount(); ++i) {
            QTreeWidgetItem *item = contents->topLevelItem(i);
            SCOPED_TRACE(item->text(0).toStdString());
            const QRect place = contents->visualItemRect(item);
            QTest::mouseClick(contents->viewport(), Qt::LeftButton, {}, place.center());
            const QUrl shown = help->source();
            EXPECT_TRUE(QFileInfo(shown.toLocalFile()).isFile()) << shown.toString().toStdString();
            EXPECT_FALSE(browser->toPlainText().trimmed().isEmpty());
            EXPECT_EQ(contents->currentItem(), item);
        }
        // Back and forward retrace the way.
        help->findChild<QAction *>(QStringLiteral("Action_HelpHome"))->trigger();
        EXPECT_EQ(help->source(), QUrl::fromLocalFile(index));
        help->findChild<QAction *>(QStringLiteral("Action_HelpBack"))->trigger();
        EXPECT_EQ(help->source().fileName(), QStringLiteral("keys.html"));
        help->findChild<QAction *>(QStringLiteral("Action_HelpForward"))->trigger();
        EXPECT_EQ(help->source(), QUrl::fromLocalFile(index));

        // A link opens the page it names; the web goes to the shell.
        help->followLink(QUrl(QStringLiteral("checking.html#feedback")));
        EXPECT_EQ(help->source(),
                  QUrl::fromLocalFile(guideFolder(language) + QStringLiteral("/checking.html"))
                      .resolved(QUrl(QStringLiteral("#feedback"))));
        help->followLink(QUrl(QStringLiteral("https://example.org/")));
        EXPECT_EQ(h.shell.opened, QStringList{QStringLiteral("https://example.org/")});

        // The search goes on to later pages, and says when there is nothing.
        help->followLink(QUrl(QStringLiteral("index.html")));
        EXPECT_TRUE(help->find(english ? QStringLiteral("GBK") : QStringLiteral("GBK")));
        EXPECT_EQ(help->source().fileName(), QStringLiteral("files.html"));
        EXPECT_FALSE(help->find(QStringLiteral("xyzzy-not-in-the-guide")));
        EXPECT_TRUE(help->statusBar()->currentMessage().contains(QStringLiteral("xyzzy")));

        // F1 again brings the same window back, its history kept.
        h.action(QStringLiteral("Action_Help"))->trigger();
        EXPECT_EQ(h.w().findChildren<HelpWindow *>().size(), 1);
        EXPECT_EQ(help->source().fileName(), QStringLiteral("files.html"));
    }
}

// The English window writes its accelerators the English way, each key
// taken once, and the loop label keeps its two halves apart.
TEST(EnglishWording, AcceleratorsAreEnglishAndUnique)
{
    const ChosenLanguage english(InterfaceLanguage::English);
    WindowHarness h;
    EXPECT_EQ(h.widget<QLabel>("LabeledEdit_DictationLabel")->text(), QStringLiteral("&Dictation"));
    EXPECT_EQ(h.widget<QPushButton>("Button_Apply")->text(), QStringLiteral("&Apply"));
    EXPECT_EQ(h.widget<QLabel>("Label_LoopInfo")->text(),
              QStringLiteral("  Loop start: not set · End: not set"));
    static const QRegularExpression mnemonic(QStringLiteral("&([^&])"));
    QStringList keys;
    for (const QWidget *w : h.w().centralWidget()->findChildren<QWidget *>()) {
        QString text;
        if (auto *label = qobject_cast<const QLabel *>(w); label && label->buddy())
            text = label->text();
        else if (auto *button = qobject_cast<const QAbstractButton *>(w))
            text = button->text();
        const QRegularExpressionMatch m = mnemonic.match(text);
        if (!m.hasMatch())
            continue;
        EXPECT_FALSE(text.contains(QLatin1Char('('))) << text.toStdString();
        const QString key = m.captured(1).toLower();
        EXPECT_FALSE(keys.contains(key)) << text.toStdString();
        keys << key;
    }
    EXPECT_GE(keys.size(), 2);
}

// Every link and picture of every page of both guides leads to a file of
// the guide, and nothing is loaded from elsewhere.
TEST(HelpWindow, EveryLinkOfTheGuideLeadsToAFileOfIt)
{
    static const QRegularExpression reference(QStringLiteral("(?:href|src)=\"([^\"]*)\""));
    const QDir guide(QStringLiteral(QUILLMAR_SOURCE_DIR "/docs/guide"));
    int pages = 0;
    int links = 0;
    QDirIterator it(guide.path(), {QStringLiteral("*.html")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString page = it.next();
        ++pages;
        const QString text = fileText(page);
        for (const QRegularExpressionMatch &m : reference.globalMatch(text)) {
            ++links;
            const QUrl link(m.captured(1));
            SCOPED_TRACE((page + QStringLiteral(": ") + m.captured(1)).toStdString());
            ASSERT_TRUE(link.scheme().isEmpty()) << "the guide loads nothing from elsewhere";
            const QString target =
                QFileInfo(page).dir().filePath(link.adjusted(QUrl::RemoveFragment).path());
            ASSERT_TRUE(QFileInfo(target).isFile());
            if (link.hasFragment()) {
                EXPECT_TRUE(
                    fileText(target).contains(QStringLiteral("id=\"%1\"").arg(link.fragment())));
            }
            EXPECT_TRUE(
                QDir::cleanPath(QFileInfo(target).absoluteFilePath()).startsWith(guide.path()));
        }
    }
    EXPECT_GE(pages, 13);
    EXPECT_GT(links, 40);
}

TEST(HelpWindow, TheGuideOfTheOtherLanguageStandsInAndNoneAtAllIsSaid)
{
    QTemporaryDir dir;
    const QString bin = dir.filePath(QStringLiteral("usr/bin"));
    const QString chinese =
        dir.filePath(QStringLiteral("usr/share/quillmar/guide/zh_CN/index.html"));
    putFile(chinese, "<html></html>");
    EXPECT_EQ(userGuidePath(bin, InterfaceLanguage::Chinese), chinese);
    // The installed guide comes before the one of the source tree, even in
    // the other language.
    EXPECT_EQ(userGuidePath(bin + QLatin1Char('/'), InterfaceLanguage::English),
              guideFolder(InterfaceLanguage::English) + QStringLiteral("/index.html"));
    const QString english = dir.filePath(QStringLiteral("usr/share/quillmar/guide/en/index.html"));
    putFile(english, "<html></html>");
    EXPECT_EQ(userGuidePath(bin, InterfaceLanguage::English), english);
    EXPECT_TRUE(helpFilePath(bin).isEmpty());
}

// The volume slider says its value.
TEST(Volume, ThePercentageStandsBesideTheSliderAndInItsToolTip)
{
    const struct {
        const char *stored;
        int shown;
    } cases[] = {{nullptr, 100}, {"35", 35}, {"0", 0}, {"250", 100}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "default");
        WindowHarness h(true);
        if (c.stored)
            putFile(h.iniPath(), QByteArray("[Preferences]\r\nVolume=") + c.stored + "\r\n");
        h.create();
        auto *slider = h.widget<QSlider>("TrackBar_Volume");
        auto *label = h.widget<QLabel>("Label_Volume");
        EXPECT_EQ(label->text(), QStringLiteral("%1%").arg(c.shown));
        EXPECT_EQ(slider->toolTip(), QStringLiteral("音量: %1%").arg(c.shown));
        h.action(QStringLiteral("Action_VolumeDown"))->trigger();
        const int lower = std::max(0, c.shown - 10);
        EXPECT_EQ(label->text(), QStringLiteral("%1%").arg(lower));
        EXPECT_EQ(slider->toolTip(), QStringLiteral("音量: %1%").arg(lower));
        EXPECT_EQ(h.player.volumePercent, lower);
    }
}

// The strip above the seek bar shows each moment where the groove does.
TEST(TimeScale, StripAndGrooveMapTheSameTimeToTheSameXAtAnyWidth)
{
    WindowHarness h;
    h.openPlaying(QStringLiteral("lesson.mp3"), 200.0);
    auto *strip = h.widget<WaveformView>("WaveformView");
    auto *bar = h.widget<TDragTrackBar>("DragTrackBar1");
    auto envelope = std::make_shared<Envelope>();
    envelope->duration = 200.0;
    envelope->levels.assign(20000, 0.5f);
    strip->setEnvelope(envelope);
    h.w().setWindowState(Qt::WindowNoState);
    h.w().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(h.window.get()));
    for (const int width : {700, 1013, 1600}) {
        SCOPED_TRACE(width);
        h.w().resize(width, 600);
        ASSERT_TRUE(QTest::qWaitFor([&] { return bar->width() > width - 40; }, 5000));
        for (const double seconds : {0.0, 0.2, 33.3, 100.0, 150.05, 199.9, 200.0}) {
            SCOPED_TRACE(seconds);
            const int value = int(std::lround(seconds / 200.0 * bar->maximum()));
            const double groove = bar->mapTo(h.window.get(), QPoint(bar->xForValue(value), 0)).x();
            const double drawn =
                strip->mapTo(h.window.get(), QPoint(0, 0)).x() + strip->xForTime(seconds);
            EXPECT_LT(std::abs(groove - drawn), 1.0) << groove << " " << drawn;
        }
    }
}

// The operations that moved into feature objects answer under their old
// names on the window.
TEST(OldNames, TheWindowForwardsToTheFeatures)
{
    WindowHarness h;
    const QString a = h.writeFile(QStringLiteral("a.mp3"), "ID3");
    const QString b = h.writeFile(QStringLiteral("b.mp3"), "ID3");
    putFile(h.iniPath(), defaultOptionsPart() + "[LastFiles]\r\nItem01=" + a.toUtf8() + "\r\n");
    h.w().LoadRecentFiles();
    h.w().BuildRecentMenu();
    QMenu *menu = h.widget<QMenu>("Menu_RecentplayList");
    ASSERT_FALSE(menu->actions().isEmpty());
    EXPECT_TRUE(menu->actions().first()->text().contains(QStringLiteral("a.mp3")));
    h.w().AddRecentFile(b);
    EXPECT_EQ(h.recentList()->value(0), b);
    EXPECT_TRUE(menu->actions().first()->text().contains(QStringLiteral("b.mp3")));
    EXPECT_TRUE(iniText(h).contains(QStringLiteral("Item01=") + b));

    h.openPlaying(QStringLiteral("c.mp3"));
    h.w().SetLoopPoints(2.0, 5.0);
    EXPECT_EQ(h.loop().start(), 2.0);
    EXPECT_EQ(h.loop().end(), 5.0);
    h.player.calls.clear();
    h.w().PlayOrPause();
    h.w().StopPlayback();
    EXPECT_EQ(h.player.calls, (QStringList{QStringLiteral("pause"), QStringLiteral("stop")}));
    h.w().SetSourceFileName(QString());
    EXPECT_EQ(h.widget<QLabel>("Label_SourceFileName")->text(),
              QStringLiteral("  语音文件: 未指定"));

    TOptionFlags flags;
    flags.VerifyBeforeApplying = true;
    h.settings().setOptions(flags);
    h.w().SaveOptions();
    h.settings().setOptions(TOptionFlags());
    h.w().LoadOptions();
    EXPECT_TRUE(h.settings().options().VerifyBeforeApplying);
    ASSERT_TRUE(QFile::remove(h.iniPath()));
    h.w().EnsureSettingsFile();
    EXPECT_TRUE(readAll(h.iniPath()).startsWith(defaultOptionsPart()));
}
