// The main window's start and end: placement, the server it owns, its About box and messages.
#include "test_support.h"

#include "../support/wait_until.h"
#include "ui/frm_about.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTest>
#include <QTextBrowser>

#include <stdexcept>

namespace tarvex::test {
namespace {

using LifecycleTest = MainWindowTest;

TEST_F(LifecycleTest, ThePlacementToReturnToIsRestoredOnTheNextStartEvenAfterClosingMaximised) {
    QRect normal;
    {
        auto w = makeWindow(0);
        w->show();
        w->setGeometry(QRect(Twips::toPixels(QPoint(3000, 2250), w.get()), w->size()));
        normal = Twips::fromPixels(w->geometry(), w.get());
        w->showMaximized();
        QCoreApplication::processEvents(); // the platform reports the new size later
        ASSERT_TRUE(w->isMaximized());
        w->findChild<QAction*>("mnuExit")->trigger(); // same path as closing by the frame
    }
    auto again = makeWindow(0);
    again->show(); // the frame, known once shown, is laid out again as it was
    EXPECT_EQ(Twips::fromPixels(again->geometry(), again.get()), normal);
}

TEST_F(LifecycleTest, ConfigureAndCloseEndThePanelsAndDriversInOrder) {
    auto w = makeWindow(2);
    log->clear();
    w->findChild<QAction*>("mnuEdit")->trigger(); // no editor: restarts with the same list
    EXPECT_EQ(log->first(), "Terminate driver amp1");
    const QStringList ended = log->filter("Terminate Tarvex");
    ASSERT_EQ(ended.size(), 8);
    EXPECT_EQ(ended.first(), "Terminate Tarvex.BannerControl c0 0");
    EXPECT_EQ(ended.last(), "Terminate Tarvex.MainControl c7 1");
    EXPECT_LT(log->indexOf(ended.last()), log->indexOf(QRegularExpression("Initialize Tarvex.*")))
        << "old panels end before new ones start";
    ASSERT_EQ(w->views().size(), 8);
    EXPECT_EQ(w->views()[0]->objectName(), "c0") << "the new panels reuse the names";

    log->clear();
    w->close();
    EXPECT_EQ(*log, (QStringList{"Terminate driver amp1", "Terminate driver amp2"}));
}

struct BusyDriver : FakeDriver {
    void Initialize(const HubPtr&, std::int16_t) override {
        throw std::runtime_error("port COM9 is busy");
    }
};

TEST_F(LifecycleTest, ServerErrorsAreShownWithoutBlocking) {
    makeWindow(1).reset(); // leaves a server.dat with one amplifier
    frmMain w([] { return std::make_shared<BusyDriver>(); }, {}, fakeRegistry(log));
    // Reaching this line means the constructor did not wait for the user.
    const auto* box = w.findChild<QMessageBox*>("msgError");
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(!box->isModal() && box->text().contains("port COM9 is busy"));
    EXPECT_EQ(w.views().size(), 3) << "the panels are still hosted";
}

TEST_F(LifecycleTest, AStatusLineGoesUnderThePanelsWholeAndLeavesTheirRoom) {
    auto w = makeWindow(1);
    w->show();
    const int plainHeight = w->height();
    w->showStatus("Radio link lost (connection refused); retrying");
    // The client area keeps its height, so every panel keeps its place above the line.
    EXPECT_TRUE(waitUntil([&] { return w->height() == plainHeight + w->statusBar()->height(); }));
    w->showStatus({});
    EXPECT_TRUE(waitUntil([&] { return w->height() == plainHeight; }));
}

TEST_F(LifecycleTest, HelpAboutShowsOneReusedNonModalBoxWithTheBuildVersion) {
    // "Version major.minor.revision" straight from the version CMake was given.
    const QStringList parts = QStringLiteral(TARVEX_CMAKE_VERSION).split('.');
    auto w = makeWindow(0);
    w->show();
    QAction* about = w->findChild<QAction*>("mnuHelpAbout");
    about->trigger();
    frmAbout* box = w->aboutBox();
    ASSERT_TRUE(box && box->isVisible() && !box->isModal());
    EXPECT_EQ(box->findChild<QLabel*>("lblVersion")->text(),
              QStringLiteral("Version %1.%2.%3").arg(parts[0], parts[1], parts.value(3, "0")));
    // The folder of the list this window runs on: here the working directory.
    EXPECT_TRUE(box->findChild<QLabel*>("lblDataFolder")->text().endsWith(QDir::currentPath()));
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_FALSE(box->isVisible());
    about->trigger();
    EXPECT_EQ(w->aboutBox(), box) << "the same box comes back";
    w->close();
    EXPECT_FALSE(box->isVisible()) << "closing the main window takes the box away too";
}

TEST_F(LifecycleTest, TheWindowHasTheProgramIconAndHelpManualShowsThisBuildsReadme) {
    auto w = makeWindow(0);
    EXPECT_FALSE(w->windowIcon().pixmap(16).isNull());
    w->show();
    w->findChild<QAction*>("mnuHelpManual")->trigger();
    ASSERT_TRUE(w->manual() && w->manual()->isVisible());
    QFile readme(QStringLiteral(TARVEX_README));
    ASSERT_TRUE(readme.open(QIODevice::ReadOnly));
    const QString firstLine = QString::fromUtf8(readme.readAll()).split('\n').value(2);
    EXPECT_TRUE(w->manual()->text()->toPlainText().contains(firstLine)) << firstLine.toStdString();
}

} // namespace
} // namespace tarvex::test
