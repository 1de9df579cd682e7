// The main window's start and end: placement, the server it owns, its menus and messages.
#include "test_support.h"

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

QRect savedPlacement() {
    QSettings settings(QStringLiteral("Tarvex"), QStringLiteral("Tarvex"));
    settings.beginGroup(QStringLiteral("Settings"));
    const auto get = [&](const char* key) { return settings.value(key).toString().toInt(); };
    return {get("MainLeft"), get("MainTop"), get("MainWidth"), get("MainHeight")};
}

TEST_F(LifecycleTest, PlacementIsSavedInTwipsAndRestoredOnTheNextStart) {
    // The placement is the window's inner geometry; the frame is the window system's.
    QPoint framePos;
    {
        auto w = makeWindow(0);
        w->show();
        w->setGeometry(QRect(Twips::toPixels(QPoint(3000, 2250), w.get()), w->size()));
        framePos = w->pos();
        w->findChild<QAction*>("mnuExit")->trigger(); // same path as closing by the frame
    }
    const QRect saved = savedPlacement();
    EXPECT_EQ(saved.topLeft(), QPoint(3000, 2250));
    EXPECT_EQ(saved.width(), 2550);
    EXPECT_GT(saved.height(), 0) << "the menu bar's height";

    auto again = makeWindow(0);
    EXPECT_EQ(Twips::fromPixels(again->geometry(), again.get()), saved);
    again->show();
    EXPECT_EQ(again->pos(), framePos) << "the window comes back where it was";
}

TEST_F(LifecycleTest, ClosingMaximisedSavesThePlacementToReturnTo) {
    auto w = makeWindow(1);
    w->show();
    const QRect normal = Twips::fromPixels(w->geometry(), w.get());
    w->showMaximized();
    QCoreApplication::processEvents(); // the platform reports the new size later
    ASSERT_TRUE(w->isMaximized());
    w->close();
    EXPECT_EQ(savedPlacement(), normal);
}

TEST_F(LifecycleTest, ClosingStopsTheDriversAndViewDestroyTerminatesEveryPanel) {
    auto w = makeWindow(2);
    log->calls.clear();
    w->ViewDestroy();
    EXPECT_EQ(log->calls.size(), 8);
    EXPECT_EQ(log->calls.first(), "Terminate Tarvex.BannerControl c0 0");
    EXPECT_EQ(log->calls.last(), "Terminate Tarvex.MainControl c7 1");
    EXPECT_EQ(w->findChild<QWidget*>("c7"), nullptr);
    EXPECT_EQ(w->hub(), nullptr);

    log->calls.clear();
    w->close();
    EXPECT_EQ(log->calls, (QStringList{"Terminate driver amp1", "Terminate driver amp2"}));
    EXPECT_EQ(w->server(), nullptr);
}

TEST_F(LifecycleTest, ConfigureRestartsTheServerAndRebuildsThePanels) {
    auto w = makeWindow(1);
    const HubPtr firstHub = w->hub();
    QPointer<QWidget> oldMeter = w->views()[0];
    log->calls.clear();
    w->findChild<QAction*>("mnuEdit")->trigger();

    // Old panels end before the new ones start; the new ones reuse the names on a new hub.
    EXPECT_TRUE(oldMeter.isNull());
    EXPECT_EQ(log->calls.first(), "Terminate driver amp1");
    EXPECT_LT(log->calls.lastIndexOf(QRegularExpression("Terminate Tarvex.*")),
              log->calls.indexOf(QRegularExpression("Initialize Tarvex.*")));
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
    const auto* box = w.findChild<QMessageBox*>("msgError");
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(box->isModal());
    EXPECT_TRUE(box->text().contains("port COM9 is busy"));
    EXPECT_EQ(w.views().size(), 3) << "the panels are still hosted";
}

} // namespace
} // namespace tarvex::test
