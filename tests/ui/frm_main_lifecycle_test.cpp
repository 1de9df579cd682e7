// The main window's start and end: placement, the server it owns, its menus and messages.
#include "test_support.h"

#include "ui/frm_about.h"
#include "ui/twips.h"

#include <QAction>
#include <QCoreApplication>
#include <QMessageBox>
#include <QPointer>
#include <QRegularExpression>
#include <QSettings>

#include <stdexcept>

namespace tarvex::test {
namespace {

using LifecycleTest = MainWindowTest;

QString savedSetting(const char* key) {
    QSettings settings(QStringLiteral("Tarvex"), QStringLiteral("Tarvex"));
    return settings.value(QStringLiteral("Settings/%1").arg(QLatin1String(key))).toString();
}

QAction* action(const frmMain& w, const char* name) {
    return w.findChild<QAction*>(QLatin1String(name));
}

TEST_F(LifecycleTest, PlacementIsSavedInTwipsAndRestoredOnTheNextStart) {
    // The placement is the window's inner geometry; the frame is the window system's.
    QPoint framePos;
    {
        auto w = makeWindow(0);
        EXPECT_EQ(w->geometry().topLeft(), Twips::toPixels(QPoint(1000, 1000), w.get()))
            << "defaults";
        w->show();
        w->setGeometry(QRect(Twips::toPixels(QPoint(3000, 2250), w.get()), w->size()));
        framePos = w->pos();
        action(*w, "mnuExit")->trigger(); // same path as closing by the frame
        EXPECT_FALSE(w->isVisible());
    }
    EXPECT_EQ(savedSetting("MainLeft"), "3000");
    EXPECT_EQ(savedSetting("MainTop"), "2250");
    EXPECT_EQ(savedSetting("MainWidth"), "2550");
    const int savedHeight = savedSetting("MainHeight").toInt();
    EXPECT_GT(savedHeight, 0) << "the menu bar's height";

    auto again = makeWindow(0);
    EXPECT_EQ(Twips::fromPixels(again->geometry(), again.get()),
              QRect(3000, 2250, 2550, savedHeight));
    again->show();
    EXPECT_EQ(again->pos(), framePos) << "the window comes back where it was";
}

TEST_F(LifecycleTest, TheRestoredHeightDecidesWhereColumnsBreak) {
    int barTwips = 0;
    {
        auto probe = makeWindow(0);
        barTwips = Twips::fromPixelsY(probe->height() - probe->clientHeight(), probe.get());
    }
    writePlacement(1500, 1500, 6500, barTwips + 3000);
    auto w = makeWindow(1);
    EXPECT_EQ(w->geometry().topLeft(), Twips::toPixels(QPoint(1500, 1500), w.get()));
    ASSERT_EQ(w->views().size(), 3);
    EXPECT_EQ(posTwips(w->views()[2]), QPoint(3060, 0)) << "main panel in the second column";
}

TEST_F(LifecycleTest, ClosingMaximisedSavesThePlacementToReturnTo) {
    auto w = makeWindow(1);
    w->show();
    const QRect normal = Twips::fromPixels(w->geometry(), w.get());
    w->showMaximized();
    QCoreApplication::processEvents(); // the platform reports the new size later
    ASSERT_TRUE(w->isMaximized());
    ASSERT_NE(w->size(), Twips::toPixels(normal.size(), w.get()));
    w->close();
    EXPECT_EQ(savedSetting("MainLeft").toInt(), normal.x());
    EXPECT_EQ(savedSetting("MainTop").toInt(), normal.y());
    EXPECT_EQ(savedSetting("MainWidth").toInt(), normal.width());
    EXPECT_EQ(savedSetting("MainHeight").toInt(), normal.height());
}

TEST_F(LifecycleTest, ClosingStopsTheDriversButLeavesThePanelsAlone) {
    auto w = makeWindow(2);
    w->show();
    log->calls.clear();
    w->close();
    EXPECT_EQ(log->calls, (QStringList{"Terminate driver amp1", "Terminate driver amp2"}));
    EXPECT_EQ(w->server(), nullptr);
    EXPECT_EQ(w->views().size(), 8);
}

TEST_F(LifecycleTest, ViewDestroyTerminatesAndRemovesEveryPanel) {
    auto w = makeWindow(2);
    log->calls.clear();
    w->ViewDestroy();
    const QStringList expected = {
        "Terminate Tarvex.BannerControl c0 0", "Terminate Tarvex.MeterControl c1 0",
        "Terminate Tarvex.TuneControl c2 0",   "Terminate Tarvex.MainControl c3 0",
        "Terminate Tarvex.BannerControl c4 1", "Terminate Tarvex.MeterControl c5 1",
        "Terminate Tarvex.TuneControl c6 1",   "Terminate Tarvex.MainControl c7 1"};
    EXPECT_EQ(log->calls, expected);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(w->findChild<QWidget*>(QStringLiteral("c%1").arg(i)), nullptr) << i;
    EXPECT_TRUE(w->views().isEmpty());
    EXPECT_EQ(w->hub(), nullptr);

    // Layout without a views collection does nothing.
    const QSize before = w->size();
    w->ViewLayout();
    EXPECT_EQ(w->size(), before);
}

TEST_F(LifecycleTest, ConfigureRestartsTheServerAndRebuildsThePanels) {
    auto w = makeWindow(1);
    const HubPtr firstHub = w->hub();
    QPointer<QWidget> oldMeter = w->views()[0];
    log->calls.clear();

    action(*w, "mnuEdit")->trigger();

    // Old panels end before the new ones start; the new ones reuse the names on a new hub.
    EXPECT_TRUE(oldMeter.isNull());
    const QStringList calls = log->calls;
    EXPECT_EQ(calls.first(), "Terminate driver amp1");
    const qsizetype lastTerminate = calls.lastIndexOf(QRegularExpression("Terminate Tarvex.*"));
    const qsizetype firstPanelStart = calls.indexOf(QRegularExpression("Initialize Tarvex.*"));
    ASSERT_GE(lastTerminate, 0);
    EXPECT_LT(lastTerminate, firstPanelStart);
    ASSERT_EQ(w->views().size(), 3);
    EXPECT_EQ(w->views()[0]->objectName(), "c0");
    EXPECT_NE(w->hub(), firstHub);
    EXPECT_EQ(w->hub(), w->server()->hub());
}

class ThrowingDriver : public FakeDriver {
public:
    using FakeDriver::FakeDriver;
    void Initialize(const HubPtr&, std::int16_t) override {
        throw std::runtime_error("port COM9 is busy");
    }
};

TEST_F(LifecycleTest, ServerErrorsAreShownWithoutBlocking) {
    writeServerFile(1);
    CallLogPtr calls = log;
    frmMain w([calls] { return std::make_shared<ThrowingDriver>(calls); }, {}, fakeRegistry(log));
    // Reaching this line means the constructor did not wait for the user.
    const QList<QMessageBox*> boxes = w.findChildren<QMessageBox*>("msgError");
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0]->isVisible());
    EXPECT_FALSE(boxes[0]->isModal());
    EXPECT_TRUE(boxes[0]->text().contains("port COM9 is busy")) << boxes[0]->text().toStdString();
    EXPECT_EQ(w.views().size(), 3) << "the panels are still hosted";
}

} // namespace
} // namespace tarvex::test
