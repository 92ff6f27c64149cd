// The dictation line: typing, applying a line with and without the answer
// check, and what follows an apply.
#include "support/testutil.h"

#include "dictation/dictationline.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using Button = Dialogs::Button;
using Icon = Dialogs::Icon;

namespace {

const QString Miss = QStringLiteral("没有找到符合条件的内容");
const QString NextQuestion = QStringLiteral("上一句已完成，您要开始听写下一句吗？");

// A recording playing, its new document open (header only), every option
// off, a fixed clock, and waits recorded in the player's call list so that
// their order against pause and play shows.
struct Dictating : WindowHarness {
    Dictating()
    {
        openPlaying(QStringLiteral("lesson.mp3"), 200.0);
        settings().setOptions(TOptionFlags());
        w().setClock([] { return QDateTime(QDate(2026, 1, 8), QTime(15, 4, 5)); });
        w().setWait([this](int ms) { player.calls << QStringLiteral("wait:%1").arg(ms); });
        header = doc().text();
        player.calls.clear();
    }
    TForm_Main &w() { return *window; }
    QLineEdit *line() { return widget<QLineEdit>("LabeledEdit_Dictation"); }

    // The document after the header, one entry per line.
    QStringList added() const
    {
        const QString text = doc().text();
        EXPECT_TRUE(text.startsWith(header));
        QStringList lines = text.mid(header.size()).split(QStringLiteral("\r\n"));
        EXPECT_EQ(lines.takeLast(), QString()); // the document ends with a line break
        return lines;
    }

    void openAnswer(const QByteArray &bytes)
    {
        dialogs.fileAnswers.enqueue(writeFile(QStringLiteral("answer.txt"), bytes));
        action(QStringLiteral("Action_OpenAnswerFile"))->trigger();
        ASSERT_FALSE(answer().fileName().isEmpty());
    }

    void showActive()
    {
        window->setWindowState(Qt::WindowNoState);
        window->resize(1000, 700);
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        line()->setFocus();
    }

    // Types into the line as the learner does, key by key.
    void type(const QString &text) { QTest::keyClicks(line(), text); }

    QString header;
};

QStringList record(const QString &text, const QString &information)
{
    return {QString(), text, information};
}

} // namespace

TEST(Record, InformationLineFollowsTheTwoOptions)
{
    const QString loop = QStringLiteral("循环开始点: 00:12.345 结束点: 00:15.000");
    const QString time = QStringLiteral("听写时间: 2026-01-08 15:04:05");
    const struct {
        bool repeatPoints;
        bool dictateTime;
        QString line3;
    } cases[] = {
        {false, false, QString()},
        {true, false, QLatin1Char('(') + loop + QLatin1Char(')')},
        {false, true, QLatin1Char('(') + time + QLatin1Char(')')},
        {true, true, QLatin1Char('(') + loop + QStringLiteral("   ") + time + QLatin1Char(')')},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.line3.toStdString());
        Dictating h;
        h.loop().setPoints(12.345, 15.0);
        h.setOption(&TOptionFlags::RecordRepeatPoints, c.repeatPoints);
        h.setOption(&TOptionFlags::RecordDictateTime, c.dictateTime);
        h.line()->setText(QStringLiteral("I went to the park."));
        h.clickApply();
        EXPECT_EQ(h.added(), record(QStringLiteral("I went to the park."), c.line3));
        EXPECT_TRUE(h.line()->text().isEmpty());
        EXPECT_TRUE(h.doc().isModified());
    }
}

TEST(Record, WithoutLoopPointsTheLoopPieceIsTheLabelAsItStands)
{
    Dictating h;
    h.setOption(&TOptionFlags::RecordRepeatPoints, true);
    h.setOption(&TOptionFlags::RecordDictateTime, true);
    h.line()->setText(QStringLiteral("text"));
    h.clickApply();
    EXPECT_EQ(h.added(),
              record(QStringLiteral("text"),
                     QStringLiteral(
                         "(循环开始点: 未设定 结束点: 未设定   听写时间: 2026-01-08 15:04:05)")));
}

