// The dictation document: new, open, save, save as, close, and its file.
#include "support/filesizelimit.h"
#include "support/testutil.h"

#include "dictation/samefile.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringEncoder>

#include <gtest/gtest.h>

using Button = Dialogs::Button;
using Icon = Dialogs::Icon;

namespace {

const QByteArray NewDocumentHeader = QByteArray("听写记录\r\n语音文件: ");

struct Doc : WindowHarness {
    void run(const char *name) { action(QLatin1String(name))->trigger(); }
    TForm_Main &w() { return *window; }
    QString recording(const QString &name = QStringLiteral("lesson1.mp3"))
    {
        return writeFile(name, "ID3");
    }
};

} // namespace

TEST(NewDocument, WithARecordingHoldsTheHeaderAndCountsAsChanged)
{
    Doc h;
    const QString rec = h.recording();
    h.w().OpenSourceFile(rec);
    h.dialogs.answers.enqueue(Button::No); // discard the companion's header
    h.run("Action_CreateDictationFile");
    EXPECT_EQ(h.doc().text(),
              QStringLiteral("听写记录\r\n语音文件: ") + rec + QStringLiteral("\r\n"));
    EXPECT_EQ(h.widget<QLabel>("Label_DictationFileName")->text(),
              QStringLiteral("  听写文件: 未指定"));
    EXPECT_TRUE(h.doc().isModified());
    EXPECT_TRUE(h.doc().isOpen());
    EXPECT_TRUE(h.widget<QPlainTextEdit>("Memo_Dictation")->isEnabled());
    EXPECT_TRUE(h.widget<QLineEdit>("LabeledEdit_Dictation")->isEnabled());
    EXPECT_TRUE(h.widget<QPushButton>("Button_Apply")->isEnabled());

    // Ctrl+S on an unnamed document asks for a name.
    h.dialogs.clear();
    h.run("Action_SaveDictationFile");
    ASSERT_EQ(h.dialogs.fileDialogs.size(), 1);
    const FakeDialogs::FileDialog &d = h.dialogs.fileDialogs[0];
    EXPECT_TRUE(d.save);
    EXPECT_EQ(d.request.title, QStringLiteral("另存为"));
    EXPECT_EQ(d.request.filter, QStringLiteral("文本文件 (*.txt)|*.txt"));
    EXPECT_EQ(d.request.defaultSuffix, QStringLiteral("txt"));
    EXPECT_TRUE(d.request.confirmOverwrite);
}

TEST(NewDocument, WithoutARecordingIsEmptyAndUnchanged)
{
    Doc h;
    h.run("Action_CreateDictationFile");
    EXPECT_TRUE(h.doc().text().isEmpty());
    EXPECT_FALSE(h.doc().isModified());
    h.run("Action_CloseDictationFile");
    EXPECT_TRUE(h.dialogs.messages.isEmpty());
    EXPECT_FALSE(h.doc().isOpen());
    EXPECT_FALSE(h.widget<QPlainTextEdit>("Memo_Dictation")->isEnabled());

    h.run("Action_CreateDictationFile");
    h.run("Action_SaveDictationFile");
    EXPECT_EQ(h.dialogs.fileDialogs.size(), 1); // unnamed: Save As even without changes
}

TEST(Companion, ExistingFileIsLoadedUnchanged)
{
    Doc h;
    const QByteArray bytes = "first line\r\nsecond\r\n";
    const QString txt = h.writeFile(QStringLiteral("lesson1.txt"), bytes);
    h.w().OpenSourceFile(h.recording());
    EXPECT_EQ(h.doc().text(), QString::fromUtf8(bytes));
    EXPECT_FALSE(h.doc().isModified());
    EXPECT_EQ(h.doc().fileName(), txt);
    EXPECT_EQ(h.widget<QLabel>("Label_DictationFileName")->text(),
              QStringLiteral("  听写文件: ") + txt);
}

TEST(Companion, MissingOrEmptyFileStartsANewDocumentSavedWithoutADialog)
{
    for (bool emptyFileExists : {false, true}) {
        Doc h;
        if (emptyFileExists)
            h.writeFile(QStringLiteral("lesson1.txt"), QByteArray());
        const QString rec = h.recording();
        h.w().OpenSourceFile(rec);
        const QString txt = h.path(QStringLiteral("lesson1.txt"));
        EXPECT_EQ(h.doc().fileName(), txt);
        EXPECT_TRUE(h.doc().isModified());
        h.run("Action_SaveDictationFile");
        EXPECT_TRUE(h.dialogs.fileDialogs.isEmpty());
        EXPECT_EQ(readAll(txt), NewDocumentHeader + rec.toUtf8() + "\r\n");
        EXPECT_FALSE(h.doc().isModified());
    }
}

