// How the main window hosts and stacks the panels of its drivers.
#include "test_support.h"

#include "ui/twips.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMenuBar>

namespace tarvex::test {
namespace {

using LayoutTest = MainWindowTest;

QStringList objectNames(const QList<QWidget*>& views) {
    QStringList names;
    for (const QWidget* v : views)
        names << v->objectName();
    return names;
}

QStringList classNames(const QList<QWidget*>& views) {
    QStringList names;
    for (const QWidget* v : views)
        names << PanelRegistry::classNameOf(v);
    return names;
}

// Gives the (hidden) window a client area of the given height and lays out once.
void layoutWithClientHeight(frmMain& w, int clientTwips) {
    const int barPixels = w.height() - w.clientHeight();
    w.resize(w.width(), barPixels + Twips::toPixelsY(clientTwips, &w));
    w.ViewLayout();
}

TEST_F(LayoutTest, WithoutDriversOnlyTheMenuBarRemains) {
    auto w = makeWindow(0);
    EXPECT_TRUE(QFileInfo::exists(QStringLiteral("server.dat"))) << "missing list is created";
    EXPECT_TRUE(w->views().isEmpty());
    EXPECT_EQ(w->moduleCount(), 0);
    EXPECT_EQ(widthTwips(w.get()), 2550);
    EXPECT_EQ(w->clientHeight(), 0);

    // Shown, Qt's own minimum sizes must not undo it, and the menu bar stays usable.
    w->show();
    EXPECT_EQ(widthTwips(w.get()), 2550);
    EXPECT_EQ(w->clientHeight(), 0);
    EXPECT_TRUE(w->menuBar()->isVisible());
    EXPECT_EQ(w->height(), w->menuBar()->height());
}

TEST_F(LayoutTest, OneDriverStacksItsPanelsInOneColumnAndWrapsWhenLower) {
    auto w = makeWindow(1);
    const QList<QWidget*> views = w->views();
    ASSERT_EQ(views.size(), 3) << "no banner for a single driver";
    EXPECT_EQ(objectNames(views), (QStringList{"c0", "c1", "c2"}));
    EXPECT_EQ(classNames(views),
              (QStringList{PanelRegistry::kMeterControl, PanelRegistry::kTuneControl,
                           PanelRegistry::kMainControl}));
    for (QWidget* v : views) {
        EXPECT_EQ(v->parentWidget(), w->clientArea());
        EXPECT_EQ(static_cast<FakePanel*>(v)->index(), 0);
        EXPECT_EQ(static_cast<FakePanel*>(v)->hub(), w->hub());
    }
    ASSERT_NE(w->hub(), nullptr);
    EXPECT_EQ(w->hub(), w->server()->hub());

    // The default placement is tall enough for one column.
    EXPECT_EQ(posTwips(views[0]), QPoint(60, 0));
    EXPECT_EQ(posTwips(views[1]), QPoint(60, 1500));
    EXPECT_EQ(posTwips(views[2]), QPoint(60, 2700));
    EXPECT_EQ(widthTwips(w.get()), 60 + 3300 + 150);
    EXPECT_EQ(clientHeightTwips(*w), 4800);

    // The user makes the shown window lower: the main panel moves to a second column that starts
    // at the right edge of the widest panel so far, and the window snaps to the new shape.
    w->show();
    EXPECT_EQ(w->centralWidget()->height(), w->clientHeight());
    const int bar = w->height() - w->clientHeight();
    w->resize(w->width(), bar + Twips::toPixelsY(3000, w.get()));
    EXPECT_EQ(posTwips(views[0]), QPoint(60, 0));
    EXPECT_EQ(posTwips(views[1]), QPoint(60, 1500));
    EXPECT_EQ(posTwips(views[2]), QPoint(3060, 0));
    EXPECT_EQ(widthTwips(w.get()), 3060 + 3300 + 150);
    EXPECT_EQ(clientHeightTwips(*w), 2700);
    EXPECT_TRUE(views[2]->isVisible());

    // Lower still: every panel gets a column of its own.
    w->resize(w->width(), bar + Twips::toPixelsY(2100, w.get()));
    EXPECT_EQ(posTwips(views[1]), QPoint(3060, 0));
    EXPECT_EQ(posTwips(views[2]), QPoint(6060, 0));
    EXPECT_EQ(clientHeightTwips(*w), 2100);

    // Taller again: back into one column.
    w->resize(w->width(), bar + Twips::toPixelsY(6000, w.get()));
    EXPECT_EQ(posTwips(views[2]), QPoint(60, 2700));
    EXPECT_EQ(widthTwips(w.get()), 3510);
    EXPECT_EQ(clientHeightTwips(*w), 4800);
}

TEST_F(LayoutTest, SeveralDriversEachGetABannerHeadedColumn) {
    auto w = makeWindow(2);
    const QList<QWidget*> views = w->views();
    ASSERT_EQ(views.size(), 8);
    EXPECT_EQ(objectNames(views).join(','), "c0,c1,c2,c3,c4,c5,c6,c7");
    EXPECT_EQ(PanelRegistry::classNameOf(views[0]), PanelRegistry::kBannerControl);
    EXPECT_EQ(PanelRegistry::classNameOf(views[4]), PanelRegistry::kBannerControl);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(static_cast<FakePanel*>(views[i])->index(), i < 4 ? 0 : 1) << i;
    EXPECT_EQ(w->moduleCount(), 2);

    // Drivers start before the panels, in list order.
    ASSERT_GE(log->calls.size(), 3);
    EXPECT_EQ(log->calls[0], "Initialize driver amp1 0");
    EXPECT_EQ(log->calls[1], "Initialize driver amp2 1");
    EXPECT_EQ(log->calls[2], "Initialize Tarvex.BannerControl 0");

    // A client area lower than one driver's panels: the panels stay under their banner (the
    // column runs taller than the window), and only the second banner starts a column.
    layoutWithClientHeight(*w, 4500);
    EXPECT_EQ(posTwips(views[0]), QPoint(60, 0));
    EXPECT_EQ(posTwips(views[3]), QPoint(60, 600 + 1500 + 1200));
    EXPECT_EQ(posTwips(views[4]), QPoint(60 + 3300, 0));
    EXPECT_EQ(posTwips(views[7]), QPoint(3360, 3300));
    EXPECT_EQ(clientHeightTwips(*w), 5400) << "the window grows to the tallest column";
    EXPECT_EQ(widthTwips(w.get()), 3360 + 3300 + 150);

    // With room below the first driver, the second one follows in the same column.
    layoutWithClientHeight(*w, 10800);
    EXPECT_EQ(posTwips(views[4]), QPoint(60, 5400));
    EXPECT_EQ(clientHeightTwips(*w), 10800);
    EXPECT_EQ(widthTwips(w.get()), 3510);
}

TEST_F(LayoutTest, APanelTallerThanTheClientAreaNeverStartsAColumnByItself) {
    auto w = makeWindow(1);
    const QList<QWidget*> views = w->views();
    ASSERT_EQ(views.size(), 3);

    // The main panel (2100) is taller than the client area (1600): it stays below the tune
    // panel, which did start a new column, and the window grows to hold it.
    layoutWithClientHeight(*w, 1600);
    EXPECT_EQ(posTwips(views[1]), QPoint(3060, 0));
    EXPECT_EQ(posTwips(views[2]), QPoint(3060, 1200));
    EXPECT_EQ(clientHeightTwips(*w), 3300);

    // Same for a banner: several drivers, client lower than a banner.
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
    EXPECT_GE(clientHeightTwips(*w), 32767 - 15);
    EXPECT_LE(clientHeightTwips(*w), 32767 + 15);
    EXPECT_EQ(posTwips(w->views()[4]), QPoint(3360, 0));
}

TEST_F(LayoutTest, UnknownPanelClassesAndPanelsWithoutModuleAreTolerated) {
    PanelRegistry partial;
    partial.registerPanel(PanelRegistry::kMeterControl, [this](QWidget* parent) {
        return new FakePanel(parent, PanelRegistry::kMeterControl, kMeterTwips, log);
    });
    partial.registerPanel(PanelRegistry::kMainControl, [](QWidget* parent) {
        auto* plain = new QWidget(parent); // no Module interface
        plain->setFixedSize(Twips::toPixels(kMainTwips, plain));
        return plain;
    });
    auto w = makeWindow(1, std::move(partial));

    // The tune panel is unknown: skipped, and the names stay without gaps.
    const QList<QWidget*> views = w->views();
    ASSERT_EQ(views.size(), 2);
    EXPECT_EQ(objectNames(views), (QStringList{"c0", "c1"}));
    EXPECT_EQ(posTwips(views[1]), QPoint(60, 1500));

    w->ViewDestroy();
    EXPECT_EQ(w->clientArea()->findChild<QWidget*>("c1"), nullptr)
        << "a panel without Module interface is still removed";
    EXPECT_EQ(log->calls.filter("Terminate Tarvex.").size(), 1);
}

TEST_F(LayoutTest, NoLayoutWhileMaximised) {
    auto w = makeWindow(1);
    w->show();
    w->showMaximized();
    QCoreApplication::processEvents(); // the platform reports the new size later
    ASSERT_TRUE(w->isMaximized());
    const QSize maximised = w->size();
    w->ViewLayout();
    EXPECT_EQ(w->size(), maximised) << "a maximised window keeps its size";

    w->showNormal();
    QCoreApplication::processEvents();
    EXPECT_EQ(widthTwips(w.get()), 3510);
    EXPECT_EQ(clientHeightTwips(*w), 4800);
}

} // namespace
} // namespace tarvex::test
