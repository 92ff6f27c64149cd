#include "playback/tdragtrackbar.h"

#include <QImage>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

constexpr int kMax = 5000;
constexpr int kWidth = 500;
constexpr int kHeight = 30;

// Exposes the style option so the tests can ask the style where things are.
class ProbeBar : public TDragTrackBar
{
public:
    using TDragTrackBar::initStyleOption;
};

struct MouseReport {
    enum Kind { Press, Move, Release } kind;
    int buttons;
    int value; // value() when the signal arrived
};

class DragTrackBarTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        bar.setMaximum(kMax);
        bar.resize(kWidth, kHeight);
        bar.show();
        QObject::connect(&bar, &TDragTrackBar::mousePressed, &bar, [this](Qt::MouseButton b) {
            reports.push_back({MouseReport::Press, int(b), bar.value()});
        });
        QObject::connect(&bar, &TDragTrackBar::mouseMoved, &bar, [this](Qt::MouseButtons b) {
            reports.push_back({MouseReport::Move, int(b.toInt()), bar.value()});
        });
        QObject::connect(&bar, &TDragTrackBar::mouseReleased, &bar, [this](Qt::MouseButton b) {
            reports.push_back({MouseReport::Release, int(b), bar.value()});
        });
    }

    QStyleOptionSlider option(int position)
    {
        QStyleOptionSlider opt;
        bar.initStyleOption(&opt);
        opt.sliderPosition = position;
        opt.sliderValue = position;
        return opt;
    }

    QRect handleAt(int position)
    {
        const QStyleOptionSlider opt = option(position);
        return bar.style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, &bar);
    }

    int handleCentreNow() { return handleAt(bar.value()).center().x(); }

    QRect groove()
    {
        const QStyleOptionSlider opt = option(bar.value());
        return bar.style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, &bar);
    }

    // Where the handle's centre stands for a value, from the groove and the
    // handle's length, the way the slider maps values to pixels.
    int expectedX(int value)
    {
        const int length = handleAt(0).width();
        const QRect g = groove();
        return g.x() + (length - 1) / 2
               + QStyle::sliderPositionFromValue(0, kMax, value, g.width() - length);
    }

    ProbeBar bar;
    std::vector<MouseReport> reports;
};

TEST_F(DragTrackBarTest, StartsHorizontalWithoutTicksOrSelection)
{
    EXPECT_EQ(bar.orientation(), Qt::Horizontal);
    EXPECT_EQ(bar.tickPosition(), QSlider::NoTicks);
    EXPECT_EQ(bar.minimum(), 0);
    EXPECT_EQ(bar.selStart(), -1);
    EXPECT_EQ(bar.selEnd(), -1);
}

TEST_F(DragTrackBarTest, SelectionIsStoredAndClearedWithMinusOne)
{
    const QImage none = bar.grab().toImage();

    bar.setSelection(308, 375);
    EXPECT_EQ(bar.selStart(), 308);
    EXPECT_EQ(bar.selEnd(), 375);
    EXPECT_NE(bar.grab().toImage(), none);

    bar.setSelection(-1, -1);
    EXPECT_EQ(bar.selStart(), -1);
    EXPECT_EQ(bar.selEnd(), -1);
    EXPECT_EQ(bar.grab().toImage(), none) << "a cleared selection must leave no trace";
}

// Some styles fill the groove up to the thumb in the highlight colour; on
// this bar that colour must mean the loop region only.
TEST_F(DragTrackBarTest, WithoutSelectionTheGrooveBehindTheThumbIsNotHighlighted)
{
    bar.setValue(kMax);
    const QImage image = bar.grab().toImage();
    const QColor highlight = bar.palette().color(QPalette::Highlight);
    const int row = groove().center().y();
    for (int x = 0; x < handleAt(kMax).left(); ++x) {
        const QColor c = image.pixelColor(x, row);
        const bool nearHighlight = std::abs(c.red() - highlight.red()) < 40
                                   && std::abs(c.green() - highlight.green()) < 40
                                   && std::abs(c.blue() - highlight.blue()) < 40;
        ASSERT_FALSE(nearHighlight) << "at x = " << x;
    }
}

struct SelectionCase {
    const char *name;
    int selStart;
    int selEnd;
};

class SelectionDrawing : public DragTrackBarTest,
                         public ::testing::WithParamInterface<SelectionCase>
{
};

// The highlight covers the groove between the two values and nothing outside.
TEST_P(SelectionDrawing, HighlightsTheStretchBetweenTheValues)
{
    const SelectionCase c = GetParam();
    constexpr int tolerance = 3;
    // Keep the handle away from the stretch so it hides none of it.
    bar.setValue(c.selStart == 0 ? kMax : 0);
    const QImage without = bar.grab().toImage();
    bar.setSelection(c.selStart, c.selEnd);
    const QImage with = bar.grab().toImage();
    ASSERT_EQ(with.size(), without.size());

    const int left = expectedX(c.selStart);
    const int right = expectedX(std::min(c.selEnd, kMax));
    int firstChanged = with.width();
    int lastChanged = -1;
    for (int y = 0; y < with.height(); ++y) {
        for (int x = 0; x < with.width(); ++x) {
            if (with.pixel(x, y) != without.pixel(x, y)) {
                firstChanged = std::min(firstChanged, x);
                lastChanged = std::max(lastChanged, x);
            }
        }
    }
    ASSERT_GE(lastChanged, 0) << "nothing was drawn";
    EXPECT_GE(firstChanged, left - tolerance);
    EXPECT_LE(lastChanged, right + tolerance);

    const QRgb highlight = bar.palette().color(QPalette::Highlight).rgb();
    const int row = groove().center().y();
    for (int x = left + tolerance; x <= right - tolerance; ++x)
        ASSERT_EQ(with.pixel(x, row), highlight) << "at x = " << x;
}