TEST(Record, LeftTrimmedOnlyAndInTheLearnersOwnCase)
{
    Dictating h;
    h.line()->setText(QStringLiteral(" \t  i Went TO the park.   "));
    h.clickApply();
    EXPECT_EQ(h.added(), record(QStringLiteral("i Went TO the park.   "), QString()));
}

TEST(Record, RecordsFollowEachOther)
{
    Dictating h;
    for (const char *text : {"one", "two"}) {
        h.line()->setText(QLatin1String(text));
        h.clickApply();
    }
    EXPECT_EQ(h.added(),
              record(QStringLiteral("one"), QString()) + record(QStringLiteral("two"), QString()));
}

// The record just written is what the learner looks for: it stays in view
// however long the document grows.
TEST(Record, TheRecordJustAppliedStaysInView)
{
    Dictating h;
    auto *editor = h.widget<QPlainTextEdit>("Memo_Dictation");
    for (int i = 0; i < 60; ++i) {
        h.line()->setText(QStringLiteral("line %1").arg(i));
        h.clickApply();
    }
    QScrollBar *scroll = editor->verticalScrollBar();
    EXPECT_GT(scroll->maximum(), 0);
    EXPECT_EQ(scroll->value(), scroll->maximum());
    EXPECT_TRUE(editor->textCursor().atEnd());
}

// A hint is worked out on the text without its leading blanks; written into
// the line, the blanks the learner typed stay and the cursor lands after it.
TEST(Hint, WrittenIntoTheLineKeepsTheLeadingBlanks)
{
    const struct {
        const char *typed;
        const char *hintLine; // for the typed text without leading blanks
        int cursor;
        const char *shown;
        int shownCursor;
    } rows[] = {
        {"one", "one s", 5, "one s", 5},
        {"  one", "one s", 5, "  one s", 7},
        {"\t it", "it was", 6, "\t it was", 8},
        {"   ", "The", 3, "   The", 6},
        {"", "The", 3, "The", 3},
        {"  a\x01"
         "b",
         "ab c", 4, "ab c", 4},
    };
    for (const auto &row : rows) {
        QLineEdit edit;
        QPushButton apply;
        DictationLine line(&edit, &apply, nullptr);
        edit.setText(QString::fromUtf8(row.typed));
        QSignalSpy edited(&line, &DictationLine::edited);
        line.showHint(QString::fromUtf8(row.hintLine), row.cursor);
        EXPECT_EQ(edit.text(), QString::fromUtf8(row.shown)) << row.typed;
        EXPECT_EQ(edit.cursorPosition(), row.shownCursor) << row.typed;
        // A hint is a change the learner sees as typed: it may pause playback.
        EXPECT_EQ(edited.size(), 1) << row.typed;
    }
}

