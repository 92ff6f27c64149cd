// Replaying the word the learner is stuck on, the unsure sentences of an
// aligned text, and its first sentences shown before the whole.
#include "support/joinedspeech.h"
#include "support/testutil.h"

#include "align/cuewords.h"
#include "align/speechsynth.h"
#include "align/transcriptaligner.h"
#include "learner/sentenceprogress.h"
#include "lesson/lesson.h"
#include "lesson/sentencelistmodel.h"
#include "lesson/wordreplay.h"
#include "sentences/sentencetrack.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(WordReplayRules, TheWordTheLearnerIsStuckOn)
{
    const QString expected = QStringLiteral("He was not an ill disposed young man.");
    struct Row {
        const char *name;
        const char *tried;
        int hinted;
        int stuck;
    } rows[] = {
        {"nothing typed: the first word", "", -1, 0},
        {"the first missing word", "he was not an", -1, 4},
        {"a wrong word", "he was not an all disposed young man", -1, 4},
        {"a missing word inside", "he was an ill disposed young man", -1, 2},
        {"an extra word is not a stuck one", "he was not an ill very disposed young man", -1, -1},
        {"case and punctuation do not count", "HE WAS NOT AN ILL DISPOSED YOUNG MAN", -1, -1},
        {"the hinted word after the try", "he was", 6, 6},
        {"a hint past the words is no hint", "he was", 8, 2},
    };
    for (const Row &r : rows)
        EXPECT_EQ(stuckWord(QString::fromUtf8(r.tried), expected, r.hinted, QStringLiteral("en")),
                  r.stuck)
            << r.name;
    EXPECT_EQ(stuckWord(QStringLiteral("a"), QString(), -1), -1) << "nothing expected";
    // Chinese: a character is a word.
    EXPECT_EQ(stuckWord(QStringLiteral("我们今"), QStringLiteral("我们今天去公园。"), -1,
                        QStringLiteral("zh")),
              3);
}

TEST(WordReplayRules, TheWordsTextAndTimes)
{
    const QString text = QStringLiteral("He was not, an ill-disposed man.");
    ASSERT_EQ(expectedWordRange(text, 2, QStringLiteral("en")), (TextRange{7, 10}));
    EXPECT_EQ(expectedWordRange(text, 99, QStringLiteral("en")), std::nullopt);

    // Times as the aligner gives them: a word per stretch of text, which
    // need not cut the text where the comparison does ("ill-disposed").
    const QList<WordTime> words = {
        {0, 2, 1.00, 1.20},  {3, 3, 1.20, 1.45},   {7, 4, 1.45, 1.80},
        {12, 2, 1.80, 1.90}, {15, 12, 1.90, 2.60}, {28, 4, 2.60, 3.00},
    };
    struct Row {
        const char *name;
        TextRange range;
        std::optional<TimeSpan> span;
    } rows[] = {
        {"one word", {7, 10}, TimeSpan{1.45, 1.80}},
        {"a part of a timed word", {15, 18}, TimeSpan{1.90, 2.60}},
        {"over two timed words", {12, 18}, TimeSpan{1.80, 2.60}},
        {"between the words", {11, 12}, std::nullopt},
    };
    for (const Row &r : rows)
        EXPECT_EQ(spokenSpan(words, r.range), r.span) << r.name;
    EXPECT_EQ(spokenSpan({}, {0, 2}), std::nullopt) << "no times";
}

TEST(WordReplayRules, ContextEitherSideKeptInsideTheSentence)
{
    const Sentence sentence{1.0, 4.0, QStringLiteral("x")};
    struct Row {
        const char *name;
        TimeSpan word;
        TimeSpan played;
    } rows[] = {
        {"inside", {2.0, 2.4}, {1.8, 2.6}},
        {"the first word", {1.05, 1.3}, {1.0, 1.5}},
        {"the last word", {3.7, 3.95}, {3.5, 4.0}},
        {"a time outside the sentence", {4.5, 4.8}, {4.0, 4.0}},
    };
    for (const Row &r : rows) {
        const TimeSpan played = replaySpan(r.word, sentence);
        EXPECT_NEAR(played.start, r.played.start, 1e-9) << r.name;
        EXPECT_NEAR(played.end, r.played.end, 1e-9) << r.name;
    }
}

