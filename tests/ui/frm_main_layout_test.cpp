// How the main window hosts and stacks the panels of its drivers.
#include "test_support.h"

#include "ui/twips.h"

#include <QCoreApplication>
#include <QMenuBar>

namespace tarvex::test {
namespace {

using LayoutTest = MainWindowTest;

// Gives the (hidden) window a client area of the given height and lays out once.
void layoutWithClientHeight(frmMain& w, int clientTwips) {
    const int barPixels = w.height() - w.clientHeight();
    w.resize(w.width(), barPixels + Twips::toPixelsY(clientTwips, &w));
    w.ViewLayout();
}

TEST_F(LayoutTest, WithoutDriversOnlyTheMenuBarRemains) {
    auto w = makeWindow(0);
    w->show(); // Qt's own minimum sizes must not undo the layout
    EXPECT_TRUE(w->views().isEmpty());
    EXPECT_EQ(widthTwips(w.get()), 2550);
    EXPECT_EQ(w->clientHeight(), 0);
    EXPECT_EQ(w->height(), w->menuBar()->height());
}

TEST_F(LayoutTest, OneDriverStacksItsPanelsInOneColumnAndWrapsWhenLower) {
    auto w = makeWindow(1);
    const QList<QWidget*> views = w->views();
    ASSERT_EQ(views.size(), 3) << "no banner for a single driver";
    EXPECT_EQ(PanelRegistry::classNameOf(views[2]), PanelRegistry::kMainControl);
    EXPECT_EQ(static_cast<FakePanel*>(views[2])->hub(), w->hub());

    // The default placement is tall enough for one column.
    EXPECT_EQ(posTwips(views[1]), QPoint(60, 1500));
    EXPECT_EQ(posTwips(views[2]), QPoint(60, 2700));
    EXPECT_EQ(widthTwips(w.get()), 60 + 3300 + 150);
    EXPECT_EQ(clientHeightTwips(*w), 4800);

    // The user makes the shown window lower: the main panel moves to a second column that starts
    // at the right edge of the widest panel so far, and the window snaps to the new shape.
    w->show();
    const int bar = w->height() - w->clientHeight();
    w->resize(w->width(), bar + Twips::toPixelsY(3000, w.get()));
    EXPECT_EQ(posTwips(views[1]), QPoint(60, 1500));
    EXPECT_EQ(posTwips(views[2]), QPoint(3060, 0));
    EXPECT_EQ(widthTwips(w.get()), 3060 + 3300 + 150);
    EXPECT_EQ(clientHeightTwips(*w), 2700);

    // Taller again: back into one column.
    w->resize(w->width(), bar + Twips::toPixelsY(6000, w.get()));
    EXPECT_EQ(posTwips(views[2]), QPoint(60, 2700));
    EXPECT_EQ(clientHeightTwips(*w), 4800);
}

TEST_F(LayoutTest, SeveralDriversEachGetABannerHeadedColumn) {
    auto w = makeWindow(2);
    const QList<QWidget*> views = w->views();
    ASSERT_EQ(views.size(), 8);
    EXPECT_EQ(PanelRegistry::classNameOf(views[4]), PanelRegistry::kBannerControl);
    EXPECT_EQ(static_cast<FakePanel*>(views[4])->index(), 1);
    EXPECT_EQ(log->calls.mid(0, 3),
              (QStringList{"Initialize driver amp1 0", "Initialize driver amp2 1",
                           "Initialize Tarvex.BannerControl 0"}))
        << "drivers start before the panels, in list order";

    // A client area lower than one driver's panels: the panels stay under their banner (the
    // column runs taller than the window), and only the second banner starts a column.
    layoutWithClientHeight(*w, 4500);
    EXPECT_EQ(posTwips(views[3]), QPoint(60, 600 + 1500 + 1200));
    EXPECT_EQ(posTwips(views[4]), QPoint(60 + 3300, 0));
    EXPECT_EQ(clientHeightTwips(*w), 5400) << "the window grows to the tallest column";
    EXPECT_EQ(widthTwips(w.get()), 3360 + 3300 + 150);

    // With room below the first driver, the second one follows in the same column.
    layoutWithClientHeight(*w, 10800);
    EXPECT_EQ(posTwips(views[4]), QPoint(60, 5400));
}

TEST_F(LayoutTest, APanelTallerThanTheClientAreaNeverStartsAColumnByItself) {
    // The main panel (2100) is taller than the client area (1600): it stays below the tune
    // panel, which did start a new column, and the window grows to hold it.
    auto w = makeWindow(1);
    layoutWithClientHeight(*w, 1600);
    EXPECT_EQ(posTwips(w->views()[1]), QPoint(3060, 0));
    EXPECT_EQ(posTwips(w->views()[2]), QPoint(3060, 1200));
    EXPECT_EQ(clientHeightTwips(*w), 3300);

    auto two = makeWindow(2);
    layoutWithClientHeight(*two, 450);
    EXPECT_EQ(posTwips(two->views()[4]), QPoint(60, 5400)) << "banner 600 > client 450";
}

TEST_F(LayoutTest, ColumnsBeyondTheSixteenBitRangeSaturate) {
    PanelRegistry huge = fakeRegistry(log);
    huge.registerPanel(PanelRegistry::kMainControl, [this](QWidget* parent) {
        return new FakePanel(parent, PanelRegistry::kMainControl, QSize(3300, 30000), log);
    });
    auto w = makeWindow(2, std::move(huge));
    layoutWithClientHeight(*w, 4500);
    // 600 + 1500 + 1200 + 30000 twips does not fit in 16 bits: the column stops at 32767
    // instead of wrapping to a negative height.
    EXPECT_NEAR(clientHeightTwips(*w), 32767, 15);
    EXPECT_EQ(posTwips(w->views()[4]), QPoint(3360, 0));
}

TEST_F(LayoutTest, UnknownPanelClassesAndPanelsWithoutModuleAreTolerated) {
    PanelRegistry partial;
    partial.registerPanel(PanelRegistry::kMainControl, [](QWidget* parent) {
        auto* plain = new QWidget(parent); // no Module interface
        plain->setFixedSize(Twips::toPixels(kMainTwips, plain));
        return plain;
    });
    auto w = makeWindow(1, std::move(partial));
    ASSERT_EQ(w->views().size(), 1) << "unknown classes are skipped";
    EXPECT_EQ(w->views()[0]->objectName(), "c0") << "names stay without gaps";
    w->ViewDestroy();
    EXPECT_EQ(w->clientArea()->findChild<QWidget*>("c0"), nullptr);
}

TEST_F(LayoutTest, NoLayoutWhileMaximised) {
    auto w = makeWindow(1);
    w->show();
    w->showMaximized();
    QCoreApplication::processEvents(); // the platform reports the new size later
    ASSERT_TRUE(w->isMaximized());
    const QSize maximised = w->size();
    w->ViewLayout();
    EXPECT_EQ(w->size(), maximised);
    w->showNormal();
    QCoreApplication::processEvents();
    EXPECT_EQ(clientHeightTwips(*w), 4800);
}

} // namespace
} // namespace tarvex::test
