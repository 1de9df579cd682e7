// Where a saved window placement lands on the screens there are now.
#include "test_support.h"

#include "ui/placement.h"

#include <QGuiApplication>
#include <QScreen>

#include <climits>

namespace tarvex::test {
namespace {

struct PlacementCase {
    const char* name;
    Placement saved; // twips: 15 per pixel at 96 DPI
    QRect expected;
};

void PrintTo(const PlacementCase& c, std::ostream* os) {
    *os << c.name;
}

class PlacementOnScreen : public ::testing::TestWithParam<PlacementCase> {};

// The primary screen is 800 x 600 at the origin; a second of 1024 x 768 stands to its right.
TEST_P(PlacementOnScreen, KeepsAGripOfTheTopEdgeOnSomeScreen) {
    const QList<QRect> screens{QRect(0, 0, 800, 600), QRect(800, 0, 1024, 768)};
    EXPECT_EQ(GetParam().saved.onScreen(96.0, 96.0, screens), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Placements, PlacementOnScreen,
    ::testing::Values(
        PlacementCase{"designed default", {1000, 1000, 6500, 6500}, {67, 67, 433, 433}},
        PlacementCase{"second screen", {15000, 1500, 6000, 6000}, {1000, 100, 400, 400}},
        PlacementCase{"grip just on", {25860, 0, 6000, 6000}, {1724, 0, 400, 400}},
        PlacementCase{"grip a pixel short", {25875, 0, 6000, 6000}, {0, 0, 400, 400}},
        PlacementCase{"title above the top", {0, -15, 6000, 6000}, {0, 0, 400, 400}},
        PlacementCase{"unplugged monitor", {60000, 1500, 6000, 6000}, {0, 0, 400, 400}},
        PlacementCase{"far left", {-100000, 1000, 6500, 6500}, {0, 0, 433, 433}},
        PlacementCase{"largest values", {INT_MAX, INT_MAX, INT_MAX, INT_MAX}, {0, 0, 800, 600}},
        PlacementCase{"taller than its screen", {15000, 0, 6000, 30000}, {1000, 0, 400, 768}}),
    test::CaseName{});

using PlacementWindowTest = MainWindowTest;

TEST_F(PlacementWindowTest, AnUnreachablePlacementComesBackOnTheScreenAndIsSavedSo) {
    QSettings settings(QStringLiteral("Tarvex"), QStringLiteral("Tarvex"));
    settings.setValue("Settings/MainLeft", "2147483647");
    settings.setValue("Settings/MainTop", "-100000");
    settings.sync();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    auto w = makeWindow(0);
    w->show();
    EXPECT_TRUE(screen.contains(w->geometry().topLeft())) << w->x() << ", " << w->y();
    w->close();
    settings.sync();
    const QPoint saved(settings.value("Settings/MainLeft").toInt(),
                       settings.value("Settings/MainTop").toInt());
    EXPECT_TRUE(screen.contains(Twips::toPixels(saved, w.get()))) << saved.x() << ", " << saved.y();
}

} // namespace
} // namespace tarvex::test