TEST(WordReplayRules, TheSpanPlaysOnceThenTheLoopGoesOn)
{
    struct Row {
        const char *name;
        int stateBefore;
        QStringList calls;
    } rows[] = {
        {"while playing", MediaPlayer::Playing, {"seek:2.5", "seek:2"}},
        {"while paused", MediaPlayer::Paused, {"seek:2.5", "play", "seek:2", "pause"}},
    };
    for (const Row &r : rows) {
        WindowHarness h;
        h.openPlaying(QStringLiteral("a.wav"), 20.0);
        h.loop().setPoints(2.0, 5.0);
        h.player.position = 3.0;
        h.player.setStateAndNotify(r.stateBefore);
        FakePlayer::flushEvents();
        h.player.calls.clear();
        QSignalSpy played(&h.transport(), &Transport::oncePlayed);
        h.transport().playOnce(2.5, 3.1);
        FakePlayer::flushEvents();
        h.player.position = 2.9;
        h.transport().tick();
        EXPECT_TRUE(played.isEmpty()) << r.name;
        h.player.position = 3.15;
        h.transport().tick();
        EXPECT_EQ(played.size(), 1) << r.name;
        h.player.calls.removeAll(QStringLiteral("pos"));
        EXPECT_EQ(h.player.calls, r.calls) << r.name;
        // The loop is the sentence's again.
        h.player.setStateAndNotify(MediaPlayer::Playing);
        FakePlayer::flushEvents();
        h.player.calls.clear();
        h.player.position = 5.2;
        h.transport().tick();
        EXPECT_TRUE(h.player.calls.contains(QStringLiteral("seek:2"))) << r.name;
    }
}

TEST(SentenceListMarks, AnUnsureSentenceIsMarkedAtItsTime)
{
    Lesson lesson;
    QList<Sentence> sentences = {
        {1.0, 2.0, QStringLiteral("One."), {}, false},
        {3.0, 4.0, QStringLiteral("Two."), {}, true},
    };
    lesson.setSentences(sentences, {});
    // More sentences found: the marks follow the new rows too.
    sentences.append({5.0, 6.0, QStringLiteral("Three."), {}, true});
    lesson.setSentences(sentences, {});
    const SentenceListModel &model = *lesson.model();
    ASSERT_EQ(model.rowCount(), 3);
    struct Row {
        int row;
        const char *time;
        bool tip;
    } rows[] = {{0, "0:01.0", false}, {1, "≈0:03.0", true}, {2, "≈0:05.0", true}};
    for (const Row &r : rows) {
        const QModelIndex time = model.index(r.row, SentenceListModel::Time);
        EXPECT_EQ(model.data(time).toString(), QString::fromUtf8(r.time)) << r.row;
        const QString tip = model.data(time, Qt::ToolTipRole).toString();
        EXPECT_EQ(tip.contains(QStringLiteral("不够准")), r.tip) << r.row;
    }
    // Aligned again, sure this time: the mark goes.
    sentences[1].poor = false;
    lesson.setSentences(sentences, {});
    EXPECT_EQ(model.data(model.index(1, SentenceListModel::Time)).toString(),
              QStringLiteral("0:03.0"));
}