TEST(Save, NothingWrittenWithoutChangesOrWithoutADocument)
{
    Doc h;
    const QString txt = h.writeFile(QStringLiteral("lesson1.txt"), "x\r\n");
    h.w().OpenDictationFile(txt);
    QFile::remove(txt);
    h.run("Action_SaveDictationFile");
    EXPECT_FALSE(QFile::exists(txt));

    h.w().CloseDictationFile();
    h.run("Action_SaveDictationFile");
    EXPECT_TRUE(h.dialogs.fileDialogs.isEmpty());
    EXPECT_TRUE(h.dialogs.messages.isEmpty());
}

TEST(SaveAs, WithNoDocumentWritesAnEmptyFileAndShowsTheName)
{
    Doc h;
    const QString target = h.path(QStringLiteral("out.txt"));
    h.dialogs.fileAnswers.enqueue(target);
    h.run("Action_SaveAsDictationFile");
    EXPECT_TRUE(QFile::exists(target));
    EXPECT_TRUE(readAll(target).isEmpty());
    EXPECT_EQ(h.widget<QLabel>("Label_DictationFileName")->text(),
              QStringLiteral("  听写文件: ") + target);
    EXPECT_FALSE(h.widget<QPlainTextEdit>("Memo_Dictation")->isEnabled());
    EXPECT_FALSE(h.doc().isOpen());
}

TEST(SaveAs, CancelAbandonsAndKeepsEverything)
{
    Doc h;
    h.w().OpenDictationFile(QString());
    h.doc().appendLine(QStringLiteral("typed"));
    h.run("Action_SaveAsDictationFile");
    EXPECT_TRUE(h.doc().isModified());
    EXPECT_TRUE(h.doc().fileName().isEmpty());
}

TEST(SameName, SavingOverTheAnswerIsRefusedWithTwoWordings)
{
    Doc h;
    const QString answer = h.writeFile(QStringLiteral("answer.txt"), "The answer.\r\n");
    h.answer().open(answer);
    h.w().OpenDictationFile(QString());
    h.doc().appendLine(QStringLiteral("typed"));
    const QString oldLabel = h.widget<QLabel>("Label_DictationFileName")->text();

    h.dialogs.fileAnswers.enqueue(answer);
    h.run("Action_SaveAsDictationFile");
    ASSERT_EQ(h.dialogs.messages.size(), 1);
    EXPECT_EQ(h.dialogs.messages[0].text, QStringLiteral("听写文件和答案文件名相同，请另存！"));
    EXPECT_EQ(h.dialogs.messages[0].icon, Icon::Information);
    // The name is taken, the label is not.
    EXPECT_EQ(h.doc().fileName(), answer);
    EXPECT_EQ(h.widget<QLabel>("Label_DictationFileName")->text(), oldLabel);

    h.run("Action_SaveDictationFile");
    ASSERT_EQ(h.dialogs.messages.size(), 2);
    EXPECT_EQ(h.dialogs.messages[1].text, QStringLiteral("听写文件和答案文件相同，请另存！"));
    EXPECT_EQ(readAll(answer), QByteArray("The answer.\r\n"));
    EXPECT_TRUE(h.doc().isModified());
}

TEST(SameName, RecognisesTheAnswerHoweverItsPathIsSpelled)
{
    Doc h;
    const QString answer = h.writeFile(QStringLiteral("sub/answer.txt"), "A\r\n");
    const QString link = h.path(QStringLiteral("link.txt"));
    ASSERT_TRUE(QFile::link(answer, link));
    EXPECT_TRUE(IsSameFile(link, answer));
    EXPECT_TRUE(IsSameFile(h.path(QStringLiteral("sub/../sub/answer.txt")), answer));
    EXPECT_TRUE(IsSameFile(h.path(QStringLiteral("sub/./answer.txt")), answer));
    // On a case-sensitive file system another spelling is another file.
    const QString upper = h.writeFile(QStringLiteral("sub/ANSWER.txt"), "B\r\n");
    EXPECT_FALSE(IsSameFile(upper, answer));
    EXPECT_FALSE(IsSameFile(h.path(QStringLiteral("none.txt")), answer));
    EXPECT_FALSE(IsSameFile(QString(), QString()));

    h.answer().open(answer);
    h.w().OpenDictationFile(link);
    h.doc().appendLine(QStringLiteral("typed"));
    h.run("Action_SaveDictationFile");
    EXPECT_EQ(h.dialogs.messageTexts(),
              QStringList{QStringLiteral("听写文件和答案文件相同，请另存！")});
    EXPECT_EQ(readAll(answer), QByteArray("A\r\n"));
}

