// How the main window hosts and stacks the panels of its drivers, in twips, and where a saved
// placement lands on the screens there are now.
#include "test_support.h"

#include "ui/placement.h"

#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>

#include <climits>

namespace tarvex::test {
namespace {

TEST(Twips, RoundToTheNearestUnitAndFallBackTo96Dpi) {
    // 1440 twips per inch: 15 per pixel at 96 DPI, 12 at 120, 10 at 144.
    EXPECT_EQ(Twips::toPixels(2550, 120.0), 213);
    EXPECT_EQ(Twips::fromPixels(170, 144.0), 1700);
    EXPECT_EQ(Twips::fromPixels(10, 0.0), 150) << "a broken DPI reading";
}

using LayoutTest = MainWindowTest;

// Window geometry in twips, for readable expectations. The width is the outer one, frame
// included (the offscreen platform draws a frame of its own around a shown window).
int widthTwips(const QWidget* w) {
    return Twips::fromPixelsX(w->frameGeometry().width(), w);
}
int clientHeightTwips(const frmMain& w) {
    return Twips::fromPixelsY(w.clientHeight(), &w);
}
QPoint posTwips(const QWidget* view) {
    return {Twips::fromPixelsX(view->x(), view), Twips::fromPixelsY(view->y(), view)};
}

// Gives the (hidden) window a client area of the given height and lays out once.
void layoutWithClientHeight(frmMain& w, int clientTwips) {
    w.resize(w.width(), w.height() - w.clientHeight() + Twips::toPixelsY(clientTwips, &w));
    w.ViewLayout();
}

TEST_F(LayoutTest, WithoutDriversOnlyTheMenuBarRemains) {
    auto w = makeWindow(0);
    w->show(); // Qt's own minimum sizes must not undo the layout
    ASSERT_GT(w->frameGeometry().width(), w->width()) << "no frame to take into account";
    EXPECT_EQ(widthTwips(w.get()), 2550);
    EXPECT_EQ(w->height(), w->menuBar()->height());
}

TEST_F(LayoutTest, OneDriverStacksItsPanelsInOneColumnAndWrapsWhenLower) {
    auto w = makeWindow(1);
    const QList<QWidget*> views = w->views();
    ASSERT_EQ(views.size(), 3) << "no banner for a single driver";
    EXPECT_EQ(posTwips(views[2]), QPoint(60, 2700));
    EXPECT_EQ(widthTwips(w.get()), 60 + 3300 + 150);
    EXPECT_EQ(clientHeightTwips(*w), 4800);

    // Lower: the main panel starts a second column at the right edge of the widest panel so
    // far, and the window snaps to the new shape.
    layoutWithClientHeight(*w, 3000);
    EXPECT_EQ(posTwips(views[2]), QPoint(3060, 0));
    EXPECT_EQ(widthTwips(w.get()), 3060 + 3300 + 150);
    EXPECT_EQ(clientHeightTwips(*w), 2700);

    // A panel taller than the client area never starts a column by itself.
    layoutWithClientHeight(*w, 1600);
    EXPECT_EQ(posTwips(views[2]), QPoint(3060, 1200));
}

TEST_F(LayoutTest, SeveralDriversEachGetABannerHeadedColumnAndTallColumnsSaturate) {
    auto w = makeWindow(2);
    const QList<QWidget*> views = w->views();
    ASSERT_EQ(views.size(), 8);
    EXPECT_EQ(log->mid(0, 3), (QStringList{"Initialize driver amp1 0", "Initialize driver amp2 1",
                                           "Initialize Tarvex.BannerControl 0"}))
        << "drivers start before the panels, in list order";

    // Lower than one driver's panels: they stay under their banner; only a banner wraps.
    layoutWithClientHeight(*w, 4500);
    EXPECT_EQ(posTwips(views[3]), QPoint(60, 600 + 1500 + 1200));
    EXPECT_EQ(posTwips(views[4]), QPoint(60 + 3300, 0));
    EXPECT_EQ(clientHeightTwips(*w), 5400) << "the window grows to the tallest column";
    layoutWithClientHeight(*w, 10800);
    EXPECT_EQ(posTwips(views[4]), QPoint(60, 5400));

    auto tall = makeWindow(2, 30000);
    layoutWithClientHeight(*tall, 4500);
    EXPECT_NEAR(clientHeightTwips(*tall), 32767, 15) << "beyond 16 bits saturates, not wraps";
}

struct PlacementCase {
    const char* name;
    Placement saved; // twips: 15 per pixel at 96 DPI
    QRect expected;
};

class PlacementOnScreen : public ::testing::TestWithParam<PlacementCase> {};

// An 800 x 600 primary screen, and one of 1024 x 768 to its right.
TEST_P(PlacementOnScreen, KeepsAGripOfTheTopEdgeOnSomeScreen) {
    EXPECT_EQ(GetParam().saved.onScreen(96.0, 96.0, {{0, 0, 800, 600}, {800, 0, 1024, 768}}),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Placements, PlacementOnScreen,
    ::testing::Values(
        PlacementCase{"designed default", {1000, 1000, 6500, 6500}, {67, 67, 433, 433}},
        PlacementCase{"grip just on", {25860, 0, 6000, 30000}, {1724, 0, 400, 768}},
        PlacementCase{"grip a pixel short", {25875, 0, 6000, 6000}, {0, 0, 400, 400}},
        PlacementCase{"title above the top", {0, -15, 6000, 6000}, {0, 0, 400, 400}},
        PlacementCase{"largest values", {INT_MAX, INT_MAX, INT_MAX, INT_MAX}, {0, 0, 800, 600}}),
    test::CaseName{});

TEST_F(LayoutTest, AnUnreachablePlacementComesBackOnTheScreenAndIsSavedSo) {
    QSettings().setValue("Settings/MainLeft", "2147483647"); // 16-bit X coordinates wrap it
    makeWindow(0)->close();
    const QPoint saved(QSettings().value("Settings/MainLeft").toInt(),
                       QSettings().value("Settings/MainTop").toInt());
    EXPECT_TRUE(
        QGuiApplication::primaryScreen()->availableGeometry().contains(Twips::toPixels(saved)))
        << saved.x() << ", " << saved.y();
}

} // namespace
} // namespace tarvex::test
