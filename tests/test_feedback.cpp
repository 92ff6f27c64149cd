#include "feedback/feedbacksession.h"
#include "feedback/feedbackstrip.h"
#include "feedback/nearestpassage.h"
#include "feedback/wordcompare.h"
#include "support/testutil.h"

#include <QLabel>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <ostream>

namespace {

// The marks in a compact form: "word" right, "typed>expected" wrong,
// "-expected" missing, "+typed" extra, joined by "|".
QString marksText(const Comparison &c)
{
    QStringList parts;
    for (const WordMark &m : c.marks) {
        switch (m.kind) {
        case WordMark::Kind::Right:
            parts << m.typed;
            break;
        case WordMark::Kind::Wrong:
            parts << m.typed + QLatin1Char('>') + m.expected;
            break;
        case WordMark::Kind::Missing:
            parts << QLatin1Char('-') + m.expected;
            break;
        case WordMark::Kind::Extra:
            parts << QLatin1Char('+') + m.typed;
            break;
        }
    }
    return parts.join(QLatin1Char('|'));
}

struct CompareCase {
    const char *name;
    QString typed;
    QString expected;
    QString marks;
    int right;
    int expectedCount;
};

void PrintTo(const CompareCase &c, std::ostream *os)
{
    *os << c.name;
}

class CompareTable : public testing::TestWithParam<CompareCase>
{
};

TEST_P(CompareTable, MarksAndScore)
{
    const CompareCase &c = GetParam();
    const Comparison result = compareWords(c.typed, c.expected);
    EXPECT_EQ(marksText(result), c.marks);
    EXPECT_EQ(result.right, c.right);
    EXPECT_EQ(result.expectedCount, c.expectedCount);
    EXPECT_FALSE(result.tooLong);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CompareTable,
    testing::Values(
        // English: contractions, apostrophes, case and punctuation.
        CompareCase{"ApostropheVariantsAndCase", "I DON’T know", "I don't know.", "I|DON’T|know", 3,
                    3},
        CompareCase{"ModifierAndFullWidthApostrophe", "itʼs ｉｔ＇ｓ", "it's it's", "itʼs|ｉｔ＇ｓ",
                    2, 2},
        CompareCase{"ContractionMisspelt", "I dont know", "I don't know.", "I|dont>don't|know", 2,
                    3},
        CompareCase{"PunctuationIgnored", "hello world well known", "Hello, world! Well-known?",
                    "hello|world|well|known", 4, 4},
        CompareCase{"QuotesAroundWordAreNotApostrophes", "yes", "'yes'", "yes", 1, 1},
        CompareCase{"MissingWord", "I went the park", "I went to the park.", "I|went|-to|the|park",
                    4, 5},
        CompareCase{"ExtraWord", "the very big dog", "The big dog.", "the|+very|big|dog", 3, 3},
        // Numbers are words; a thousands comma does not count, a decimal point does.
        CompareCase{"NumbersAreWords", "in 1999 there were 3 cats", "In 1999, there were 4 cats.",
                    "in|1999|there|were|3>4|cats", 5, 6},
        CompareCase{"ThousandsComma", "1000 people", "1,000 people", "1000|people", 2, 2},
        CompareCase{"DecimalPoint", "3.14 not 314", "3.14 not 3.14", "3.14|not|314>3.14", 2, 3},
        CompareCase{"FullWidthLatinAndDigits", "ＨＥＬＬＯ　ｗｏｒｌｄ ２０２４",
                    "hello world 2024", "ＨＥＬＬＯ|ｗｏｒｌｄ|２０２４", 3, 3},
        // Chinese, Japanese, Korean: one token per character.
        CompareCase{"ChineseSame", "我们去公园", "我们去公园。", "我|们|去|公|园", 5, 5},
        CompareCase{"ChineseFullWidthPunctuation", "我们，去公园！", "我们去公园", "我|们|去|公|园",
                    5, 5},
        CompareCase{"ChineseMissingAndWrong", "我去公圆", "我们去公园。", "我|-们|去|公|圆>园", 3,
                    5},
        CompareCase{"HalfWidthKatakana", "ｺｰﾋｰを飲む", "コーヒーを飲む。", "ｺ|ｰ|ﾋ|ｰ|を|飲|む", 7,
                    7},
        CompareCase{"KoreanSpacingIgnored", "안녕 하세요", "안녕하세요", "안|녕|하|세|요", 5, 5},
        CompareCase{"HanOutsideBmp", QString::fromUcs4(U"\U00020000好"),
                    QString::fromUcs4(U"\U00020001好"),
                    QString::fromUcs4(U"\U00020000>\U00020001|好"), 1, 2},
        // Mixed lines.
        CompareCase{"ChineseWithLatinAndDigits", "我喜欢 python 3", "我喜欢Python 3。",
                    "我|喜|欢|python|3", 5, 5},
        CompareCase{"DigitsInChinese", "２０２３年", "2023年", "２０２３|年", 2, 2},
        // Empty, one word, and a line longer than what was said.
        CompareCase{"TypedEmpty", "", "two words", "-two|-words", 0, 2},
        CompareCase{"TypedOnlyPunctuation", "...!", "Yes.", "-Yes", 0, 1},
        CompareCase{"ExpectedEmpty", "hello", "", "+hello", 0, 0},
        CompareCase{"OneWordRight", "cat", "Cat.", "cat", 1, 1},
        CompareCase{"OneWordWrong", "cat", "dog", "cat>dog", 0, 1},
        CompareCase{"LongerThanPassage", "I went to the big park today", "to the park",
                    "+I|+went|to|the|+big|park|+today", 3, 3}));

// Numbers said in words and written in digits, where the language is known.
struct NumberCase {
    const char *name;
    const char *language;
    const char *typed;
    const char *expected;
    const char *marks;
    int right;
};

TEST(Compare, NumbersInWordsAndDigitsAreTheSameWord)
{
    const NumberCase cases[] = {
        {"one and 1", "en", "One small step", "1 small step.", "One|small|step", 3},
        {"hyphenated tens", "en", "21 cats", "Twenty-one cats.", "21|cats", 2},
        {"tens apart", "en", "twenty one cats", "21 cats", "twenty one|cats", 2},
        {"hundreds with and", "en", "105 days", "one hundred and five days", "105|days", 2},
        {"thousands", "en", "3,250 people", "three thousand two hundred fifty people",
         "3,250|people", 2},
        {"two numbers stay two", "en", "one two", "1 2", "one|two", 2},
        {"an and that is no number", "en", "one and all", "1 and all", "one|and|all", 3},
        {"wrong number", "en", "twenty-two", "21", "twenty-two>21", 0},
        {"the language unknown", "", "one", "1", "one>1", 0},
        {"Chinese has no words for it", "zh", "one", "1", "one>1", 0},
        {"French", "fr", "quatre-vingt-dix-sept ans", "97 ans", "quatre-vingt-dix-sept|ans", 2},
        {"French et", "fr", "vingt et un", "21", "vingt et un", 1},
        {"Spanish", "es", "ciento veintiuno", "121", "ciento veintiuno", 1},
        {"Spanish y", "es", "treinta y dos", "32", "treinta y dos", 1},
        {"Portuguese", "pt", "vinte e um", "21", "vinte e um", 1},
        {"Russian", "ru", "две тысячи двадцать четыре", "2024", "две тысячи двадцать четыре", 1},
        {"German compound", "de", "einundzwanzig Jahre", "21 Jahre", "einundzwanzig|Jahre", 2},
        {"Italian compound", "it", "ventuno anni", "21 anni", "ventuno|anni", 2},
        {"case of a regional code", "en-GB", "Eleven", "11", "Eleven", 1},
    };
    for (const NumberCase &c : cases) {
        SCOPED_TRACE(c.name);
        const Comparison result =
            compareWords(QString::fromUtf8(c.typed), QString::fromUtf8(c.expected),
                         QString::fromLatin1(c.language));
        EXPECT_EQ(marksText(result), QString::fromUtf8(c.marks));
        EXPECT_EQ(result.right, c.right);
    }
}

// A word that comes again later in the line is the first one for a learner
// who has written only the start.
TEST(Compare, TypedWordsStandAsEarlyAsTheyCan)
{
    EXPECT_EQ(marksText(compareWords("His", "His tender heir might bear his memory")).toStdString(),
              "His|-tender|-heir|-might|-bear|-his|-memory");
    EXPECT_EQ(marksText(compareWords("the the", "the cat")).toStdString(), "the|the>cat");
    EXPECT_EQ(marksText(compareWords("his his", "his")).toStdString(), "his|+his");
    // A later word still matches where it is the better fit.
    EXPECT_EQ(marksText(compareWords("bear his memory", "His tender heir might bear his memory"))
                  .toStdString(),
              "-His|-tender|-heir|-might|bear|his|memory");
}

TEST(Compare, NothingExpectedHasNoScore)
{
    EXPECT_FALSE(compareWords("hello", "").hasScore());
    EXPECT_FALSE(compareWords("", "♪ ♪").hasScore());
    EXPECT_TRUE(compareWords("", "word").hasScore());
}

TEST(Compare, PastedHugeLineIsNotCompared)
{
    const QString huge = QStringLiteral("word ").repeated(MaxCompareWords + 1);
    const Comparison typedTooLong = compareWords(huge, "a word");
    EXPECT_TRUE(typedTooLong.tooLong);
    EXPECT_FALSE(typedTooLong.hasScore());
    EXPECT_TRUE(typedTooLong.marks.isEmpty());
    EXPECT_TRUE(compareWords("a word", huge).tooLong);
    EXPECT_FALSE(AnswerIndex(QStringLiteral("word and more")).nearest(huge).has_value());
}

struct PercentCase {
    double score;
    int percent;
};

class PercentTable : public testing::TestWithParam<PercentCase>
{
};

TEST_P(PercentTable, Rounds)
{
    EXPECT_EQ(scorePercent(GetParam().score), GetParam().percent);
}

// Only a perfect line reads 100% and only a line with nothing right reads 0%.
INSTANTIATE_TEST_SUITE_P(Scores, PercentTable,
                         testing::Values(PercentCase{5.0 / 6.0, 83}, PercentCase{2.0 / 3.0, 67},
                                         PercentCase{1.0, 100}, PercentCase{0.0, 0},
                                         PercentCase{199.0 / 200.0, 99},
                                         PercentCase{1.0 / 300.0, 1}));

// Nearest passage ------------------------------------------------------------

const QString catTwice = QStringLiteral(
    "The cat sat on the mat. Birds sing in the morning. The cat sat on the mat. Rain falls.");

struct NearestCase {
    const char *name;
    QString answer;
    QString typed;
    qsizetype preferAfter;
    QString passage; // empty: nothing found
    int occurrence;  // which occurrence of the passage in the answer, from 0
    int distance;
};

void PrintTo(const NearestCase &c, std::ostream *os)
{
    *os << c.name;
}

qsizetype nthIndexOf(const QString &text, const QString &part, int n)
{
    qsizetype at = text.indexOf(part);
    while (n-- > 0 && at >= 0)
        at = text.indexOf(part, at + 1);
    return at;
}

class NearestTable : public testing::TestWithParam<NearestCase>
{
};

TEST_P(NearestTable, FindsPassage)
{
    const NearestCase &c = GetParam();
    const AnswerIndex index(c.answer);
    const std::optional<Passage> found = index.nearest(c.typed, c.preferAfter);
    if (c.passage.isEmpty()) {
        EXPECT_FALSE(found.has_value()) << found->expected.toStdString();
        return;
    }
    ASSERT_TRUE(found.has_value());
    const qsizetype start = nthIndexOf(c.answer, c.passage, c.occurrence);
    ASSERT_GE(start, 0) << "bad case";
    EXPECT_EQ(found->expected, c.passage);
    EXPECT_EQ(found->start, start);
    EXPECT_EQ(found->end, start + c.passage.size());
    EXPECT_EQ(found->distance, c.distance);
}

const qsizetype afterFirstMat = catTwice.indexOf(QStringLiteral("Birds"));
const qsizetype afterSecondMat = catTwice.indexOf(QStringLiteral("Rain"));
const QString chinese = QString::fromUcs4(U"\U00020000第一句。我们去公园。第三句有别的词。");

INSTANTIATE_TEST_SUITE_P(
    Answers, NearestTable,
    testing::Values(
        NearestCase{"RepeatFirstWithoutPreference", catTwice, "the cat sat on a mat", 0,
                    "The cat sat on the mat", 0, 1},
        NearestCase{"RepeatAfterPreviousMatch", catTwice, "the cat sat on a mat", afterFirstMat,
                    "The cat sat on the mat", 1, 1},
        NearestCase{"RepeatWrapsToFirst", catTwice, "the cat sat on a mat", afterSecondMat,
                    "The cat sat on the mat", 0, 1},
        NearestCase{"NearerPassageBeatsPreferred", catTwice, "birds sing in the morning",
                    afterSecondMat, "Birds sing in the morning", 0, 0},
        NearestCase{"MissingWordInside", catTwice, "birds sing the morning", 0,
                    "Birds sing in the morning", 0, 1},
        NearestCase{"WrongLastWordStaysInPassage", catTwice, "rain fells", 0, "Rain falls", 0, 1},
        NearestCase{"ExtraTypedWordsOutside", catTwice, "oh birds sing in the morning today", 0,
                    "Birds sing in the morning", 0, 2},
        NearestCase{"AcrossLineBreak", "first line ends\r\nsecond line starts", "ends second", 0,
                    "ends\r\nsecond", 0, 0},
        NearestCase{"ChineseOffsetsAfterSurrogatePair", chinese, "我们去公圆", 0, "我们去公园", 0,
                    1},
        NearestCase{"NoTypedWordInAnswer", catTwice, "completely unrelated words", 0, "", 0, 0},
        NearestCase{"EmptyLine", catTwice, " ,. ", 0, "", 0, 0},
        NearestCase{"EmptyAnswer", "", "the cat", 0, "", 0, 0}));

TEST(Nearest, ComparedPassageGivesTheLineScore)
{
    const AnswerIndex index(catTwice);
    const std::optional<Passage> passage = index.nearest("birds sing the morning");
    ASSERT_TRUE(passage.has_value());
    const Comparison c = compareWords("birds sing the morning", passage->expected);
    EXPECT_EQ(marksText(c), "birds|sing|-in|the|morning");
    EXPECT_EQ(scorePercent(c.score()), 80);
}

// Strip and session ----------------------------------------------------------

// The strip's words as the learner reads them, and whether each run of text is
// struck through.
struct Shown {
    QString text;
    QStringList struck;
};

Shown shownWords(const FeedbackStrip &strip)
{
    const QLabel *words = strip.findChild<QLabel *>(QStringLiteral("FeedbackWords"));
    if (!words) {
        ADD_FAILURE() << "no FeedbackWords label";
        return {};
    }
    QTextDocument document;
    document.setHtml(words->text());
    Shown shown{document.toPlainText(), {}};
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            if (it.fragment().charFormat().fontStrikeOut())
                shown.struck << it.fragment().text();
        }
    }
    return shown;
}