TEST(Close, QuestionYesNoCancel)
{
    Doc h;
    const QString txt = h.path(QStringLiteral("doc.txt"));
    h.w().OpenDictationFile(txt);
    h.doc().appendLine(QStringLiteral("typed"));

    h.run("Action_CloseDictationFile"); // no answer: Cancel, the default
    ASSERT_EQ(h.dialogs.messages.size(), 1);
    const FakeDialogs::Message &m = h.dialogs.messages[0];
    EXPECT_EQ(m.text, QStringLiteral("您当前听写的内容要保存吗？"));
    EXPECT_EQ(m.buttons, (QList<Button>{Button::Yes, Button::No, Button::Cancel}));
    EXPECT_EQ(m.icon, Icon::Information);
    EXPECT_EQ(m.defaultButton, Button::Cancel);
    EXPECT_TRUE(h.doc().isOpen());
    EXPECT_EQ(h.doc().text(), QStringLiteral("typed\r\n"));

    h.dialogs.answers.enqueue(Button::Yes);
    h.run("Action_CloseDictationFile");
    EXPECT_EQ(readAll(txt), QByteArray("typed\r\n"));
    EXPECT_FALSE(h.doc().isOpen());
    EXPECT_EQ(h.widget<QLabel>("Label_DictationFileName")->text(),
              QStringLiteral("  听写文件: 未指定"));

    h.w().OpenDictationFile(txt);
    h.doc().appendLine(QStringLiteral("more"));
    h.dialogs.answers.enqueue(Button::No);
    h.run("Action_CloseDictationFile");
    EXPECT_EQ(readAll(txt), QByteArray("typed\r\n"));
    EXPECT_FALSE(h.doc().isOpen());
}

TEST(Close, YesOnAnUnnamedDocumentWithACancelledDialogCancelsTheClose)
{
    Doc h;
    h.w().OpenDictationFile(QString());
    h.doc().appendLine(QStringLiteral("typed"));
    h.dialogs.answers.enqueue(Button::Yes);
    h.run("Action_CloseDictationFile");
    EXPECT_EQ(h.dialogs.fileDialogs.size(), 1);
    EXPECT_TRUE(h.doc().isOpen());
    EXPECT_TRUE(h.doc().isModified());
}

TEST(Close, WindowCloseWithChangesAsksOnlyTheSaveQuestion)
{
    Doc h;
    h.w().OpenDictationFile(QString());
    h.doc().appendLine(QStringLiteral("typed"));
    EXPECT_FALSE(h.w().FormCloseQuery()); // Cancel
    EXPECT_TRUE(h.doc().isOpen());
    h.dialogs.answers.enqueue(Button::No);
    EXPECT_TRUE(h.w().FormCloseQuery());
    EXPECT_EQ(h.dialogs.messageTexts(),
              (QStringList{QStringLiteral("您当前听写的内容要保存吗？"),
                           QStringLiteral("您当前听写的内容要保存吗？")}));
}

TEST(Close, OpeningAnotherRecordingAsksFirstAndCancelKeepsAll)
{
    Doc h;
    const QString first = h.recording(QStringLiteral("a.mp3"));
    const QString second = h.recording(QStringLiteral("b.mp3"));
    h.w().OpenSourceFile(first);
    h.player.calls.clear();
    h.guard().run([&] { h.w().OpenSourceFile(second); }); // Cancel
    EXPECT_EQ(h.source().path(), first);
    EXPECT_TRUE(h.player.calls.isEmpty());
    EXPECT_EQ(h.doc().fileName(), h.path(QStringLiteral("a.txt")));
}

