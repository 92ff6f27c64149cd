// The time text and loop-label rules, as tables.
#include "playback/looprules.h"
#include "playback/sourcefilerules.h"
#include "playback/timetext.h"

#include <gtest/gtest.h>

TEST(TimeText, FormatsThePositionTable)
{
    struct Row {
        double x;
        bool forceHours;
        const char *expected;
    };
    const Row rows[] = {
        {0, false, "00:00.000"},
        {75.25, false, "01:15.250"},
        {5.5, true, "00:00:05.500"},
        {3725.5, false, "01:02:05.500"},
        {59.9996, false, "00:59.000"},
        {86400, false, "???"},
        {86400, true, "???"},
        {-1, false, ""},
        {-1, true, ""},
        {86399.9994, false, "23:59:59.999"},
        {1e300, false, "???"},
    };
    for (const Row &row : rows)
        EXPECT_EQ(FormatTimePosition(row.forceHours, row.x), QString::fromUtf8(row.expected))
            << row.x;
}

TEST(TimeText, SplitsSecondsUpToOneDay)
{
    const auto check = [](int t, int h, int m, int s) {
        const SplitTime split = SplitSeconds(t);
        EXPECT_EQ(split.hours, h) << t;
        EXPECT_EQ(split.minutes, m) << t;
        EXPECT_EQ(split.seconds, s) << t;
    };
    check(0, 0, 0, 0);
    check(3725, 1, 2, 5);
    check(86399, 23, 59, 59);
    check(86400, 24, 0, 0);
    check(86401, 0, 0, 0);
}

TEST(TimeText, MillisecondsRoundToTheNearestThousandth)
{
    EXPECT_EQ(MillisecondPart(-0.5), 0);
    EXPECT_EQ(MillisecondPart(0.0004), 0);
    EXPECT_EQ(MillisecondPart(0.0005), 1);
    EXPECT_EQ(MillisecondPart(12.345), 345);
    EXPECT_EQ(MillisecondPart(59.9996), 0);
    EXPECT_EQ(MillisecondPart(1.9999), 0);
}

TEST(LoopRules, LabelAndSelectionTable)
{
    struct Row {
        double start, end, length;
        const char *startText, *endText;
        int selStart, selEnd;
    };
    const Row rows[] = {
        {-1, -1, 200, "未设定", "未设定", -1, -1},
        {12.345, -1, 200, "00:12.345", "至结尾", 308, 5000},
        {-1, 15, 200, "00:00.000", "00:15.000", 0, 375},
        {12.345, 15, 200, "00:12.345", "00:15.000", 308, 375},
        {3500, 3700, 4000, "00:58:20.000", "01:01:40.000", 4375, 4625},
        {4000, -1, 5000, "01:06:40.000", "至结尾", 4000, 5000},
        // A requested end of 0: rendered as a time, no selection.
        {-1, 0, 200, "00:00.000", "00:00.000", -1, -1},
        {5, 0, 200, "00:05.000", "00:00.000", 125, 5000},
    };
    for (const Row &row : rows) {
        EXPECT_EQ(LoopRules::loopInfoText(row.start, row.end),
                  QStringLiteral("  循环开始点: ") + QString::fromUtf8(row.startText)
                      + QStringLiteral(" 结束点: ") + QString::fromUtf8(row.endText));
        const auto selection = LoopRules::selectionFor(row.start, row.end, row.length, 5000);
        ASSERT_TRUE(selection.has_value());
        EXPECT_EQ(selection->first, row.selStart) << row.start << " " << row.end;
        EXPECT_EQ(selection->second, row.selEnd) << row.start << " " << row.end;
    }
}

TEST(LoopRules, UnknownLengthGivesNoSelectionInsteadOfDividing)
{
    EXPECT_FALSE(LoopRules::selectionFor(1, 2, 0, 5000).has_value());
    EXPECT_FALSE(LoopRules::selectionFor(1, -1, 0, 5000).has_value());
    EXPECT_EQ(LoopRules::selectionFor(-1, -1, 0, 5000), std::make_pair(-1, -1));
}

TEST(LoopRules, StoreRefusesAndNormalises)
{
    using LoopRules::Outcome;
    LoopRules::Points stored;
    EXPECT_EQ(LoopRules::store(false, 1, 2, {}, &stored), Outcome::Cleared);
    EXPECT_EQ(stored.start, -1.0);
    EXPECT_EQ(stored.end, -1.0);

    stored = {3, 4};
    EXPECT_EQ(LoopRules::store(true, 5, 4, {3, 4}, &stored), Outcome::Refused);
    EXPECT_EQ(LoopRules::store(true, 4, 4, {3, 4}, &stored), Outcome::Refused);
    EXPECT_EQ(LoopRules::store(true, 3, 4, {3, 4}, &stored), Outcome::Unchanged);
    EXPECT_EQ(stored.start, 3.0);

    EXPECT_EQ(LoopRules::store(true, -0.05, 0.0, {0.05, -1}, &stored), Outcome::Stored);
    EXPECT_EQ(stored.start, -1.0);
    EXPECT_EQ(stored.end, -1.0);
    EXPECT_EQ(LoopRules::store(true, 0.0, 5, {-1, 5}, &stored), Outcome::Stored);
    EXPECT_EQ(stored.start, 0.0);
    EXPECT_EQ(stored.end, 5.0);
    // An unset end never refuses, whatever the start.
    EXPECT_EQ(LoopRules::store(true, 99, -1, {-1, -1}, &stored), Outcome::Stored);
}

TEST(SourceFile, CompanionPathReplacesTheExtension)
{
    EXPECT_EQ(CompanionDictationPath(QStringLiteral("/a/lesson1.mp3")),
              QStringLiteral("/a/lesson1.txt"));
    EXPECT_EQ(CompanionDictationPath(QStringLiteral("/a/unit.2.wav")),
              QStringLiteral("/a/unit.2.txt"));
    EXPECT_EQ(CompanionDictationPath(QStringLiteral("/a/noext")), QStringLiteral("/a/noext.txt"));
    EXPECT_EQ(CompanionDictationPath(QStringLiteral("/a.b/noext")),
              QStringLiteral("/a.b/noext.txt"));
    EXPECT_EQ(CompanionDictationPath(QStringLiteral("/课文/第一课.WMA")),
              QStringLiteral("/课文/第一课.txt"));
}
