#include "dictation/answercheck.h"
#include "platform/blanks.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <ostream>

namespace {

struct CheckCase {
    const char *name;
    QStringList lines;
    QString typed;
    int line; // expected hit line, -1 for no hit
    QString tail;
};

void PrintTo(const CheckCase &c, std::ostream *os)
{
    *os << c.name;
}

// Both ways of checking: line by line, and through the text kept for the
// check, which must agree.
std::optional<CheckHit> check(const QString &typed, const QStringList &lines)
{
    const std::optional<CheckHit> hit = findInAnswer(typed, int(lines.size()), [&lines](int i) {
        if (i < 0 || i >= lines.size()) {
            ADD_FAILURE() << "line " << i << " asked for, outside 0.." << lines.size() - 1;
            return QString();
        }
        return lines.at(i);
    });
    CheckText kept;
    for (const QString &line : lines)
        kept.append(line);
    const std::optional<CheckHit> keptHit = kept.find(typed);
    EXPECT_EQ(keptHit.has_value(), hit.has_value());
    if (keptHit && hit) {
        EXPECT_EQ(keptHit->line, hit->line);
        EXPECT_EQ(keptHit->tail, hit->tail);
    }
    return hit;
}

const QString sentence = "I went to the park. Then I went home.";
const QString extB = QString::fromUcs4(U"\U00020000"); // a CJK ideograph outside the BMP
const QString emoji = QString::fromUcs4(U"\U0001F600");

class AnswerCheckTable : public testing::TestWithParam<CheckCase>
{
};

TEST_P(AnswerCheckTable, FindsLineAndTail)
{
    const CheckCase &c = GetParam();
    const std::optional<CheckHit> hit = check(c.typed, c.lines);
    if (c.line < 0) {
        EXPECT_FALSE(hit.has_value()) << "found at line " << hit->line;
        return;
    }
    ASSERT_TRUE(hit.has_value());
    EXPECT_EQ(hit->line, c.line);
    EXPECT_EQ(hit->tail, c.tail) << "tail has " << hit->tail.size() << " units";
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, AnswerCheckTable,
    testing::Values(
        // The documented outcomes.
        CheckCase{"WholeLineEqualCaseIgnored", {"Hello, world."}, "hello, WORLD.", 0, ""},
        CheckCase{"TailFullStop", {sentence}, "i went to the park", 0, "."},
        CheckCase{"TailBlank", {sentence}, "I went", 0, " "},
        CheckCase{"LetterAfterMatchNoTail", {sentence}, "the pa", 0, ""},
        CheckCase{"HyphenJoinedWithoutBlank",
                  {"It was a well-", "known fact."},
                  "well-known fact",
                  0,
                  "."},
        CheckCase{"JoinedWithOneBlank", {"to the", "park."}, "to the park", 0, "."},
        CheckCase{"MatchInNextLineFoundThere", {"to the", "park."}, "park", 1, "."},
        CheckCase{"NotFound", {"any text"}, "a text found nowhere", -1, ""},

        // Blanks and case.
        CheckCase{"ControlCharsAreBlanks", {"\tHello\r\n"}, " hello\x01", 0, ""},
        CheckCase{"NoBreakSpaceIsNotBlank",
                  {QString("park") + QChar(0xA0)},
                  "park",
                  0,
                  QString(QChar(0xA0))},
        CheckCase{"NonAsciiCaseCounts", {"Über"}, "über", -1, ""},
        CheckCase{"FullWidthCaseCounts", {"ａｂｃ"}, "ＡＢＣ", -1, ""},
        CheckCase{"AsciiDigitNoTail", {"in 1999."}, "in 199", 0, ""},

        // End of the joined text.
        CheckCase{"MatchEndsAtEndOfLastLine", {"I went home."}, "went home.", 0, ""},
        CheckCase{"NoBlankAddedAfterLastLine", {"the end   "}, "end", 0, ""},
        CheckCase{"NoBlankAddedBeforeEmptyLine", {"the end", "", "more"}, "end", 0, ""},
        CheckCase{"MatchEndsAtEndOfNextLine", {"to the", "park"}, "to the park", 0, ""},

        // Empty lines and hyphens.
        CheckCase{"EmptyLineBreaksJoin", {"first part", "", "second part."}, "part second", -1, ""},
        CheckCase{"NothingJoinedOverEmptyLine", {"ab", "", "cd"}, "abcd", -1, ""},
        CheckCase{"NotPastTheNextLineThenFoundLater", {"x a", "b", "c", "a b c"}, "a b c", 3, ""},
        CheckCase{"FoundAfterEmptyLine", {"first part", "", "second part."}, "second part", 2, "."},
        CheckCase{"LeadingEmptyLines", {"", "  ", "x"}, "x", 2, ""},
        CheckCase{"HyphenJoinKeepsNoBlank", {"a well-", "known fact."}, "well- known", -1, ""},
        CheckCase{"HyphenJoinTailAfter", {"a well-", "known fact."}, "well-known", 0, " "},

        // Where the match starts.
        CheckCase{"StartAtLastCharOfLine", {"abc x", "yz."}, "x yz", 0, "."},
        CheckCase{"StartAtHyphenAtEndOfLine", {"ab-", "cd"}, "-cd", 0, ""},
        CheckCase{"StartRightAfterHyphenIsNextLine", {"ab-", "cd."}, "cd", 1, "."},
        CheckCase{"WholeNextLineFoundThere", {"a b", "c d", "e f"}, "c d", 1, ""},
        CheckCase{"SpanOfNextTwoLinesFoundAtNext", {"a b", "c d", "e f"}, "d e", 1, " "},
        CheckCase{"SpanOfThreeLinesNotFound", {"a b", "c d", "e f"}, "b c d e", -1, ""},
        CheckCase{"FirstHitWins", {"the cat.", "the cat!"}, "the cat", 0, "."},
        CheckCase{"JoinedHitBeforeEqualLine", {"see the", "cat", "the cat"}, "the cat", 0, ""},

        // Chinese and mixed text.
        CheckCase{"ChinesePunctuationTaken", {"我去了公园。然后回家。"}, "我去了公园", 0, "。"},
        CheckCase{"ChineseIdeographNotTaken", {"我去了公园。然后回家。"}, "我去了", 0, ""},
        CheckCase{"MixedTextCaseIgnored", {"我们说 OK，然后走了。"}, "我们说 ok", 0, "，"},
        CheckCase{"ChineseJoinedWithBlank", {"我去了", "公园。"}, "我去了 公园", 0, "。"},
        CheckCase{"FullWidthDigitNotTaken", {"第１章"}, "第", 0, ""},

        // Characters outside the BMP count as one character.
        CheckCase{"EmojiTailWholePair", {"我们去了" + emoji + "然后"}, "我们去了", 0, emoji},
        CheckCase{"ExtBIdeographNotTaken", {"我去了" + extB + "家"}, "我去了", 0, ""},
        CheckCase{"ExtBInTypedText", {"见" + extB + "字。"}, "见" + extB + "字", 0, "。"},
        CheckCase{"PositionCountsCharsNotUnits", {extB + extB + extB + "ab", "cd"}, "b cd", 0, ""},
        CheckCase{"LengthCountsCharsNotUnits", {extB + extB, "abc"}, "ab", 1, ""},
        CheckCase{
            "LoneSurrogateDoesNotMatchHalfPair", {"x" + extB}, "x" + QString(extB.at(0)), -1, ""},
        CheckCase{"LoneSurrogateNotTaken", {"ab" + QString(QChar(0xD800)) + "c"}, "ab", 0, ""}),
    [](const testing::TestParamInfo<CheckCase> &info) { return std::string(info.param.name); });

TEST(AnswerCheck, NothingToFind)
{
    EXPECT_FALSE(check("hello", {}).has_value());
    EXPECT_FALSE(check("", {"", "text"}).has_value());
    EXPECT_FALSE(check(" \t", {"", " \t"}).has_value());
}

TEST(AnswerCheck, EachLineFetchedOnceInOrder)
{
    const QStringList lines{"alpha beta", "gamma", "", "delta-", "epsilon"};
    QList<int> asked;
    const auto hit = findInAnswer("nowhere", int(lines.size()), [&](int i) {
        asked.append(i);
        return lines.at(i);
    });
    EXPECT_FALSE(hit.has_value());
    EXPECT_EQ(asked, (QList<int>{0, 1, 2, 3, 4}));
}

TEST(AnswerCheck, StopsFetchingAtHit)
{
    const QStringList lines{"one", "two", "three", "four"};
    QList<int> asked;
    const auto hit = findInAnswer("two", int(lines.size()), [&](int i) {
        asked.append(i);
        return lines.at(i);
    });
    ASSERT_TRUE(hit.has_value());
    EXPECT_EQ(hit->line, 1);
    EXPECT_EQ(asked, (QList<int>{0, 1}));
}

struct TextCase {
    QString in;
    QString trimmed;
    QString leftTrimmed;
    QString upper;
};

TEST(AnswerCheck, TextHelpers)
{
    const QList<TextCase> cases{
        {"", "", "", ""},
        {" \t\r\n\x01", "", "", " \t\r\n\x01"},
        {"\t a b \x1f", "a b", "a b \x1f", "\t A B \x1f"},
        {QString(QChar(0xA0)) + "x" + QChar(0x3000), QString(QChar(0xA0)) + "x" + QChar(0x3000),
         QString(QChar(0xA0)) + "x" + QChar(0x3000), QString(QChar(0xA0)) + "X" + QChar(0x3000)},
        {"azAZ09äßａ@[`{", "azAZ09äßａ@[`{", "azAZ09äßａ@[`{", "AZAZ09äßａ@[`{"},
    };
    for (const TextCase &c : cases) {
        SCOPED_TRACE(c.in.toStdString());
        EXPECT_EQ(trimBlanks(c.in), c.trimmed);
        EXPECT_EQ(trimLeftBlanks(c.in), c.leftTrimmed);
    }
}

} // namespace

// Found by fuzzing: a U+FEFF after the match was taken as an empty tail.
TEST(AnswerCheckFuzzFinds, ZeroWidthNoBreakSpaceIsAWholeTail)
{
    const QStringList lines{QStringLiteral("x\uFEFF.")};
    const auto hit = findInAnswer(QStringLiteral("x"), int(lines.size()),
                                  [&lines](int i) { return lines.at(i); });
    ASSERT_TRUE(hit.has_value());
    EXPECT_EQ(hit->tail, QStringLiteral("\uFEFF"));
}
