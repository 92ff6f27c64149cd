// Dictating a recording sentence by sentence, through the window on the
// scripted player.
#include "support/testutil.h"
#include "support/tonewav.h"

#include "feedback/feedbackstrip.h"
#include "feedback/wordfeedback.h"
#include "learner/learnerdatabase.h"
#include "learner/learnerschema.h"
#include "learner/recordingkey.h"
#include "lesson/answerfollower.h"
#include "lesson/answerplace.h"
#include "lesson/hints.h"
#include "lesson/lesson.h"
#include "lesson/lessonrules.h"
#include "lesson/sentencelistmodel.h"
#include "sentences/sentencetrack.h"
#include "sentences/waveformview.h"

#include <QAction>
#include <QDataStream>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Mark = WaveformView::Mark;

const char *const Cues[] = {"One small step.", "The cat sat down.",
                            "It was a bright cold day in April.", "We went home.", "Good night."};

// The recording and its subtitles, five sentences of 1.5 s, 0.5 s apart.
QString writeLesson(const QString &folder)
{
    return writeCuedLesson(folder, {Cues, Cues + 5});
}

struct LessonWindow : WindowHarness {
    explicit LessonWindow(const QString &database) : WindowHarness(true)
    {
        learnerDatabase = database;
        create();
    }
    // Opens the recording and waits for its sentences and the first loop.
    void open(const QString &wav)
    {
        w().OpenSourceFile(wav);
        player.length = 12.0;
        player.setStateAndNotify(MediaPlayer::Playing);
        FakePlayer::flushEvents();
        ASSERT_TRUE(QTest::qWaitFor([&] { return lesson().count() == 5; }, 30000));
    }
    Lesson &lesson() const { return feature<Lesson>(); }
    QLineEdit *edit() const { return widget<QLineEdit>("LabeledEdit_Dictation"); }
    QTimer *advance() const { return widget<QTimer>("Timer_NextSentence"); }
    void apply(const QString &text)
    {
        edit()->setText(text);
        clickApply();
    }
    double sentenceStart(int i) const { return 0.5 + 2.0 * i; }
    bool loops(int i) const
    {
        return std::abs(loop().start() - sentenceStart(i)) < 0.001
               && std::abs(loop().end() - (sentenceStart(i) + 1.5)) < 0.001;
    }
    bool waitForLoop(int i) const
    {
        return QTest::qWaitFor([&] { return loops(i); }, 5000);
    }
    QList<Mark> marks() const { return widget<WaveformView>("WaveformView")->marks(); }
    QString listCell(int row, int column) const
    {
        const auto *view = widget<QTableView>("TableView_Sentences");
        return view->model()->index(row, column).data().toString();
    }
};

