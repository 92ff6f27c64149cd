// The answer file: opening and closing it, its filler lines, the answer
// lines (display lines) the check works on, and scrolling to a hit.
#include "support/testutil.h"

#include "dictation/textfile.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <gtest/gtest.h>

using Button = Dialogs::Button;
using Icon = Dialogs::Icon;

namespace {

const QString NoMatch = QStringLiteral("没有找到符合条件的内容");

QString paragraph()
{
    QString text;
    for (int i = 0; i < 120; ++i)
        text += QStringLiteral("word%1 ").arg(i);
    return text + QStringLiteral("end.");
}

QByteArray numberedLines(const char *format, int count, bool finalBreak = true)
{
    QByteArray bytes;
    for (int i = 1; i <= count; ++i) {
        if (i > 1)
            bytes += "\r\n";
        bytes += QByteArray(format).replace("%1", QByteArray::number(i));
    }
    return finalBreak ? bytes + "\r\n" : bytes;
}

// A recording playing in a folder of its own, its document open, every
// option off, and the window shown at a fixed size with the dictation page in
// front.
struct Answering : WindowHarness {
    Answering()
    {
        openPlaying(QStringLiteral("rec/lesson.mp3"));
        settings().setOptions(TOptionFlags());
        w().setWait([](int) {});
        w().setWindowState(Qt::WindowNoState);
        w().resize(1000, 700);
        w().show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        dialogs.clear();
    }
    TForm_Main &w() { return *window; }
    QPlainTextEdit *view() { return widget<QPlainTextEdit>("Memo_Answer"); }

    QString open(const QString &name, const QByteArray &bytes)
    {
        const QString path = writeFile(name, bytes);
        dialogs.fileAnswers.enqueue(path);
        action(QStringLiteral("Action_OpenAnswerFile"))->trigger();
        return path;
    }

    QStringList lines()
    {
        QStringList result;
        const int count = answer().lineCount();
        for (int i = 0; i < count; ++i)
            result << answer().line(i);
        return result;
    }

    // Display lines of a block, as the view has laid it out.
    int displayLines(int block)
    {
        return view()->document()->findBlockByNumber(block).layout()->lineCount();
    }

    int topLine() { return view()->verticalScrollBar()->value(); }
    int topBlock() { return view()->cursorForPosition(QPoint(1, 1)).blockNumber(); }

    bool apply(const QString &text)
    {
        setOption(&TOptionFlags::VerifyBeforeApplying, true);
        widget<QLineEdit>("LabeledEdit_Dictation")->setText(text);
        const QString before = doc().text();
        clickApply();
        return doc().text() != before;
    }

    void showAnswerPage()
    {
        widget<QTabWidget>("PageControl1")->setCurrentIndex(1);
        QApplication::processEvents();
        ASSERT_TRUE(view()->isVisible());
    }
};

QStringList repeated(const QString &line, int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list << line;
    return list;
}

} // namespace

TEST(Filler, TwelveLinesWithAFinalBreakGiveTwentyFourAnswerLines)
{
    Answering h;
    const QString path = h.open(QStringLiteral("answer.txt"), numberedLines("line %1", 12));
    QStringList expected;
    for (int i = 1; i <= 12; ++i)
        expected << QStringLiteral("line %1").arg(i);
    EXPECT_EQ(h.lines(), expected + repeated(QString(), 12));
    EXPECT_EQ(h.view()->toPlainText(),
              expected.join(QLatin1Char('\n')) + QString(13, QLatin1Char('\n')));
    EXPECT_EQ(h.answer().fileName(), path);
    EXPECT_EQ(h.widget<QLabel>("Label_AnswerFileName")->text(),
              QStringLiteral("  答案文件: ") + path);
    EXPECT_TRUE(h.dialogs.messages.isEmpty());
}

TEST(Filler, WithoutAFinalBreakOneVisibleFillerLineFewer)
{
    Answering h;
    h.open(QStringLiteral("answer.txt"), numberedLines("line %1", 12, false));
    QStringList expected;
    for (int i = 1; i <= 12; ++i)
        expected << QStringLiteral("line %1").arg(i);
    // The first appended empty line only ends "line 12".
    EXPECT_EQ(h.lines(), expected + repeated(QString(), 11));
    EXPECT_EQ(h.view()->toPlainText(),
              expected.join(QLatin1Char('\n')) + QString(12, QLatin1Char('\n')));
}