QString shownScore(const FeedbackStrip &strip)
{
    const QLabel *score = strip.findChild<QLabel *>(QStringLiteral("FeedbackScore"));
    return score ? score->text() : QStringLiteral("<no FeedbackScore label>");
}

TEST(Strip, ShowsMarksAndScore)
{
    FeedbackStrip strip;
    strip.showComparison(compareWords("I went the bark today", "I went to the park."));
    const Shown shown = shownWords(strip);
    EXPECT_EQ(shown.text, "I went ＿[to] the bark[park] (today)");
    EXPECT_EQ(shown.struck, QStringList({"bark", "today"}));
    EXPECT_EQ(shownScore(strip), "得分 60%");
}

TEST(Strip, ChineseRunsTogether)
{
    FeedbackStrip strip;
    strip.showComparison(compareWords("我去公圆 ok", "我们去公园。OK"));
    EXPECT_EQ(shownWords(strip).text, "我＿[们]去公圆[园] ok");
    EXPECT_EQ(shownScore(strip), "得分 67%");
}

TEST(Strip, TooLongAndClear)
{
    FeedbackStrip strip;
    strip.showComparison(compareWords(QStringLiteral("w ").repeated(MaxCompareWords + 1), "w"));
    EXPECT_EQ(shownWords(strip).text, "这一行超过 300 个词，不作比较");
    EXPECT_EQ(shownScore(strip), "");
    strip.showComparison(compareWords("markup <b>", "markup <b>"));
    EXPECT_EQ(shownWords(strip).text, "markup b");
    strip.clear();
    EXPECT_EQ(shownWords(strip).text, "");
    EXPECT_EQ(shownScore(strip), "");
}