TEST(LessonWindowFlow, FiveSentencesRightWrongHintedAndSkippedThenResumed)
{
    QTemporaryDir shared;
    const QString database = shared.filePath(QStringLiteral("data/learner.db"));
    const QString wav = writeLesson(shared.path());
    {
        LessonWindow h(database);
        h.open(wav);
        ASSERT_TRUE(h.waitForLoop(0));
        EXPECT_DOUBLE_EQ(h.player.position, h.sentenceStart(0));

        // Sentence 1 right: the line empties, and after the wait sentence 2 plays.
        h.apply(QStringLiteral("one small step"));
        EXPECT_EQ(h.edit()->text(), QString());
        EXPECT_TRUE(h.advance()->isActive());
        ASSERT_TRUE(h.waitForLoop(1));
        EXPECT_EQ(h.player.state, MediaPlayer::Playing);

        // Sentence 2 wrong twice: it plays again from its start, the line
        // keeps the text selected; then right.
        for (const char *wrong : {"the cat sad", "a cat sat down"}) {
            h.player.position = 3.5;
            h.apply(QString::fromLatin1(wrong));
            EXPECT_TRUE(h.loops(1)) << wrong;
            EXPECT_DOUBLE_EQ(h.player.position, h.sentenceStart(1)) << wrong;
            EXPECT_EQ(h.edit()->selectedText(), QString::fromLatin1(wrong));
            EXPECT_FALSE(h.advance()->isActive());
        }
        EXPECT_EQ(h.widget<QLabel>("FeedbackScore")->text(), QStringLiteral("得分 75%"));
        h.apply(QStringLiteral("The cat sat down."));
        ASSERT_TRUE(h.waitForLoop(2));

        // Sentence 3 with hints: a first letter, then the whole word.
        h.edit()->setText(QStringLiteral("it was a bright"));
        h.action(QStringLiteral("Action_Hint"))->trigger();
        EXPECT_EQ(h.edit()->text(), QStringLiteral("it was a bright c"));
        EXPECT_TRUE(h.widget<QLabel>("FeedbackWords")->text().contains(QStringLiteral("“c”")));
        h.action(QStringLiteral("Action_Hint"))->trigger();
        EXPECT_EQ(h.edit()->text(), QStringLiteral("it was a bright cold"));
        EXPECT_EQ(h.edit()->cursorPosition(), h.edit()->text().size());
        h.apply(QStringLiteral("it was a bright cold day in April"));
        EXPECT_EQ(h.widget<QLabel>("FeedbackScore")->text(),
                  QStringLiteral("得分 100% · 借助提示"));
        ASSERT_TRUE(h.waitForLoop(3));

        // Sentence 4 skipped with Ctrl+Enter.
        h.action(QStringLiteral("Action_SkipSentence"))->trigger();
        EXPECT_TRUE(h.loops(4));

        EXPECT_EQ(h.marks(),
                  (QList<Mark>{Mark::Full, Mark::Full, Mark::Half, Mark::Empty, Mark::None}));
        EXPECT_EQ(h.widget<QLabel>("Label_LessonProgress")->text(),
                  QStringLiteral("已完成 3/5 句 · 平均 100%"));
        EXPECT_EQ(h.listCell(1, SentenceListModel::State), QStringLiteral("已过关（3 次）"));
        EXPECT_EQ(h.listCell(1, SentenceListModel::Score), QStringLiteral("100%"));
        EXPECT_EQ(h.listCell(1, SentenceListModel::Line), QStringLiteral("The cat sat down."));
        EXPECT_EQ(h.listCell(2, SentenceListModel::State), QStringLiteral("借助提示过关"));
        EXPECT_EQ(h.listCell(3, SentenceListModel::State), QStringLiteral("做过"));
        EXPECT_EQ(h.listCell(4, SentenceListModel::State), QStringLiteral("未开始"));
        const auto *list = h.widget<QTableView>("TableView_Sentences");
        ASSERT_TRUE(list->selectionModel()->currentIndex().isValid()
                    || !list->selectionModel()->selectedRows().isEmpty());
        EXPECT_EQ(list->selectionModel()->selectedRows().value(0).row(), 4);

        // The document holds exactly the records of five applied lines.
        const QStringList lines = h.doc().text().split(QStringLiteral("\r\n"));
        QStringList texts;
        for (qsizetype i = 1; i + 1 < lines.size(); ++i) {
            if (lines[i - 1].isEmpty() && lines[i + 1].startsWith(QLatin1Char('(')))
                texts.append(lines[i]);
        }
        EXPECT_EQ(texts, (QStringList{"one small step", "the cat sad", "a cat sat down",
                                      "The cat sat down.", "it was a bright cold day in April"}));
        EXPECT_EQ(lines.filter(QStringLiteral("循环开始点")).size(), 5);

        h.action(QStringLiteral("Action_SaveDictationFile"))->trigger();
        h.dialogs.answers.enqueue(Dialogs::Button::Yes); // quit
        h.w().close();
    }

    // What was stored: the states, the tries, and every line.
    {
        LearnerDatabase stored(database);
        const QList<SentenceProgress> rows = stored.sentences(recordingKeyOf(wav));
        ASSERT_EQ(rows.size(), 4);
        const SentenceState states[] = {SentenceState::Passed, SentenceState::Passed,
                                        SentenceState::PassedWithHelp, SentenceState::Attempted};
        const int tries[] = {1, 3, 1, 0};
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(rows[i].state, states[i]) << i;
            EXPECT_EQ(rows[i].tries, tries[i]) << i;
            EXPECT_NEAR(rows[i].start, 0.5 + 2.0 * i, 0.001);
        }
        EXPECT_EQ(rows[1].bestLine, QStringLiteral("The cat sat down."));
        EXPECT_EQ(rows[1].expected, QString::fromLatin1(Cues[1]));
        QSqlDatabase raw = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "check");
        raw.setDatabaseName(database);
        ASSERT_TRUE(raw.open());
        QSqlQuery query(raw);
        ASSERT_TRUE(query.exec(
            QStringLiteral("SELECT group_concat(hints || ':' || passed || ':' || score, ' ') FROM"
                           " (SELECT * FROM attempts ORDER BY id)")));
        ASSERT_TRUE(query.next());
        EXPECT_EQ(query.value(0).toString(),
                  QStringLiteral("0:1:100 0:0:50 0:0:75 0:1:100 2:1:100"));
        ASSERT_TRUE(query.exec(QStringLiteral("PRAGMA user_version")) && query.next());
        EXPECT_EQ(query.value(0).toInt(), LearnerSchema::currentVersion());
        query = QSqlQuery();
        raw.close();
        raw = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("check"));
    }

    // The next day: the same marks, and the lesson starts at sentence 4.
    LessonWindow again(database);
    again.open(wav);
    ASSERT_TRUE(again.waitForLoop(3));
    EXPECT_EQ(again.marks(),
              (QList<Mark>{Mark::Full, Mark::Full, Mark::Half, Mark::Empty, Mark::None}));
}