TEST(FileFormat, LineBreaksBecomeCrLfAndAFileWithoutFinalBreakGetsTheRecord)
{
    Doc h;
    const QString txt = h.writeFile(QStringLiteral("lf.txt"), "one\ntwo\rthree\r\nlast");
    h.w().OpenDictationFile(txt);
    EXPECT_EQ(h.doc().text(), QStringLiteral("one\r\ntwo\r\nthree\r\nlast"));
    // A record: empty line, text, information line.
    h.doc().appendLine(QString());
    h.doc().appendLine(QStringLiteral("dictated"));
    h.doc().appendLine(QString());
    h.run("Action_SaveDictationFile");
    EXPECT_EQ(readAll(txt), QByteArray("one\r\ntwo\r\nthree\r\nlast\r\ndictated\r\n\r\n"));
}

TEST(FileFormat, GbkFileIsReadAndWrittenBackInGbk)
{
    Doc h;
    QStringEncoder gbk("GB18030");
    const QByteArray bytes = gbk.encode(QStringLiteral("听写记录\r\n我去了公园。\r\n"));
    const QString txt = h.writeFile(QStringLiteral("gbk.txt"), bytes);
    h.w().OpenDictationFile(txt);
    EXPECT_EQ(h.doc().text(), QStringLiteral("听写记录\r\n我去了公园。\r\n"));
    h.doc().appendLine(QStringLiteral("然后回家。"));
    h.run("Action_SaveDictationFile");
    EXPECT_EQ(readAll(txt), bytes + gbk.encode(QStringLiteral("然后回家。\r\n")));
}

TEST(FileFormat, TypedCharactersSurviveSaving)
{
    Doc h;
    const QString txt = h.path(QStringLiteral("chars.txt"));
    h.w().OpenDictationFile(txt);
    const QString typed = QStringLiteral("a\u00a0b\tc 😀 𠀀");
    h.doc().appendLine(typed);
    h.run("Action_SaveDictationFile");
    EXPECT_EQ(QString::fromUtf8(readAll(txt)), typed + QStringLiteral("\r\n"));
}