TEST(Filler, LoneCrAndLfEndLinesToo)
{
    Answering h;
    h.open(QStringLiteral("answer.txt"), "one\rtwo\nthree\r\n");
    EXPECT_EQ(h.lines(),
              (QStringList{QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")}
               + repeated(QString(), 3)));
}

// A long answer is laid out and filled between events, so opening it does
// not hold the window; asking for its lines before that is done finishes it.
TEST(DisplayLines, ALongAnswerIsLaidOutBetweenEvents)
{
    const int count = 12000;
    for (const bool askAtOnce : {false, true}) {
        SCOPED_TRACE(askAtOnce);
        Answering h;
        h.open(QStringLiteral("answer.txt"),
               paragraph().toUtf8() + "\r\n" + numberedLines("row %1.", count));
        QTextDocument *document = h.view()->document();
        EXPECT_LT(document->blockCount(), 2 * (count + 1));
        if (!askAtOnce) {
            // The text's blocks, its empty last block, and a filler line for
            // each display line of the text.
            const int filled = count + 2 + count + h.displayLines(0);
            EXPECT_TRUE(QTest::qWaitFor([&] { return document->blockCount() == filled; }, 20000));
        }
        EXPECT_EQ(h.answer().lineCount(), 2 * (count + h.displayLines(0)));
        EXPECT_TRUE(h.apply(QStringLiteral("row 11990")));
        EXPECT_EQ(h.topBlock(), 11990);
        EXPECT_EQ(h.topLine(), h.displayLines(0) + 11989);
    }
}

TEST(DisplayLines, AWrappedParagraphCountsItsDisplayLinesAndAsManyFillers)
{
    Answering h;
    h.open(QStringLiteral("answer.txt"), paragraph().toUtf8() + "\r\n");
    const QStringList lines = h.lines();
    const int n = h.displayLines(0);
    ASSERT_GE(n, 3);
    ASSERT_EQ(lines.size(), 2 * n);
    EXPECT_EQ(lines.mid(0, n).join(QString()), paragraph());
    EXPECT_EQ(lines.mid(n), repeated(QString(), n));
}

TEST(DisplayLines, ATextOverTwoDisplayLinesIsFoundOverThreeIsNot)
{
    Answering h;
    h.open(QStringLiteral("answer.txt"), paragraph().toUtf8() + "\r\n");
    const QStringList lines = h.lines();
    ASSERT_GE(h.displayLines(0), 3);
    const QString two = (lines[0] + lines[1]).trimmed();
    EXPECT_TRUE(h.apply(two));
    EXPECT_TRUE(h.dialogs.messages.isEmpty());

    EXPECT_FALSE(h.apply((lines[0] + lines[1] + lines[2]).trimmed()));
    EXPECT_EQ(h.dialogs.messageTexts(), QStringList{NoMatch});
}

TEST(DisplayLines, TheSameWhetherTheAnswerPageShowsOrNot)
{
    Answering h;
    h.open(QStringLiteral("answer.txt"), paragraph().toUtf8() + "\r\nshort\r\n");
    const QStringList hidden = h.lines();
    const int n = h.displayLines(0);
    ASSERT_GE(n, 3);
    h.showAnswerPage();
    EXPECT_EQ(h.displayLines(0), n);
    EXPECT_EQ(h.lines(), hidden);
}

TEST(DisplayLines, FollowTheWidthOfTheView)
{
    for (const bool answerPageShowing : {false, true}) {
        SCOPED_TRACE(answerPageShowing);
        Answering h;
        if (answerPageShowing)
            h.showAnswerPage();
        h.open(QStringLiteral("answer.txt"), paragraph().toUtf8() + "\r\n");
        const int wide = h.displayLines(0);
        ASSERT_EQ(h.answer().lineCount(), 2 * wide);

        h.w().resize(700, 700);
        QApplication::processEvents();
        // The fillers were counted when the file was opened.
        const int count = h.answer().lineCount();
        const int narrow = h.displayLines(0);
        EXPECT_GT(narrow, wide);
        EXPECT_EQ(count, narrow + wide);
        EXPECT_EQ(h.lines().mid(0, narrow).join(QString()), paragraph());
    }
}

TEST(Scroll, AHitBringsItsLineToTheTop)
{
    Answering h;
    QByteArray bytes = paragraph().toUtf8() + "\r\n" + numberedLines("short line %1.", 40);
    h.open(QStringLiteral("answer.txt"), bytes);
    const int n = h.displayLines(0);
    ASSERT_GE(n, 3);

    // The answer page does not have to show.
    EXPECT_TRUE(h.apply(QStringLiteral("short line 30")));
    EXPECT_EQ(h.topLine(), n + 29);
    EXPECT_EQ(h.topBlock(), 30);

    h.showAnswerPage();
    EXPECT_EQ(h.topBlock(), 30);

    EXPECT_TRUE(h.apply(QStringLiteral("short line 7")));
    EXPECT_EQ(h.topLine(), n + 6);
    EXPECT_EQ(h.topBlock(), 7);

    // A hit in the second display line of the paragraph.
    const QString second = h.answer().line(1).trimmed();
    EXPECT_TRUE(h.apply(second.section(QLatin1Char(' '), 1, 2)));
    EXPECT_EQ(h.topLine(), 1);
    EXPECT_EQ(h.topBlock(), 0);
    EXPECT_TRUE(h.dialogs.messages.isEmpty());
}

TEST(Scroll, BeyondSixteenBitsOfLines)
{
    Answering h;
    h.open(QStringLiteral("answer.txt"), numberedLines("row %1.", 70000));
    EXPECT_EQ(h.answer().lineCount(), 140000);
    EXPECT_TRUE(h.apply(QStringLiteral("row 69990")));
    EXPECT_EQ(h.topLine(), 69989);
    EXPECT_EQ(h.topBlock(), 69989);
    EXPECT_TRUE(h.dialogs.messages.isEmpty());
}

TEST(Encoding, GbkAnswerAndTheChineseFullStopAsTail)
{
    Answering h;
    const QString text = QStringLiteral("我去了公园。然后回家了。\r\n");
    h.open(QStringLiteral("answer.txt"), encodeText(text, TextFileContent::Encoding::Gb18030));
    ASSERT_EQ(h.answer().line(0), QStringLiteral("我去了公园。然后回家了。"));
    EXPECT_TRUE(h.apply(QStringLiteral("我去了公园")));
    EXPECT_TRUE(h.doc().text().endsWith(QStringLiteral("\r\n我去了公园。\r\n\r\n")));
}

TEST(SameFile, TheDictationIsNeverSavedUnderTheAnswersName)
{
    Answering h;
    const QString answer = h.open(QStringLiteral("sub/answer.txt"), "The answer.\r\n");
    const QString link = h.path(QStringLiteral("link.txt"));
    ASSERT_TRUE(QFile::link(answer, link));
    ASSERT_TRUE(h.doc().isModified()); // the new document's header

    for (const QString &name : {answer, link, h.path(QStringLiteral("sub/../sub/answer.txt")),
                                h.path(QStringLiteral("sub/./answer.txt"))}) {
        SCOPED_TRACE(name.toStdString());
        h.dialogs.clear();
        h.dialogs.fileAnswers.enqueue(name);
        h.action(QStringLiteral("Action_SaveAsDictationFile"))->trigger();
        EXPECT_EQ(h.dialogs.messageTexts(),
                  QStringList{QStringLiteral("听写文件和答案文件名相同，请另存！")});
        // Saving under the name now taken is refused too.
        h.action(QStringLiteral("Action_SaveDictationFile"))->trigger();
        EXPECT_EQ(h.dialogs.messageTexts(),
                  (QStringList{QStringLiteral("听写文件和答案文件名相同，请另存！"),
                               QStringLiteral("听写文件和答案文件相同，请另存！")}));
        EXPECT_EQ(readAll(answer), QByteArray("The answer.\r\n"));
    }

    // Another name is fine.
    h.dialogs.clear();
    const QString other = h.path(QStringLiteral("other.txt"));
    h.dialogs.fileAnswers.enqueue(other);
    h.action(QStringLiteral("Action_SaveAsDictationFile"))->trigger();
    EXPECT_TRUE(h.dialogs.messages.isEmpty());
    EXPECT_TRUE(readAll(other).startsWith("听写记录"));
}

TEST(Dialog, StartsInTheRecordingsFolder)
{
    Answering h;
    h.action(QStringLiteral("Action_OpenAnswerFile"))->trigger(); // cancelled
    ASSERT_EQ(h.dialogs.fileDialogs.size(), 1);
    const FakeDialogs::FileDialog &d = h.dialogs.fileDialogs[0];
    EXPECT_FALSE(d.save);
    EXPECT_EQ(d.request.title, QStringLiteral("请选择答案文件"));
    // Text files first, then subtitles, and both together chosen.
    EXPECT_EQ(
        d.request.filter,
        QStringLiteral("文本文件 (*.txt)|*.txt|字幕文件 (*.srt;*.vtt;*.lrc)|*.srt;*.vtt;*.lrc|"
                       "所有支持的文件 (*.txt;*.srt;*.vtt;*.lrc)|*.txt;*.srt;*.vtt;*.lrc"));
    EXPECT_EQ(d.request.filterIndex, 2);
    EXPECT_TRUE(d.request.fileMustExist);
    EXPECT_TRUE(d.request.fileName.isEmpty());
    EXPECT_EQ(d.request.initialDir, h.path(QStringLiteral("rec")) + QLatin1Char('/'));

    h.dialogs.answers.enqueue(Button::No); // discard the document
    h.action(QStringLiteral("Action_CloseSourceFile"))->trigger();
    h.dialogs.clear();
    h.action(QStringLiteral("Action_OpenAnswerFile"))->trigger();
    ASSERT_EQ(h.dialogs.fileDialogs.size(), 1);
    EXPECT_TRUE(h.dialogs.fileDialogs[0].request.initialDir.isEmpty());
}

TEST(Dialog, CancelledOrGoneKeepsTheOpenAnswer)
{
    Answering h;
    const QString path = h.open(QStringLiteral("answer.txt"), "kept\r\n");
    QDir().mkpath(h.path(QStringLiteral("folder.txt")));
    for (const std::optional<QString> &chosen :
         {std::optional<QString>(), std::optional<QString>(h.path(QStringLiteral("gone.txt"))),
          std::optional<QString>(h.path(QStringLiteral("folder.txt")))}) {
        h.dialogs.fileAnswers.enqueue(chosen);
        h.action(QStringLiteral("Action_OpenAnswerFile"))->trigger();
        EXPECT_EQ(h.answer().fileName(), path);
        EXPECT_EQ(h.lines(), (QStringList{QStringLiteral("kept"), QString()}));
    }
    EXPECT_TRUE(h.dialogs.messages.isEmpty());
}

TEST(Lifecycle, LabelAndViewThroughOpenReopenAndClose)
{
    WindowHarness fresh;
    EXPECT_EQ(fresh.widget<QLabel>("Label_AnswerFileName")->text(), QStringLiteral("  答案文件"));
    fresh.action(QStringLiteral("Action_CloseAnswerFile"))->trigger();
    EXPECT_EQ(fresh.widget<QLabel>("Label_AnswerFileName")->text(), QStringLiteral("  答案文件"));

    Answering h;
    const QString path = h.open(QStringLiteral("answer.txt"), "first\r\n");
    EXPECT_EQ(h.lines(), (QStringList{QStringLiteral("first"), QString()}));
    h.open(QStringLiteral("answer.txt"), "second\r\nthird\r\n"); // the same file again, changed
    EXPECT_EQ(h.lines(), (QStringList{QStringLiteral("second"), QStringLiteral("third"), QString(),
                                      QString()}));
    EXPECT_EQ(h.widget<QLabel>("Label_AnswerFileName")->text(),
              QStringLiteral("  答案文件: ") + path);

    h.action(QStringLiteral("Action_CloseAnswerFile"))->trigger();
    EXPECT_TRUE(h.view()->toPlainText().isEmpty());
    EXPECT_EQ(h.answer().lineCount(), 0);
    EXPECT_TRUE(h.answer().fileName().isEmpty());
    EXPECT_EQ(h.widget<QLabel>("Label_AnswerFileName")->text(),
              QStringLiteral("  答案文件: 未指定"));
}

TEST(Lifecycle, OpeningARecordingClosesTheAnswer)
{
    Answering h;
    h.open(QStringLiteral("answer.txt"), "answer\r\n");
    h.dialogs.answers.enqueue(Button::No); // discard the document
    h.openPlaying(QStringLiteral("other.mp3"));
    h.dialogs.clear();
    EXPECT_TRUE(h.view()->toPlainText().isEmpty());
    EXPECT_TRUE(h.answer().fileName().isEmpty());
    EXPECT_EQ(h.widget<QLabel>("Label_AnswerFileName")->text(),
              QStringLiteral("  答案文件: 未指定"));
    // With no answer lines, the check is not made.
    EXPECT_TRUE(h.apply(QStringLiteral("anything")));
    EXPECT_TRUE(h.dialogs.messages.isEmpty());
}