TEST(LessonWindowFlow, TheWaitServesKeysAndClicks)
{
    QTemporaryDir shared;
    const QString wav = writeLesson(shared.path());
    LessonWindow h(shared.filePath(QStringLiteral("learner.db")));
    h.open(wav);
    ASSERT_TRUE(h.waitForLoop(0));
    h.w().show();
    h.edit()->setFocus();

    // A key typed while the lesson waits goes into the line for the next sentence.
    h.apply(QStringLiteral("One small step"));
    ASSERT_TRUE(h.advance()->isActive());
    QTest::keyClicks(h.edit(), QStringLiteral("th"));
    EXPECT_EQ(h.edit()->text(), QStringLiteral("th"));
    ASSERT_TRUE(h.waitForLoop(1));
    EXPECT_EQ(h.edit()->text(), QStringLiteral("th"));

    // A click on sentence 5 during the wait is the learner's choice.
    h.apply(QStringLiteral("the cat sat down"));
    ASSERT_TRUE(h.advance()->isActive());
    auto *strip = h.widget<WaveformView>("WaveformView");
    QTest::mouseClick(strip, Qt::LeftButton, {},
                      QPoint(int(strip->width() * 9.0 / 12.0), strip->height() / 2));
    EXPECT_TRUE(h.loops(4));
    EXPECT_FALSE(h.advance()->isActive());

    // Enter during the wait applies to the next sentence.
    h.apply(QStringLiteral("good night"));
    ASSERT_TRUE(h.advance()->isActive());
    h.apply(QStringLiteral("it was a bright cold day in april"));
    EXPECT_EQ(h.lesson().at(2).state, SentenceState::Passed);
}

