// The panels' own controls: the bar gauge (where its bar ends, its colour, its paint, what it
// stores), the up-down (its arrows, keys, clamping and read-out) and the focus mark.
#include "../support/printers.h"
#include "binding/colors.h"
#include "core/property_bag.h"
#include "ui/bar_gauge.h"
#include "ui/panels/push_toggle.h"
#include "ui/up_down.h"

#include <QImage>
#include <QLabel>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

namespace tarvex {
namespace {

constexpr BarLine kBefore{7, 5.0, 3.0, 123.0, 3.0, 0x00123456u}; // differs from any result

struct ZoneCase {
    const char* name;
    std::int16_t value;
    double x2;
    std::uint32_t color;
    bool logarithmic = false;
    std::int16_t min = 0, max = 100, red = 80;
    Variant yellow = std::int16_t{60};
};

class BarLayout : public ::testing::TestWithParam<ZoneCase> {};

TEST_P(BarLayout, LengthAndZone) {
    const ZoneCase& c = GetParam();
    const BarSettings s{c.logarithmic, c.min, c.max, c.yellow, c.red, c.value};
    const BarLine bar = layoutBar(s, QSizeF(2000.0, 90.0), kBefore);
    EXPECT_DOUBLE_EQ(bar.x2, c.x2);
    EXPECT_EQ(bar.color, c.color);
}

// Steps that cannot be computed (division by zero, 16-bit overflow) keep the previous end.
INSTANTIATE_TEST_SUITE_P(
    BarGauge, BarLayout,
    ::testing::Values(
        ZoneCase{"at yellow", 60, 1200.0, kGaugeYellow},
        ZoneCase{"at red", 80, 1600.0, kGaugeRed},
        ZoneCase{"above max runs past the edge", 150, 3000.0, kGaugeRed},
        ZoneCase{"text threshold", 104, 2080.0, kGaugeGreen, false, 0, 100, 122, QStringLiteral("105")},
        ZoneCase{"no yellow zone", 90, 1800.0, kGaugeRed, false, 0, 100, 90, QStringLiteral("90")},
        ZoneCase{"non-number threshold counts as met", 1, 20.0, kGaugeYellow, false, 0, 100, 80,
                 QStringLiteral("lots")},
        ZoneCase{"null threshold decides nothing", 70, 1400.0, kGaugeGreen, false, 0, 100, 80,
                 Variant::null()},
        ZoneCase{"logarithmic 10 is half way", 10, 1000.0, kGaugeGreen, true},
        ZoneCase{"logarithmic 0 has no logarithm", 0, 0.0, kGaugeGreen, true},
        ZoneCase{"min equals max", 50, kBefore.x2, kGaugeGreen, false, 50, 50},
        ZoneCase{"range overflows", 50, kBefore.x2, kGaugeGreen, false, -2, 32766}),
    test::CaseName{});

TEST(BarGauge, ValueWritesAndResizesLayOutAndThePaintFillsTheInnerHeight) {
    BarGauge g;
    g.setBackColor(0x00000000u); // black
    g.resize(202, 8);            // the sunken frame takes one pixel all round
    g.show();                    // a hidden widget hears of its resizes only when shown
    g.setValue(60);
    g.setMax(200);
    EXPECT_FLOAT_EQ(g.bar().x2, g.drawingArea().width() * 0.6) << "writing Max alone moves nothing";
    const QImage image = g.grab().toImage();
    const QColor yellow = colorFromDesigned(kGaugeYellow);
    for (int y = 0; y < 8; ++y)
        EXPECT_EQ(image.pixelColor(50, y) == yellow, y >= 1 && y < 7) << y;
    EXPECT_EQ(image.pixelColor(150, 4), Qt::black);
    g.resize(402, 8);
    EXPECT_FLOAT_EQ(g.bar().x2, g.drawingArea().width() * 0.3) << "a resize lays out again";
}

TEST(BarGauge, PeakMarkHoldsTwoSecondsThenFallsToTheValueAndGoesWhenSwitchedOff) {
    qint64 now = 0;
    BarGauge g;
    g.setClock([&] { return now; });
    g.setBackColor(0x00FFFFFFu); // white, so that the dark mark stands out
    g.resize(202, 8);
    g.show();
    g.setValue(80);
    now = 100;
    g.setValue(20);
    now = 2000;
    EXPECT_EQ(g.peakValue(), 80) << "held for two seconds";
    g.updatePeak();
    const QRect mark = g.peakMarkRect();
    EXPECT_NEAR(mark.right() + 1, g.barEndX(80), 1.0);
    const QImage image = g.grab().toImage();
    EXPECT_EQ(image.pixelColor(mark.center() * image.devicePixelRatio()),
              g.palette().color(QPalette::WindowText));
    EXPECT_TRUE(g.peakTimerActive());
    now = 2500;
    EXPECT_EQ(g.peakValue(), 55) << "full scale in two seconds: 50 a second";
    now = 5000;
    g.updatePeak();
    EXPECT_EQ(g.peakValue(), 20) << "never below the value";
    EXPECT_TRUE(g.peakMarkRect().isEmpty());
    EXPECT_FALSE(g.peakTimerActive()) << "nothing runs while the mark is at the value";

    g.setValue(90);
    now = 5100;
    g.setValue(10);
    g.setPeakHold(false);
    EXPECT_EQ(g.peakValue(), 10);
    EXPECT_TRUE(g.peakMarkRect().isEmpty());
    g.setPeakHold(true);
    EXPECT_EQ(g.peakValue(), 10) << "switching off forgot the peak";
    EXPECT_FALSE(g.peakTimerActive());
}

TEST(BarGauge, StoredPropertiesRoundTripAndABadEntryChangesNothing) {
    BarGauge g, copy;
    g.setBackColor(0x80000010u); // a system colour keeps its top bit
    g.setYellowThreshold(QStringLiteral("1000"));
    PropertyBag written, restored, bad;
    g.WriteProperties(written);
    ASSERT_TRUE(restored.setContents(written.Contents()));
    copy.ReadProperties(restored);
    EXPECT_EQ(copy.backColor(), 0x80000010u);
    EXPECT_EQ(test::shown(copy.yellowThreshold()), "String(1000)");
    bad.WriteProperty(QStringLiteral("max"), std::int16_t{7}); // keys ignore case
    bad.WriteProperty(QStringLiteral("VALUE"), QStringLiteral("plenty"));
    EXPECT_THROW(copy.ReadProperties(bad), VariantError);
    EXPECT_EQ(copy.max(), 100);
}

TEST(UpDown, ArrowsStepWithinTheRangeWhichPullsTheValueInAndOnlyChangesAreReported) {
    UpDown u;
    u.resize(16, 27);
    u.setMax(2);
    QLabel readout;
    u.setBuddyLabel(&readout);
    EXPECT_EQ(readout.text(), "0") << "shown at once";
    QSignalSpy spy(&u, &UpDown::valueChanged);
    for (const char* arrow : {"arrowUp", "arrowUp", "arrowUp", "arrowDown"})
        QTest::mouseClick(u.findChild<QToolButton*>(arrow), Qt::LeftButton);
    EXPECT_EQ(readout.text(), "1");
    u.setValue(1); // no change, no report
    u.setValue(-3);
    QList<int> reported;
    for (const auto& args : spy)
        reported << args.at(0).toInt();
    EXPECT_EQ(reported, (QList<int>{1, 2, 1, 0})) << "stops at Max; clamps to Min";

    u.setMin(5);
    u.setMax(3); // up still heads for Max, down for Min, and neither leaves the range
    u.stepDown();
    u.stepDown();
    EXPECT_EQ(u.value(), 5);
    for (int i = 0; i < 3; ++i)
        u.stepUp();
    EXPECT_EQ(u.value(), 3);
}

struct KeyCase {
    const char* name;
    int min, max, start;
    Qt::Key key;
    int expected;
};

class UpDownKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(UpDownKeys, StepWithinTheRange) {
    const KeyCase& c = GetParam();
    UpDown u;
    u.setMin(c.min);
    u.setMax(c.max);
    u.setValue(c.start);
    QTest::keyClick(&u, c.key);
    EXPECT_EQ(u.value(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    UpDown, UpDownKeys,
    ::testing::Values(KeyCase{"up", 0, 100, 37, Qt::Key_Up, 38},
                      KeyCase{"down", 0, 100, 37, Qt::Key_Down, 36},
                      KeyCase{"page up a tenth", 0, 100, 37, Qt::Key_PageUp, 47},
                      KeyCase{"page down stops at min", 0, 100, 4, Qt::Key_PageDown, 0},
                      KeyCase{"page up stops at max", 0, 100, 95, Qt::Key_PageUp, 100},
                      KeyCase{"small range pages by one", 0, 5, 2, Qt::Key_PageUp, 3},
                      KeyCase{"downward range", 100, 0, 50, Qt::Key_PageUp, 40}),
    test::CaseName{});

// What the screen shows of a control once pending paints are done.
QImage onScreen(QWidget* w) {
    QCoreApplication::processEvents();
    const QPoint at = w->mapTo(w->window(), QPoint());
    return w->screen()
        ->grabWindow(w->window()->winId(), at.x(), at.y(), w->width(), w->height())
        .toImage();
}

TEST(FocusMark, ShowsOnOurOwnControlsWhileFocusedAndAClickOnAnArrowFocusesTheUpDown) {
    QWidget window;
    auto* other = new QToolButton(&window);
    other->setFocusPolicy(Qt::StrongFocus);
    auto* upDown = new UpDown(&window);
    upDown->setGeometry(40, 0, 16, 27);
    auto* toggle = new PushCheckBox(QStringLiteral("AUTO"), &window);
    toggle->setGeometry(60, 0, 40, 20);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    other->setFocus();
    const QImage plainUpDown = onScreen(upDown), plainToggle = onScreen(toggle);
    QTest::mouseClick(upDown->findChild<QToolButton*>(QStringLiteral("arrowUp")), Qt::LeftButton);
    ASSERT_TRUE(upDown->hasFocus());
    EXPECT_NE(onScreen(upDown), plainUpDown);
    toggle->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(onScreen(upDown), plainUpDown) << "the mark goes with the focus";
    EXPECT_NE(onScreen(toggle), plainToggle);
}

} // namespace
} // namespace tarvex