TEST(CueWords, ACuesWordsAreTimedInsideIt)
{
    QTemporaryDir dir;
    const QString recording = dir.filePath(QStringLiteral("reader.wav"));
    QString error;
    const QList<Spoken> truth = readerSpeech(dir.path(), recording, error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    const Features features = recordingFeatures(recording, {}, {}, error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    const QString voice = voiceFor(QStringLiteral("en"), truth[0].text);
    // Cues timed loosely, as subtitles are: a little early, a little late.
    const double slack[][2] = {{-0.3, 0.2}, {0.0, 0.0}, {-0.1, 0.3}, {0.15, -0.1}, {-0.2, -0.15}};
    for (qsizetype k = 0; k < truth.size(); ++k) {
        const Spoken &s = truth[k];
        const double start = std::max(0.0, s.start + slack[k][0]);
        const double end = s.end + slack[k][1];
        const QList<WordTime> words = timeCueWords(s.text, start, end, features, voice);
        // The synthesizer may say two short words in one go, never more.
        ASSERT_GE(words.size(), (s.text.count(QLatin1Char(' ')) + 1) / 2) << k;
        EXPECT_EQ(words.first().position, 0) << k;
        EXPECT_GE(words.last().position + words.last().length, s.text.size() - 1) << k;
        EXPECT_NEAR(words.first().start, std::max(start, s.start), 0.25) << k;
        EXPECT_NEAR(words.last().end, std::min(end, s.end), 0.3) << k;
        for (qsizetype w = 0; w < words.size(); ++w) {
            EXPECT_GE(words[w].start, start) << k << " " << w;
            EXPECT_LE(words[w].end, end) << k << " " << w;
            EXPECT_LE(words[w].start, words[w].end) << k << " " << w;
            if (w > 0) {
                EXPECT_GE(words[w].start, words[w - 1].start) << k << " " << w;
            }
            EXPECT_LE(words[w].position + words[w].length, s.text.size()) << k;
        }
    }
    EXPECT_TRUE(timeCueWords(QStringLiteral("  "), 1.0, 2.0, features, voice).isEmpty());
    EXPECT_TRUE(timeCueWords(QStringLiteral("Late."), 900.0, 901.0, features, voice).isEmpty())
        << "a cue past the recording";
}

TEST(CueWords, TheTimerFindsEachCueOnceAndForgetsThemWithTheRecording)
{
    QTemporaryDir dir;
    const QString recording = dir.filePath(QStringLiteral("reader.wav"));
    QString error;
    const QList<Spoken> truth = readerSpeech(dir.path(), recording, error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    struct Row {
        const char *name;
        QString path;
        bool timed;
    } rows[] = {
        {"a recording", recording, true},
        {"a file that is no recording", dir.filePath(QStringLiteral("missing.wav")), false},
    };
    for (const Row &r : rows) {
        CueWordTimer timer;
        timer.setRecording(r.path, QStringLiteral("en"));
        QSignalSpy found(&timer, &CueWordTimer::found);
        // Asked for several at once, the same one twice: each comes once.
        const QList<Sentence> cues = {{truth[3].start, truth[3].end, truth[3].text},
                                      {truth[0].start, truth[0].end, truth[0].text},
                                      {truth[3].start, truth[3].end, truth[3].text}};
        for (const Sentence &cue : cues)
            timer.request(cue);
        ASSERT_TRUE(QTest::qWaitFor([&] { return found.size() >= 2; }, 30000)) << r.name;
        // Asked in turn, so a second "3" would come before this one.
        const Sentence later{truth[1].start, truth[1].end, truth[1].text};
        timer.request(later);
        ASSERT_TRUE(QTest::qWaitFor([&] { return found.size() >= 3; }, 30000)) << r.name;
        EXPECT_EQ(found.at(2).at(0).value<Sentence>(), later) << r.name;
        for (const Sentence &cue : cues) {
            const std::optional<QList<WordTime>> words = timer.known(cue);
            ASSERT_TRUE(words) << r.name;
            EXPECT_EQ(words->isEmpty(), !r.timed) << r.name;
            for (const WordTime &w : *words) {
                EXPECT_GE(w.start, cue.start) << r.name;
                EXPECT_LE(w.end, cue.end) << r.name;
            }
        }
        // Another recording: nothing kept.
        timer.setRecording(QString(), QStringLiteral("en"));
        EXPECT_EQ(timer.known(cues[0]), std::nullopt) << r.name;
    }
}

// ---- through the window ----

struct ReaderLesson {
    QTemporaryDir shared;
    QString recording = shared.filePath(QStringLiteral("reader.wav"));
    QList<Spoken> truth;
    WindowHarness h{true};

    explicit ReaderLesson(int times = 1)
    {
        QString error;
        truth = readerSpeech(shared.path(), recording, error, times);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        h.learnerDatabase = shared.filePath(QStringLiteral("learner.db"));
        h.create();
    }
    Lesson &lesson() { return h.feature<Lesson>(); }
    QStringList texts()
    {
        QStringList out;
        for (const Sentence &s : lesson().sentences())
            out.append(s.text);
        return out;
    }
    void open()
    {
        h.w().OpenSourceFile(recording);
        h.player.length = truth.last().end + 0.1;
        h.player.setStateAndNotify(MediaPlayer::Playing);
        FakePlayer::flushEvents();
    }
    void openAnswer()
    {
        const QString answer = shared.filePath(QStringLiteral("answer.txt"));
        QStringList lines;
        for (const Spoken &s : truth)
            lines.append(s.text);
        putFile(answer, lines.join(QLatin1Char(' ')).toUtf8());
        h.dialogs.fileAnswers.enqueue(answer);
        h.action(QStringLiteral("Action_OpenAnswerFile"))->trigger();
    }
    void choose(int row)
    {
        auto *list = h.widget<QTableView>("TableView_Sentences");
        Q_EMIT list->activated(list->model()->index(row, 0));
    }
    void apply(const QString &text)
    {
        h.widget<QLineEdit>("LabeledEdit_Dictation")->setText(text);
        h.clickApply();
    }
    QString status() { return h.w().statusBar()->currentMessage(); }
    // Where the player was sent last.
    std::optional<double> lastSeek()
    {
        for (qsizetype k = h.player.calls.size() - 1; k >= 0; --k) {
            if (h.player.calls[k].startsWith(QStringLiteral("seek:")))
                return h.player.calls[k].mid(5).toDouble();
        }
        return std::nullopt;
    }
};

// Where the word at `position` of a sentence's text is said, by its times.
std::optional<WordTime> timedWordAt(const Sentence &sentence, qsizetype position)
{
    for (const WordTime &w : sentence.words) {
        if (w.position <= position && position < w.position + w.length)
            return w;
    }
    return std::nullopt;
}

TEST(WordReplayWindow, TheKeyPlaysTheWordThenTheSentenceLoopsOn)
{
    ReaderLesson r;
    r.open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return r.lesson().count() > 0; }, 30000));
    // Sentences from pauses have no words to replay.
    r.choose(0);
    r.h.action(QStringLiteral("Action_ReplayWord"))->trigger();
    EXPECT_EQ(r.status(), QStringLiteral("这一句没有词的时间"));

    r.openAnswer();
    ASSERT_TRUE(QTest::qWaitFor([&] { return r.texts() == readerSentences(); }, 30000))
        << r.texts().join(QLatin1Char('|')).toStdString();
    r.choose(1);
    const Sentence sentence = r.lesson().sentences().at(1);
    r.apply(QStringLiteral("he was not an"));
    // "ill" is the first word missing.
    const std::optional<WordTime> ill = timedWordAt(sentence, sentence.text.indexOf("ill"));
    ASSERT_TRUE(ill);
    r.h.player.calls.clear();
    r.h.player.position = sentence.start + 0.1;
    r.h.action(QStringLiteral("Action_ReplayWord"))->trigger();
    const std::optional<double> from = r.lastSeek();
    ASSERT_TRUE(from);
    EXPECT_LE(*from, ill->start);
    EXPECT_GE(*from, std::max(sentence.start, ill->start - 0.25));
    EXPECT_EQ(r.status(), QStringLiteral("重听“ill”"));
    EXPECT_TRUE(r.h.transport().isPlayingOnce());

    // Heard to just past the word and its bit of context: back to the
    // sentence's start, and its loop goes on.
    r.h.player.position = ill->end + 0.1;
    r.h.transport().tick();
    EXPECT_TRUE(r.h.transport().isPlayingOnce()) << "the context after the word plays too";
    r.h.player.position = std::min(sentence.end, ill->end + 0.25) + 0.01;
    r.h.transport().tick();
    EXPECT_FALSE(r.h.transport().isPlayingOnce());
    EXPECT_NEAR(r.lastSeek().value_or(-1.0), sentence.start, 1e-6);
    EXPECT_EQ(r.h.player.state, MediaPlayer::Playing);
    EXPECT_EQ(r.lesson().current(), 1);

    // A hint after the try: its word is the one replayed.
    r.h.action(QStringLiteral("Action_Hint"))->trigger();
    r.h.widget<QLineEdit>("LabeledEdit_Dictation")->setText(QStringLiteral("he was not an ill"));
    r.h.action(QStringLiteral("Action_Hint"))->trigger(); // now about "disposed"
    r.h.action(QStringLiteral("Action_ReplayWord"))->trigger();
    EXPECT_EQ(r.status(), QStringLiteral("重听“disposed”"));

    // Every word right: nothing to replay.
    r.apply(QStringLiteral("he was not an ill disposed young man"));
    r.h.player.calls.clear();
    r.h.action(QStringLiteral("Action_ReplayWord"))->trigger();
    EXPECT_EQ(r.lastSeek(), std::nullopt);
}