TEST(LessonWindowFlow, NavigationCountsFromTheSentenceLooped)
{
    QTemporaryDir shared;
    const QString wav = writeLesson(shared.path());
    LessonWindow h(shared.filePath(QStringLiteral("learner.db")));
    h.open(wav);
    ASSERT_TRUE(h.waitForLoop(0));
    const auto trigger = [&](const char *name) { h.action(QString::fromLatin1(name))->trigger(); };
    struct Case {
        const char *name;
        std::function<void()> before;
        const char *command;
        int expected;
    };
    const Case cases[] = {
        {"no loop yet: the first after the position",
         [&] {
             trigger("Action_ClearLoopPoint");
             h.player.position = 3.0;
         },
         "Action_NextSentence", 2},
        {"after a click: the one after it, wherever playback is",
         [&] {
             auto *strip = h.widget<WaveformView>("WaveformView");
             QTest::mouseClick(strip, Qt::LeftButton, {},
                               QPoint(int(strip->width() * 3.0 / 12.0), strip->height() / 2));
             h.player.position = 11.0;
         },
         "Action_NextSentence", 2},
        {"Ctrl+Up at the first stays there",
         [&] {
             trigger("Action_PreviousSentence");
             trigger("Action_PreviousSentence");
         },
         "Action_PreviousSentence", 0},
        {"Ctrl+Down at the last stays there",
         [&] {
             for (int i = 0; i < 4; ++i)
                 trigger("Action_NextSentence");
         },
         "Action_NextSentence", 4},
    };
    for (const Case &c : cases) {
        c.before();
        trigger(c.command);
        EXPECT_TRUE(h.loops(c.expected)) << c.name << ": " << h.loop().start();
        EXPECT_DOUBLE_EQ(h.player.position, h.sentenceStart(c.expected)) << c.name;
    }
}

TEST(LessonWindowFlow, SwitchedOffTheApplyIsAsBefore)
{
    QTemporaryDir shared;
    const QString wav = writeLesson(shared.path());
    LessonWindow h(shared.filePath(QStringLiteral("learner.db")));
    h.open(wav);
    ASSERT_TRUE(h.waitForLoop(0));
    h.action(QStringLiteral("Action_SentenceMode"))->trigger();
    EXPECT_TRUE(h.settings().preference(QStringLiteral("SentenceMode"), {}) == QLatin1String("0"));
    EXPECT_TRUE(h.marks().isEmpty());
    EXPECT_FALSE(h.widget<QLabel>("Label_LessonProgress")->isVisibleTo(&h.w()));
    // The specified follow-up: the end becomes the start, and no lesson waits.
    h.setOption(&TOptionFlags::SelectAfterApplying, true);
    h.setOption(&TOptionFlags::PlayAfterApplying, true);
    h.w().setWait([](int) {});
    h.apply(QStringLiteral("one small step"));
    EXPECT_DOUBLE_EQ(h.loop().start(), 2.0);
    EXPECT_FALSE(h.advance()->isActive());
    EXPECT_EQ(h.lesson().at(0).tries, 0);
}

// The answer page in a lesson.

QString selectedText(const QTextEdit::ExtraSelection &selection)
{
    return selection.cursor.selectedText();
}

bool hidesText(const QTextEdit::ExtraSelection &selection)
{
    return selection.format.foreground().color() == selection.format.background().color();
}