INSTANTIATE_TEST_SUITE_P(DragTrackBar, SelectionDrawing,
                         ::testing::Values(SelectionCase{"Middle", 1000, 4000},
                                           SelectionCase{"FromTheBeginning", 0, 375},
                                           SelectionCase{"ToTheEnd", 308, kMax},
                                           SelectionCase{"Short", 4375, 4625},
                                           SelectionCase{"EndPastTheRange", 4000, 6000}),
                         [](const auto &info) { return std::string(info.param.name); });

struct GrooveClick {
    const char *name;
    int y;
};

class GrooveClickTest : public DragTrackBarTest, public ::testing::WithParamInterface<GrooveClick>
{
};

// A left press away from the thumb puts the thumb under the mouse before the
// press is reported, the drag follows the mouse, and the release reports the
// place where the thumb was let go.
TEST_P(GrooveClickTest, PressJumpsThereThenDragsAndReportsInOrder)
{
    const int y = GetParam().y;
    const int pressX = kWidth * 3 / 4;
    const int dragX = 100;

    QTest::mousePress(&bar, Qt::LeftButton, {}, QPoint(pressX, y));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].kind, MouseReport::Press);
    EXPECT_EQ(reports[0].buttons, int(Qt::LeftButton));
    EXPECT_NEAR(reports[0].value, kMax * 3 / 4, 150);
    EXPECT_NEAR(handleCentreNow(), pressX, 2);
    EXPECT_TRUE(bar.isSliderDown());

    QTest::mouseMove(&bar, QPoint(dragX, y));
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[1].kind, MouseReport::Move);
    EXPECT_EQ(reports[1].buttons, int(Qt::LeftButton));
    EXPECT_EQ(reports[1].value, bar.value());
    EXPECT_NEAR(handleCentreNow(), dragX, 2);
    EXPECT_LT(reports[1].value, reports[0].value);

    QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(dragX, y));
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(reports[2].kind, MouseReport::Release);
    EXPECT_EQ(reports[2].buttons, int(Qt::LeftButton));
    EXPECT_EQ(reports[2].value, reports[1].value);
    EXPECT_FALSE(bar.isSliderDown());
}

INSTANTIATE_TEST_SUITE_P(DragTrackBar, GrooveClickTest,
                         ::testing::Values(GrooveClick{"OnTheGroove", kHeight / 2},
                                           GrooveClick{"AtTheTopEdge", 0},
                                           GrooveClick{"AtTheBottomEdge", kHeight - 1}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(DragTrackBarTest, PressOnTheThumbKeepsItsPlaceAndDragsByTheMovement)
{
    bar.setValue(2500);
    const int centre = handleCentreNow();
    const QPoint grip(centre + 3, kHeight / 2);

    QTest::mousePress(&bar, Qt::LeftButton, {}, grip);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].value, 2500);

    QTest::mouseMove(&bar, grip + QPoint(50, 0));
    EXPECT_NEAR(handleCentreNow(), centre + 50, 1);
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, grip + QPoint(50, 0));
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(reports[2].value, bar.value());
}

TEST_F(DragTrackBarTest, RightButtonIsReportedAndLeavesTheThumb)
{
    bar.setValue(1000);
    const QPoint at(kWidth * 3 / 4, kHeight / 2);

    QTest::mousePress(&bar, Qt::RightButton, {}, at);
    QTest::mouseMove(&bar, at - QPoint(200, 0));
    QTest::mouseRelease(&bar, Qt::RightButton, {}, at - QPoint(200, 0));

    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(reports[0].kind, MouseReport::Press);
    EXPECT_EQ(reports[0].buttons, int(Qt::RightButton));
    EXPECT_EQ(reports[1].kind, MouseReport::Move);
    EXPECT_EQ(reports[1].buttons, int(Qt::RightButton));
    EXPECT_EQ(reports[2].kind, MouseReport::Release);
    EXPECT_EQ(reports[2].buttons, int(Qt::RightButton));
    EXPECT_EQ(bar.value(), 1000);
}

struct KeyCase {
    const char *name;
    Qt::Key key;
    int expected;
};

class KeyboardTest : public DragTrackBarTest, public ::testing::WithParamInterface<KeyCase>
{
};

// Keys move the thumb like any slider (steps of 1 and 2) and report no mouse.
TEST_P(KeyboardTest, MovesTheThumbWithoutMouseReports)
{
    bar.setValue(2500);
    QTest::keyClick(&bar, GetParam().key);
    EXPECT_EQ(bar.value(), GetParam().expected);
    EXPECT_TRUE(reports.empty());
}

INSTANTIATE_TEST_SUITE_P(DragTrackBar, KeyboardTest,
                         ::testing::Values(KeyCase{"Right", Qt::Key_Right, 2501},
                                           KeyCase{"Left", Qt::Key_Left, 2499},
                                           KeyCase{"PageUp", Qt::Key_PageUp, 2502},
                                           KeyCase{"PageDown", Qt::Key_PageDown, 2498},
                                           KeyCase{"Home", Qt::Key_Home, 0},
                                           KeyCase{"End", Qt::Key_End, kMax}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