// The answer check through the window, on consecutive lines of an answer file.
TEST(Check, TailAndLineTwoAsTheTableGivesThem)
{
    const struct {
        const char *answer;
        const char *typed;
        const char *line2;
        int topLine;
    } cases[] = {
        {"Hello, world.\r\n", "hello, WORLD.", "hello, WORLD.", 0},
        {"Hello, world.\r\n", "  Hello, world.  ", "Hello, world.  ", 0},
        {"I went to the park. Then I went home.\r\n", "i went to the park", "i went to the park.",
         0},
        {"I went to the park. Then I went home.\r\n", "I went", "I went ", 0},
        {"I went to the park. Then I went home.\r\n", "the pa", "the pa", 0},
        // Trailing blanks are kept, and the tail comes after them.
        {"I went to the park. Then I went home.\r\n", "i went to the park  ",
         "i went to the park  .", 0},
        {"It was a well-\r\nknown fact.\r\n", "well-known fact", "well-known fact.", 0},
        {"to the\r\npark.\r\n", "to the park", "to the park.", 0},
        {"to the\r\npark.\r\n", "park", "park.", 1},
        {"我去了公园。然后回家了。\r\n", "我去了公园", "我去了公园。", 0},
        {"first\r\nsecond\r\nthird line\r\n", "THIRD", "THIRD ", 2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        Dictating h;
        h.openAnswer(QByteArray(c.answer));
        h.setOption(&TOptionFlags::VerifyBeforeApplying, true);
        h.widget<QPlainTextEdit>("Memo_Answer")->verticalScrollBar()->setValue(0);
        h.line()->setText(QString::fromUtf8(c.typed));
        h.clickApply();
        EXPECT_TRUE(h.dialogs.messages.isEmpty());
        EXPECT_EQ(h.added(), record(QString::fromUtf8(c.line2), QString()));
        EXPECT_EQ(h.widget<QPlainTextEdit>("Memo_Answer")->verticalScrollBar()->value(), c.topLine);
    }
}

TEST(Check, MissShowsTheMessageOnceAndChangesNothing)
{
    Dictating h;
    h.openAnswer("I went to the park. Then I went home.\r\n");
    h.setOption(&TOptionFlags::VerifyBeforeApplying, true);
    h.setOption(&TOptionFlags::PlayAfterApplying, true);
    h.line()->setText(QStringLiteral("a text found nowhere"));
    const QString before = h.doc().text();
    h.clickApply();
    ASSERT_EQ(h.dialogs.messages.size(), 1);
    const FakeDialogs::Message &m = h.dialogs.messages[0];
    EXPECT_EQ(m.caption, QStringLiteral("系统提示"));
    EXPECT_EQ(m.text, Miss);
    EXPECT_EQ(m.buttons, QList<Button>{Button::Ok});
    EXPECT_EQ(m.icon, Icon::Information);
    EXPECT_EQ(h.doc().text(), before);
    EXPECT_EQ(h.line()->text(), QStringLiteral("a text found nowhere"));
    EXPECT_TRUE(h.player.calls.isEmpty()); // no follow-up: no wait, no play
}

TEST(Check, NoAnswerOpenMeansNoCheck)
{
    Dictating h;
    h.setOption(&TOptionFlags::VerifyBeforeApplying, true);
    h.line()->setText(QStringLiteral("anything at all"));
    h.clickApply();
    EXPECT_TRUE(h.dialogs.messages.isEmpty());
    EXPECT_EQ(h.added(), record(QStringLiteral("anything at all"), QString()));
}

TEST(Check, OptionOffAppliesWhateverTheAnswerSays)
{
    Dictating h;
    h.openAnswer("Hello, world.\r\n");
    h.line()->setText(QStringLiteral("not in the answer"));
    h.clickApply();
    EXPECT_TRUE(h.dialogs.messages.isEmpty());
    EXPECT_EQ(h.added(), record(QStringLiteral("not in the answer"), QString()));
}

TEST(Apply, BlankLineIsRefusedSilently)
{
    for (const QString &blank : {QString(), QStringLiteral("   "), QStringLiteral(" \t ")}) {
        Dictating h;
        h.setOption(&TOptionFlags::VerifyBeforeApplying, true);
        h.setOption(&TOptionFlags::PlayAfterApplying, true);
        h.line()->setText(blank);
        EXPECT_FALSE(h.w().ApplyDictationLine(blank));
        h.clickApply();
        EXPECT_EQ(h.line()->text(), blank);
        EXPECT_TRUE(h.added().isEmpty());
        EXPECT_TRUE(h.dialogs.messages.isEmpty());
        EXPECT_TRUE(h.player.calls.isEmpty());
    }
}

// What an input method types and a paste brings: blanks of other widths and
// invisible characters never make a line of their own, and control
// characters never reach the document. Spaces typed at the end stay.
TEST(Apply, TypedLineIsCleanedBeforeItIsApplied)
{
    struct Row {
        const char *name;
        QString typed;
        const char *applied; // null: refused
    } rows[] = {
        {"full-width spaces", QStringLiteral("\u3000\u3000"), nullptr},
        {"no-break space", QStringLiteral("\u00A0"), nullptr},
        {"zero-width space and byte order mark", QStringLiteral("\u200B\uFEFF\u2060"), nullptr},
        {"thin and ideographic spaces", QStringLiteral(" \u2009\u3000\u202F"), nullptr},
        {"only control characters", QStringLiteral("\x01\x7f\u0085"), nullptr},
        {"leading full-width space", QStringLiteral("\u3000我们去公园"), "我们去公园"},
        {"trailing invisible characters", QStringLiteral("hello\u200B\u3000"), "hello"},
        {"trailing plain spaces stay", QStringLiteral("hello  "), "hello  "},
        {"a control character inside", QStringLiteral("he\x01llo\x1b"), "hello"},
        {"a pasted tab and line break", QStringLiteral("one\ttwo\r\nthree"), "one two  three"},
        {"a format character inside stays", QStringLiteral("a\u200Db"), "a\u200Db"},
        {"a letter outside the first plane", QString::fromUcs4(U"\U00020000\u3000"),
         "\xF0\xA0\x80\x80"},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        Dictating h;
        h.line()->setText(r.typed);
        h.clickApply();
        if (!r.applied) {
            EXPECT_TRUE(h.added().isEmpty());
            EXPECT_EQ(h.line()->text(), r.typed);
        } else {
            EXPECT_EQ(h.added(), record(QString::fromUtf8(r.applied), QString()));
        }
    }
}

// Real key events on a shown, active window.
TEST(Keyboard, EnterAppliesAndNeverReachesTheLine)
{
    Dictating h;
    h.showActive();
    QSignalSpy reached(h.line(), &QLineEdit::returnPressed);

    for (Qt::Key enter : {Qt::Key_Return, Qt::Key_Enter}) {
        h.line()->setText(QStringLiteral("   "));
        QTest::keyClick(h.line(), enter);
        EXPECT_EQ(h.line()->text(), QStringLiteral("   "));
        EXPECT_TRUE(h.added().isEmpty());
    }
    EXPECT_TRUE(h.dialogs.messages.isEmpty());

    h.line()->clear();
    h.type(QStringLiteral("typed"));
    QTest::keyClick(h.line(), Qt::Key_Return);
    EXPECT_EQ(h.added(), record(QStringLiteral("typed"), QString()));
    EXPECT_TRUE(h.line()->text().isEmpty());
    EXPECT_TRUE(h.line()->hasFocus());
    EXPECT_EQ(reached.count(), 0);
}

TEST(Keyboard, EnterIsConsumedWhenTheCheckMisses)
{
    Dictating h;
    h.openAnswer("Hello, world.\r\n");
    h.setOption(&TOptionFlags::VerifyBeforeApplying, true);
    h.showActive();
    QSignalSpy reached(h.line(), &QLineEdit::returnPressed);
    h.type(QStringLiteral("goodbye"));
    QTest::keyClick(h.line(), Qt::Key_Enter);
    EXPECT_EQ(h.dialogs.messageTexts(), QStringList{Miss});
    EXPECT_EQ(h.line()->text(), QStringLiteral("goodbye"));
    EXPECT_EQ(reached.count(), 0);
}

TEST(Keyboard, AltAPressesTheButton)
{
    Dictating h;
    h.showActive();
    h.type(QStringLiteral("by the button"));
    // The mnemonic animates a click, which completes a moment later.
    QSignalSpy clicked(h.widget<QPushButton>("Button_Apply"), &QPushButton::clicked);
    QTest::keyClick(h.line(), Qt::Key_A, Qt::AltModifier);
    ASSERT_TRUE(clicked.count() == 1 || clicked.wait(2000));
    EXPECT_EQ(h.added(), record(QStringLiteral("by the button"), QString()));
}

TEST(Typing, WhileStoppedDoesNothing)
{
    Dictating h;
    h.player.setStateAndNotify(MediaPlayer::Stopped);
    FakePlayer::flushEvents();
    h.setOption(&TOptionFlags::PauseWhenWriting, true);
    h.setOption(&TOptionFlags::SetEndPointWhenWriting, true);
    h.player.calls.clear();
    h.type(QStringLiteral("abc"));
    EXPECT_TRUE(h.player.calls.isEmpty());
    EXPECT_EQ(h.loop().end(), -1.0);
}

TEST(Typing, FirstKeystrokeSetsTheEndPointOnceThenEveryChangePauses)
{
    Dictating h;
    h.setOption(&TOptionFlags::PauseWhenWriting, true);
    h.setOption(&TOptionFlags::SetEndPointWhenWriting, true);
    h.player.position = 3.5;
    h.type(QStringLiteral("a"));
    EXPECT_EQ(h.loop().start(), -1.0);
    EXPECT_EQ(h.loop().end(), 3.5);
    // The position is read (for the end point) before the pause.
    EXPECT_EQ(h.player.calls, (QStringList{QStringLiteral("pos"), QStringLiteral("pause")}));

    FakePlayer::flushEvents(); // now paused, which still counts as active
    h.player.position = 5.0;
    h.player.calls.clear();
    h.type(QStringLiteral("b"));
    QTest::keyClick(h.line(), Qt::Key_Backspace);
    EXPECT_EQ(h.loop().end(), 3.5);
    EXPECT_EQ(h.player.calls, (QStringList{QStringLiteral("pause"), QStringLiteral("pause")}));
}

TEST(Typing, EachOptionAlone)
{
    {
        Dictating h;
        h.setOption(&TOptionFlags::SetEndPointWhenWriting, true);
        h.loop().setPoints(2.0, -1.0);
        h.player.position = 4.25;
        h.type(QStringLiteral("x"));
        EXPECT_EQ(h.loop().start(), 2.0);
        EXPECT_EQ(h.loop().end(), 4.25);
        EXPECT_FALSE(h.player.calls.contains(QStringLiteral("pause")));
    }
    {
        Dictating h;
        h.setOption(&TOptionFlags::PauseWhenWriting, true);
        h.type(QStringLiteral("x"));
        EXPECT_EQ(h.player.calls, QStringList{QStringLiteral("pause")});
        EXPECT_EQ(h.loop().end(), -1.0);
    }
}

TEST(Typing, PastingCountsAndTheProgramEmptyingTheLineDoesNot)
{
    Dictating h;
    h.setOption(&TOptionFlags::PauseWhenWriting, true);
    QApplication::clipboard()->setText(QStringLiteral("pasted"));
    h.line()->paste();
    EXPECT_EQ(h.player.calls, QStringList{QStringLiteral("pause")});

    h.player.calls.clear();
    h.clickApply();
    EXPECT_TRUE(h.line()->text().isEmpty());
    EXPECT_TRUE(h.player.calls.isEmpty());

    // Still attached afterwards.
    h.type(QStringLiteral("x"));
    EXPECT_EQ(h.player.calls, QStringList{QStringLiteral("pause")});
}

TEST(Typing, PlayerErrorIsShownAndTheHandlerStaysAttached)
{
    Dictating h;
    h.setOption(&TOptionFlags::PauseWhenWriting, true);
    h.player.failing << QStringLiteral("pause");
    h.type(QStringLiteral("ab"));
    EXPECT_EQ(h.dialogs.messages.size(), 2);
    EXPECT_EQ(h.line()->text(), QStringLiteral("ab"));
}

TEST(After, SelectAfterApplyingMovesTheLoopOnAndAsks)
{
    for (const Button answer : {Button::Yes, Button::No}) {
        Dictating h;
        h.setOption(&TOptionFlags::SelectAfterApplying, true);
        h.loop().setPoints(12.0, 15.0);
        h.player.calls.clear();
        h.dialogs.answers.enqueue(answer);
        h.line()->setText(QStringLiteral("sentence"));
        h.clickApply();

        EXPECT_EQ(h.loop().start(), 15.0);
        EXPECT_EQ(h.loop().end(), -1.0);
        ASSERT_EQ(h.dialogs.messages.size(), 1);
        const FakeDialogs::Message &m = h.dialogs.messages[0];
        EXPECT_EQ(m.caption, QStringLiteral("系统提示"));
        EXPECT_EQ(m.text, NextQuestion);
        EXPECT_EQ(m.buttons, (QList<Button>{Button::Yes, Button::No}));
        EXPECT_EQ(m.icon, Icon::Information);
        EXPECT_EQ(m.defaultButton, Button::Yes);
        if (answer == Button::Yes) {
            EXPECT_EQ(h.player.calls,
                      (QStringList{QStringLiteral("pause"), QStringLiteral("wait:500"),
                                   QStringLiteral("play")}));
        } else {
            EXPECT_EQ(h.player.calls, QStringList{QStringLiteral("pause")});
            FakePlayer::flushEvents();
            EXPECT_EQ(h.player.state, MediaPlayer::Paused);
        }
    }
}

TEST(After, SelectAfterApplyingWithoutAnEndPointChangesNothing)
{
    Dictating h;
    h.setOption(&TOptionFlags::SelectAfterApplying, true);
    h.loop().setPoints(12.0, -1.0);
    h.player.calls.clear();
    h.line()->setText(QStringLiteral("sentence"));
    h.clickApply();
    EXPECT_EQ(h.loop().start(), 12.0);
    EXPECT_EQ(h.loop().end(), -1.0);
    EXPECT_TRUE(h.dialogs.messages.isEmpty());
    EXPECT_TRUE(h.player.calls.isEmpty());
}

TEST(After, PlayAfterApplyingWaitsThenPlays)
{
    const struct {
        bool select;
        double end;
        QStringList calls;
    } cases[] = {
        // Without an end point the loop part is skipped, the play part is not.
        {true, -1.0, {QStringLiteral("wait:500"), QStringLiteral("play")}},
        {false, 15.0, {QStringLiteral("wait:500"), QStringLiteral("play")}},
        // Both on: paused, then resumed, and nothing asked.
        {true, 15.0, {QStringLiteral("pause"), QStringLiteral("wait:500"), QStringLiteral("play")}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.calls.join(QLatin1Char(',')).toStdString());
        Dictating h;
        h.setOption(&TOptionFlags::SelectAfterApplying, c.select);
        h.setOption(&TOptionFlags::PlayAfterApplying, true);
        h.loop().setPoints(12.0, c.end);
        h.player.calls.clear();
        h.line()->setText(QStringLiteral("sentence"));
        h.clickApply();
        EXPECT_TRUE(h.dialogs.messages.isEmpty());
        EXPECT_EQ(h.player.calls, c.calls);
    }
}

TEST(After, PlayerErrorInTheFollowUpLeavesTheLineEmptyAndAttached)
{
    Dictating h;
    h.setOption(&TOptionFlags::PlayAfterApplying, true);
    h.setOption(&TOptionFlags::PauseWhenWriting, true);
    h.player.failing << QStringLiteral("play");
    h.line()->setText(QStringLiteral("sentence"));
    h.player.calls.clear();
    h.widget<QPushButton>("Button_Apply")->click();
    EXPECT_EQ(h.dialogs.messages.size(), 1);
    EXPECT_EQ(h.added(), record(QStringLiteral("sentence"), QString()));
    EXPECT_TRUE(h.line()->text().isEmpty());
    h.player.calls.clear();
    h.type(QStringLiteral("x"));
    EXPECT_EQ(h.player.calls, QStringList{QStringLiteral("pause")});
}