TEST(LessonAnswerPage, TheCueListFollowsTheSentenceAndHidesItsText)
{
    QTemporaryDir shared;
    const QString wav = writeLesson(shared.path());
    LessonWindow h(shared.filePath(QStringLiteral("learner.db")));
    h.open(wav);
    ASSERT_TRUE(h.waitForLoop(0));
    h.w().show();
    const auto trigger = [&](const char *name) { h.action(QString::fromLatin1(name))->trigger(); };
    auto *cues = h.widget<QListView>("ListView_Cues");
    trigger("Action_ChangePageControlPage"); // F8
    ASSERT_TRUE(cues->isVisible());
    // It stands over the answer view, which keeps its size.
    EXPECT_EQ(cues->geometry(), h.widget<QPlainTextEdit>("Memo_Answer")->geometry());
    ASSERT_EQ(cues->model()->rowCount(), 5);
    const auto row = [&](int i) { return cues->model()->index(i, 0).data().toString(); };
    const auto cue = [](int i) {
        return QStringLiteral("%1  %2").arg(i + 1).arg(QString::fromLatin1(Cues[i]));
    };

    struct Step {
        const char *name;
        std::function<void()> act;
        int current;
        bool hidden;
    };
    const Step steps[] = {
        {"a first visit", [] {}, 0, true},
        {"the answer asked for", [&] { trigger("Action_ShowSentenceAnswer"); }, 0, false},
        {"passed, the next one is new",
         [&] {
             h.apply(QStringLiteral("one small step"));
             ASSERT_TRUE(h.waitForLoop(1));
         },
         1, true},
        {"a wrong line tried", [&] { h.apply(QStringLiteral("the cat sad")); }, 1, false},
        {"on to a new one", [&] { trigger("Action_NextSentence"); }, 2, true},
        {"back to one tried before", [&] { trigger("Action_PreviousSentence"); }, 1, false},
        {"hiding switched off",
         [&] {
             trigger("Action_HideAnswer");
             trigger("Action_NextSentence");
         },
         2, false},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.name);
        step.act();
        EXPECT_EQ(cues->currentIndex().row(), step.current);
        EXPECT_TRUE(cues->model()->index(step.current, 0).data(Qt::FontRole).value<QFont>().bold());
        EXPECT_EQ(
            row(step.current),
            step.hidden
                ? QStringLiteral("%1  %2").arg(step.current + 1).arg(AnswerFollower::hiddenText())
                : cue(step.current));
        // The others read as they are; the current one alone is marked.
        EXPECT_EQ(row(4), cue(4));
        EXPECT_FALSE(cues->model()->index(4, 0).data(Qt::FontRole).value<QFont>().bold());
    }
    EXPECT_EQ(h.settings().preference(QStringLiteral("HideAnswer"), {}), QStringLiteral("0"));

    // A double click on a cue loops its sentence.
    const QModelIndex last = cues->model()->index(4, 0);
    // The first click of the two, then the second one.
    QTest::mouseClick(cues->viewport(), Qt::LeftButton, {}, cues->visualRect(last).center());
    EXPECT_FALSE(h.loops(4));
    QTest::mouseDClick(cues->viewport(), Qt::LeftButton, {}, cues->visualRect(last).center());
    EXPECT_TRUE(h.loops(4));

    // Not sentence by sentence: the answer page is as it always was.
    trigger("Action_SentenceMode");
    EXPECT_FALSE(cues->isVisible());
    EXPECT_TRUE(h.widget<QPlainTextEdit>("Memo_Answer")->isVisible());
}

TEST(LessonAnswerPage, TheAnswerTextMarksThePassageAndKeepsItInView)
{
    QTemporaryDir shared;
    const QString wav = writeLesson(shared.path());
    QByteArray answer = "One small step. The cat sat down.\n";
    for (int i = 0; i < 80; ++i)
        answer += "A line about something else entirely, number " + QByteArray::number(i) + ".\n";
    answer += "It was a bright cold day in April. We went home. Good night.\n";
    putFile(shared.filePath(QStringLiteral("answer.txt")), answer);
    LessonWindow h(shared.filePath(QStringLiteral("learner.db")));
    h.w().setWindowState(Qt::WindowNoState);
    h.w().resize(900, 700);
    h.w().show();
    h.open(wav);
    ASSERT_TRUE(h.waitForLoop(0));
    const auto trigger = [&](const char *name) { h.action(QString::fromLatin1(name))->trigger(); };
    h.dialogs.fileAnswers.enqueue(shared.filePath(QStringLiteral("answer.txt")));
    trigger("Action_OpenAnswerFile");
    auto *view = h.widget<QPlainTextEdit>("Memo_Answer");
    EXPECT_FALSE(h.widget<QListView>("ListView_Cues")->isVisible());

    // Looked at with F8: the place of sentence 1 shows, its words do not.
    trigger("Action_ChangePageControlPage");
    ASSERT_EQ(view->extraSelections().size(), 1);
    EXPECT_EQ(selectedText(view->extraSelections().first()), QStringLiteral("One small step."));
    EXPECT_TRUE(hidesText(view->extraSelections().first()));
    trigger("Action_ShowSentenceAnswer");
    ASSERT_EQ(view->extraSelections().size(), 1);
    EXPECT_FALSE(hidesText(view->extraSelections().first()));
    EXPECT_TRUE(view->extraSelections().first().format.fontUnderline());

    // Two sentences on, far down the answer: marked, hidden and scrolled to.
    trigger("Action_NextSentence");
    trigger("Action_NextSentence");
    ASSERT_EQ(view->extraSelections().size(), 1);
    const QTextEdit::ExtraSelection mark = view->extraSelections().first();
    EXPECT_EQ(selectedText(mark), QStringLiteral("It was a bright cold day in April."));
    EXPECT_TRUE(hidesText(mark));
    EXPECT_GT(view->verticalScrollBar()->value(), 0);
    QTextCursor start(view->document());
    start.setPosition(mark.cursor.selectionStart());
    EXPECT_TRUE(view->viewport()->rect().contains(view->cursorRect(start)));
    // A line tried shows it; the answer text itself is untouched.
    h.apply(QStringLiteral("it was a cold day"));
    EXPECT_FALSE(hidesText(view->extraSelections().first()));
    EXPECT_EQ(view->toPlainText().left(answer.size() - 1), QString::fromLatin1(answer.chopped(1)));

    // Not sentence by sentence: no marks of the lesson's.
    trigger("Action_SentenceMode");
    EXPECT_TRUE(view->extraSelections().isEmpty());
}