// Two copies of the program on one dictation file: the second save never
// replaces the first one's lines without asking, and each answer does what
// it says.
TEST(TwoCopies, SavingOverAFileChangedOnDiskAsksFirst)
{
    struct Case {
        const char *what;
        bool otherSaves; // the other copy saves first
        QList<Button> answers;
        const char *onDisk;   // the file afterwards
        const char *inEditor; // the second copy's text afterwards
        bool elsewhere;       // the second copy's text went to another file
    } cases[] = {
        {"not changed on disk: no question",
         false,
         {},
         "old\r\nline B\r\n",
         "old\r\nline B\r\n",
         false},
        {"replace", true, {Button::Yes}, "old\r\nline B\r\n", "old\r\nline B\r\n", false},
        {"keep the disk's file and reopen it",
         true,
         {Button::No},
         "old\r\nline A\r\n",
         "old\r\nline A\r\n",
         false},
        {"save under another name",
         true,
         {Button::Cancel},
         "old\r\nline A\r\n",
         "old\r\nline B\r\n",
         true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Doc a;
        Doc b;
        const QString txt = a.writeFile(QStringLiteral("shared.txt"), "old\r\n");
        a.w().OpenDictationFile(txt);
        b.w().OpenDictationFile(txt);
        a.doc().appendLine(QStringLiteral("line A"));
        b.doc().appendLine(QStringLiteral("line B"));
        if (c.otherSaves)
            a.run("Action_SaveDictationFile");
        const QString other = b.path(QStringLiteral("other.txt"));
        for (Button answer : c.answers)
            b.dialogs.answers.enqueue(answer);
        b.dialogs.fileAnswers.enqueue(other);
        b.run("Action_SaveDictationFile");
        if (c.answers.isEmpty()) {
            EXPECT_TRUE(b.dialogs.messages.isEmpty());
        } else {
            ASSERT_EQ(b.dialogs.messages.size(), 1);
            const FakeDialogs::Message &m = b.dialogs.messages[0];
            EXPECT_EQ(m.caption, QStringLiteral("系统提示"));
            EXPECT_TRUE(m.text.startsWith(QStringLiteral("听写文件“%1”在打开或上次保存后已被改动")
                                              .arg(QDir::toNativeSeparators(txt))))
                << m.text.toStdString();
            EXPECT_EQ(m.buttons, (QList<Button>{Button::Yes, Button::No, Button::Cancel}));
        }
        EXPECT_EQ(readAll(txt), QByteArray(c.onDisk));
        EXPECT_EQ(b.doc().text(), QString::fromUtf8(c.inEditor));
        EXPECT_FALSE(b.doc().isModified());
        EXPECT_EQ(QFile::exists(other), c.elsewhere);
        if (c.elsewhere) {
            EXPECT_EQ(readAll(other), QByteArray(c.inEditor));
            EXPECT_EQ(b.doc().fileName(), other);
        }
        // What the second copy holds now matches its file: no question again.
        b.doc().appendLine(QStringLiteral("more"));
        b.run("Action_SaveDictationFile");
        EXPECT_EQ(b.dialogs.messages.size(), c.answers.size());
        b.dialogs.answers.enqueue(Button::No);
        a.dialogs.answers.enqueue(Button::No);
    }
}

TEST(Failures, WriteErrorKeepsTheDocumentModifiedAndTheOldFile)
{
    Doc h;
    const QString txt = h.writeFile(QStringLiteral("keep.txt"), "old\r\n");
    h.w().OpenDictationFile(txt);
    h.doc().appendLine(QStringLiteral("new"));
    // A folder in place of the file cannot be replaced.
    QFile::remove(txt);
    QDir().mkpath(txt);
    h.run("Action_SaveDictationFile");
    EXPECT_EQ(h.dialogs.messageTexts(), QStringList{QStringLiteral("保存时发生错误！")});
    EXPECT_EQ(h.dialogs.messages[0].icon, Icon::Error);
    EXPECT_TRUE(h.doc().isModified());
    EXPECT_TRUE(h.doc().isOpen());
}

TEST(Failures, FileSizeLimitDuringSaveLeavesTheOldFileIntact)
{
    Doc h;
    const QByteArray old(64 * 1024, 'o');
    const QString txt = h.writeFile(QStringLiteral("big.txt"), old);
    h.w().OpenDictationFile(txt);
    h.doc().appendLine(QString(200 * 1024, QLatin1Char('n')));
    {
        const FileSizeLimit limit(100 * 1024);
        h.run("Action_SaveDictationFile");
    }
    EXPECT_EQ(h.dialogs.messageTexts(), QStringList{QStringLiteral("保存时发生错误！")});
    EXPECT_EQ(readAll(txt), old);
    EXPECT_TRUE(h.doc().isModified());
}

TEST(Failures, FolderNamedLikeTheFileCountsAsNoFile)
{
    Doc h;
    const QString folderTxt = h.path(QStringLiteral("folder.txt"));
    QDir().mkpath(folderTxt);
    h.guard().run([&] { h.w().OpenDictationFile(folderTxt); });
    EXPECT_TRUE(h.dialogs.messages.isEmpty());
    EXPECT_TRUE(h.doc().isOpen());
    EXPECT_TRUE(h.doc().text().isEmpty());
}

TEST(Choose, OpenDialogAndAFileGoneMeanwhile)
{
    Doc h;
    const QString txt = h.writeFile(QStringLiteral("c.txt"), "c\r\n");
    h.dialogs.fileAnswers.enqueue(h.path(QStringLiteral("gone.txt")));
    h.run("Action_OpenDictationFile");
    ASSERT_EQ(h.dialogs.fileDialogs.size(), 1);
    EXPECT_EQ(h.dialogs.fileDialogs[0].request.title, QStringLiteral("请选择听写文件"));
    EXPECT_TRUE(h.dialogs.fileDialogs[0].request.fileMustExist);
    EXPECT_TRUE(h.dialogs.fileDialogs[0].request.fileName.isEmpty());
    EXPECT_FALSE(h.doc().isOpen());

    h.dialogs.fileAnswers.enqueue(txt);
    h.run("Action_OpenDictationFile");
    EXPECT_TRUE(h.doc().isOpen());
    EXPECT_EQ(h.doc().text(), QStringLiteral("c\r\n"));
}

TEST(Colours, OpenAndClosedBackgrounds)
{
    Doc h;
    const QColor closed = h.widget<QPlainTextEdit>("Memo_Dictation")
                              ->palette()
                              .color(QPalette::Disabled, QPalette::Base);
    h.w().OpenDictationFile(QString());
    const QColor open = h.widget<QPlainTextEdit>("Memo_Dictation")
                            ->palette()
                            .color(QPalette::Active, QPalette::Base);
    EXPECT_NE(open, closed);
    EXPECT_EQ(open, QApplication::palette().color(QPalette::Base));
    EXPECT_EQ(closed, QApplication::palette().color(QPalette::Button));
}