TEST(WordReplayWindow, ACuesWordIsFoundWhenFirstWanted)
{
    ReaderLesson r;
    // Subtitles beside the recording, timed a little loosely.
    QByteArray srt;
    const auto stamp = [](double t) {
        const int ms = int(std::lround(t * 1000));
        return QStringLiteral("00:%1:%2,%3")
            .arg(ms / 60000, 2, 10, QLatin1Char('0'))
            .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
            .arg(ms % 1000, 3, 10, QLatin1Char('0'))
            .toUtf8();
    };
    for (qsizetype k = 0; k < r.truth.size(); ++k)
        srt += QByteArray::number(k + 1) + "\n" + stamp(std::max(0.0, r.truth[k].start - 0.1))
               + " --> " + stamp(r.truth[k].end + 0.15) + "\n" + r.truth[k].text.toUtf8() + "\n\n";
    putFile(r.shared.filePath(QStringLiteral("reader.srt")), srt);
    r.open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return r.texts() == readerSentences(); }, 30000))
        << r.texts().join(QLatin1Char('|')).toStdString();
    r.choose(2);
    const Sentence cue = r.lesson().sentences().at(2);
    r.apply(QStringLiteral("unless to be rather"));
    r.h.player.calls.clear();
    r.h.action(QStringLiteral("Action_ReplayWord"))->trigger();
    EXPECT_EQ(r.status(), QStringLiteral("正在找这个词在录音中的位置…"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return r.h.transport().isPlayingOnce(); }, 30000));
    EXPECT_EQ(r.status(), QStringLiteral("重听“cold”"));
    // "cold" comes after "Unless to be rather": well inside the cue.
    const double from = r.lastSeek().value_or(-1.0);
    EXPECT_GT(from, cue.start + 0.3);
    EXPECT_LT(from, cue.start + 0.6 * (cue.end - cue.start));

    // Again: known now, at once.
    r.h.transport().endPlayOnce();
    r.h.action(QStringLiteral("Action_ReplayWord"))->trigger();
    EXPECT_TRUE(r.h.transport().isPlayingOnce());
    EXPECT_NEAR(r.lastSeek().value_or(-1.0), from, 1e-9);
}