// Three sounds with pauses between them: sentences from pauses, no cues.
void writeSounds(const QString &path)
{
    constexpr int Rate = 8000;
    QByteArray samples;
    QDataStream out(&samples, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    bool on = false;
    for (double seconds : {1.0, 1.2, 0.8, 1.2, 0.8, 1.2, 1.0}) {
        for (int i = 0; i < int(seconds * Rate); ++i)
            out << (on ? qint16(10000 * std::sin(i * 2 * M_PI * 300 / Rate)) : qint16(i % 3 - 1));
        on = !on;
    }
    putFile(path, monoWav(samples, Rate));
}

TEST(LessonHints, ASentenceWithoutACueHintsFromItsPlaceInTheAnswer)
{
    QTemporaryDir shared;
    const QString wav = shared.filePath(QStringLiteral("talk.wav"));
    writeSounds(wav);
    // The first sentence is long in the text, so the second one's share of
    // the recording falls inside it.
    putFile(shared.filePath(QStringLiteral("answer.txt")),
            "Birds sing at dawn in the old green garden by the river. Rivers run. Stars shine at "
            "night.\n");
    LessonWindow h(shared.filePath(QStringLiteral("learner.db")));
    h.w().OpenSourceFile(wav);
    h.player.length = 7.2;
    h.player.setStateAndNotify(MediaPlayer::Playing);
    FakePlayer::flushEvents();
    ASSERT_TRUE(QTest::qWaitFor([&] { return h.lesson().count() == 3; }, 30000));
    ASSERT_EQ(h.lesson().current(), 0);
    h.dialogs.fileAnswers.enqueue(shared.filePath(QStringLiteral("answer.txt")));
    h.action(QStringLiteral("Action_OpenAnswerFile"))->trigger();
    const auto trigger = [&](const char *name) { h.action(QString::fromLatin1(name))->trigger(); };

    struct Step {
        const char *name;
        std::function<void()> go;
        int sentence;
        const char *line; // after Ctrl+H on an empty line
    };
    const Step steps[] = {
        {"the last, nothing known: at its share of the answer",
         [&] {
             trigger("Action_NextSentence");
             trigger("Action_NextSentence");
         },
         2, "S"},
        {"again: the whole word", [&] { trigger("Action_RepeatSentence"); }, 2, "Stars"},
        {"the first: at its share",
         [&] {
             trigger("Action_PreviousSentence");
             trigger("Action_PreviousSentence");
         },
         0, "B"},
        {"the second: right after the passage of the first",
         [&] { trigger("Action_NextSentence"); }, 1, "Ri"},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.name);
        step.go();
        ASSERT_EQ(h.lesson().current(), step.sentence);
        h.edit()->clear();
        trigger("Action_Hint");
        EXPECT_EQ(h.edit()->text(), QString::fromLatin1(step.line));
    }
    // The line is held to the passage the hint came from.
    h.apply(QStringLiteral("Rivers run."));
    EXPECT_EQ(h.widget<QLabel>("FeedbackScore")->text(), QStringLiteral("得分 100% · 借助提示"));
    EXPECT_EQ(h.lesson().at(1).state, SentenceState::PassedWithHelp);
    EXPECT_EQ(h.lesson().at(1).expected, QStringLiteral("Rivers run."));

    // The answer page marks the third at its place, hidden.
    ASSERT_TRUE(QTest::qWaitFor([&] { return h.lesson().current() == 2; }, 5000));
    h.action(QStringLiteral("Action_ChangePageControlPage"))->trigger();
    auto *view = h.widget<QPlainTextEdit>("Memo_Answer");
    ASSERT_EQ(view->extraSelections().size(), 1);
    EXPECT_EQ(selectedText(view->extraSelections().first()),
              QStringLiteral("Stars shine at night."));
    EXPECT_TRUE(hidesText(view->extraSelections().first()));
}