// Hyphens and apostrophes stay where they were typed and where the text has
// them, though they never make two words differ.
TEST(Strip, KeepsHyphensAndApostrophes)
{
    struct Row {
        const char *typed;
        const char *expected;
        const char *shown;
    } rows[] = {
        {"self-substantial fuel", "Thy self-substantial fuel.", "＿[Thy] self-substantial fuel"},
        {"self substantial", "self-substantial", "self substantial"},
        {"self-sustaining", "self-substantial", "self-sustaining[substantial]"},
        {"feed'st thy", "Feed'st thy light", "feed'st thy ＿[light]"},
        {"the students' books", "The students' books", "the students' books"},
        {"'tis so", "'Tis so", "'tis so"},
        {"rock and roll", "rock 'n' roll", "rock and['n'] roll"},
        {"twenty-one years", "21 years", "twenty-one years"},
    };
    FeedbackStrip strip;
    for (const Row &r : rows) {
        strip.showComparison(compareWords(QString::fromUtf8(r.typed), QString::fromUtf8(r.expected),
                                          QStringLiteral("en")));
        EXPECT_EQ(shownWords(strip).text, QString::fromUtf8(r.shown)) << r.typed;
    }
}

TEST(Session, SummarizesScoredLines)
{
    FeedbackSession session;
    EXPECT_EQ(session.statusText(), "");
    session.add(compareWords("the cat", "the cat"));     // 100%
    session.add(compareWords("the dog", "the big cat")); // 33%
    session.add(compareWords("anything", ""));           // nothing expected
    session.add(compareWords(QStringLiteral("w ").repeated(MaxCompareWords + 1), "w"));
    EXPECT_EQ(session.linesCompared(), 2);
    EXPECT_EQ(session.statusText(), "已比较 2 句，平均得分 67%");
    session.reset();
    EXPECT_EQ(session.statusText(), "");
    EXPECT_EQ(session.linesCompared(), 0);
}

} // namespace