TEST(AlignPreview, TheFirstSentencesAreDictatedBeforeTheWholeIsAligned)
{
    ReaderLesson r(2);
    r.open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return r.lesson().count() > 0; }, 30000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return r.h.feature<SentenceTrack>().isComplete(); }, 30000));
    auto &aligner = r.h.feature<TranscriptAligner>();
    QSignalSpy first(&aligner, &TranscriptAligner::firstSentences);
    QSignalSpy whole(&aligner, &TranscriptAligner::finished);
    r.openAnswer();
    ASSERT_TRUE(first.wait(60000));
    ASSERT_TRUE(whole.isEmpty());
    // The strip, the list and the lesson: the text's first sentences, the
    // lesson on the first of them.
    const QStringList early = r.texts();
    ASSERT_GE(early.size(), 2);
    EXPECT_EQ(early, readerSentences(2).mid(0, early.size()));
    EXPECT_FALSE(r.h.feature<SentenceTrack>().isComplete());
    EXPECT_EQ(r.h.widget<QTableView>("TableView_Sentences")->model()->rowCount(), early.size());
    EXPECT_EQ(r.lesson().current(), 0);
    r.apply(QStringLiteral("and mister john"));
    EXPECT_EQ(r.lesson().at(0).tries, 1);

    // The whole replaces them, and what was done stays with its sentence.
    ASSERT_TRUE(QTest::qWaitFor([&] { return r.texts() == readerSentences(2); }, 60000))
        << r.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(r.h.feature<SentenceTrack>().isComplete());
    EXPECT_EQ(r.lesson().at(0).tries, 1);
    EXPECT_EQ(r.lesson().at(0).bestLine, QStringLiteral("and mister john"));
}

} // namespace