// Lines a learner really applies that went wrong: blanks an input method or a
// paste brings, a pasted page, control characters, numbers in words, a hyphen,
// and hints past a repeated word. Each step works on the sentence the one
// before left looped.
TEST(LessonWindowFlow, LessonFaults)
{
    QTemporaryDir shared;
    const QString wav =
        writeCuedLesson(shared.path(), {"One small step.", "I have 1 dog and 21 cats.",
                                        "Thy self-substantial fuel.",
                                        "His tender heir might bear his memory.", "Good night."});
    LessonWindow h(shared.filePath(QStringLiteral("learner.db")));
    h.open(wav);
    ASSERT_TRUE(h.waitForLoop(0));
    const QString pasted = QStringLiteral("word ").repeated(MaxCompareWords + 1);
    struct Step {
        const char *name;
        QString typed;
        int hintPresses;    // Ctrl+H before applying; the line is not applied then
        const char *record; // the line as written into the document; null: nothing written
        SentenceState state;
        int tries;
        QString strip; // the strip's words, as far as the row says
        int nextLoop;  // the sentence looped afterwards
    } steps[] = {
        {"full-width spaces",
         QStringLiteral("\u3000\u3000"),
         0,
         nullptr,
         SentenceState::NotStarted,
         0,
         {},
         0},
        {"no-break and zero-width spaces",
         QStringLiteral("\u00A0\u200B\uFEFF \u2060"),
         0,
         nullptr,
         SentenceState::NotStarted,
         0,
         {},
         0},
        {"a pasted page", pasted, 0, "", SentenceState::Attempted, 1,
         QStringLiteral("这一行超过 300 个词，无法比较，不算过关"), 0},
        {"control characters", QStringLiteral("\u3000one\x01 small\tstep\u200B"), 0,
         "one small step", SentenceState::Passed, 2, QStringLiteral("one small step"), 1},
        {"numbers in words", QStringLiteral("I have one dog and twenty-one cats"), 0,
         "I have one dog and twenty-one cats", SentenceState::Passed, 1,
         QStringLiteral("I have one dog and twenty-one cats"), 2},
        {"a hyphen", QStringLiteral("thy self-substantial fuel"), 0, "thy self-substantial fuel",
         SentenceState::Passed, 1, QStringLiteral("thy self-substantial fuel"), 3},
        {"hints past a repeated word", QString(), 8, nullptr, SentenceState::NotStarted, 0, {}, 3},
    };
    int records = 0;
    for (const Step &step : steps) {
        SCOPED_TRACE(step.name);
        const int index = h.lesson().current();
        const qsizetype before = h.doc().text().size();
        h.edit()->setText(step.typed);
        for (int press = 0; press < step.hintPresses; ++press)
            h.action(QStringLiteral("Action_Hint"))->trigger();
        if (step.hintPresses == 0)
            h.clickApply();
        if (step.record) {
            ++records;
            const QStringList lines = h.doc().text().split(QStringLiteral("\r\n"));
            ASSERT_GE(lines.size(), 3);
            if (*step.record) {
                EXPECT_EQ(lines.at(lines.size() - 3), QString::fromUtf8(step.record));
            }
        } else {
            EXPECT_EQ(h.doc().text().size(), before);
        }
        EXPECT_EQ(h.lesson().at(index).state, step.state);
        EXPECT_EQ(h.lesson().at(index).tries, step.tries);
        if (!step.strip.isEmpty()) {
            QTextDocument shown;
            shown.setHtml(h.widget<QLabel>("FeedbackWords")->text());
            EXPECT_EQ(shown.toPlainText(), step.strip);
        }
        if (step.hintPresses > 0) {
            EXPECT_EQ(h.edit()->text(), QStringLiteral("His tender heir might"));
        }
        EXPECT_TRUE(h.waitForLoop(step.nextLoop));
    }
    EXPECT_EQ(h.doc().text().count(QStringLiteral("循环开始点")), records);
}

// The rules on their own.

TEST(LessonWhileAnalysing, KeepsWhatWasDoneAsSentencesArrive)
{
    const QList<Sentence> first{{0.5, 2.0, {}}, {2.5, 4.0, {}}};
    Lesson lesson;
    QSignalSpy reset(lesson.model(), &QAbstractItemModel::modelReset);
    QSignalSpy inserted(lesson.model(), &QAbstractItemModel::rowsInserted);
    QSignalSpy current(&lesson, &Lesson::currentChanged);
    SentenceProgress stored;
    stored.start = 6.5;
    stored.end = 8.0;
    stored.state = SentenceState::Passed;
    lesson.setSentences(first, {stored});
    lesson.setCurrent(1);
    SentenceProgress tried = lesson.at(1);
    tried.state = SentenceState::Attempted;
    tried.tries = 2;
    lesson.update(1, tried);
    lesson.noteHint(0);
    lesson.setPassage(1, TextRange{10, 20});

    struct Step {
        const char *what;
        QList<Sentence> sentences;
        int current;   // where the sentence worked on is now
        int rowsReset; // list resets so far
    } steps[] = {
        {"more found", first + QList<Sentence>{{4.5, 6.0, {}}, {6.5, 8.0, {}}}, 1, 1},
        {"all, one moved", {{0.5, 2.1, {}}, {2.5, 4.0, {}}, {4.5, 6.0, {}}, {6.5, 8.0, {}}}, 1, 2},
        {"all, the current moved", {{0.5, 2.1, {}}, {2.5, 4.2, {}}, {6.5, 8.0, {}}}, -1, 3},
        {"divided anew", {{0.5, 3.0, {}}, {3.0, 4.0, {}}, {6.4, 8.1, {}}}, -1, 4},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.what);
        lesson.setSentences(step.sentences, {stored});
        EXPECT_EQ(lesson.count(), step.sentences.size());
        EXPECT_EQ(lesson.current(), step.current);
        EXPECT_EQ(reset.size(), step.rowsReset);
        EXPECT_EQ(lesson.model()->rowCount(), step.sentences.size());
        EXPECT_EQ(lesson.progress().constLast().state, SentenceState::Passed); // stored
        // What was done follows the sentence; the help only while its times stay.
        const int tried = matchingSentence(step.sentences, 2.5, 4.0);
        ASSERT_GE(tried, 0);
        EXPECT_EQ(lesson.at(tried).tries, 2);
        int tries = 0;
        for (const SentenceProgress &p : lesson.progress())
            tries += p.tries;
        EXPECT_EQ(tries, 2);
        EXPECT_EQ(lesson.hintsUsed(), step.current >= 0 ? 1 : 0);
    }
    EXPECT_EQ(inserted.size(), 1);
    // Set once, then told again when the list was laid out anew with it.
    EXPECT_EQ(current.size(), 2);
    // Only more of the same sentences keeps their places in the answer.
    lesson.setSentences(first, {});
    lesson.setPassage(1, TextRange{10, 20});
    lesson.setSentences(first + QList<Sentence>{{4.5, 6.0, {}}}, {});
    EXPECT_TRUE(lesson.passage(1).has_value());
    lesson.setSentences({{0.5, 2.2, {}}, {2.5, 4.0, {}}}, {});
    EXPECT_FALSE(lesson.passage(1).has_value());

    // Another recording starts afresh.
    lesson.clear();
    lesson.setSentences(first, {});
    EXPECT_EQ(lesson.at(1).tries, 0);
}

} // namespace
