// The About box and how the Help menu shows it.
#include "test_support.h"

#include "ui/frm_about.h"

#include <QAction>
#include <QLabel>
#include <QTest>

namespace tarvex::test {
namespace {

using AboutTest = MainWindowTest;

TEST_F(AboutTest, HelpAboutShowsOneReusedNonModalBoxWithTheBuildVersion) {
    // "Version major.minor.revision" straight from the version CMake was given.
    const QStringList parts = QStringLiteral(TARVEX_CMAKE_VERSION).split('.');
    const QString version =
        QStringLiteral("Version %1.%2.%3").arg(parts.value(0), parts.value(1), parts.value(3, "0"));

    auto w = makeWindow(0);
    w->show();
    QAction* about = w->findChild<QAction*>("mnuHelpAbout");
    about->trigger();
    frmAbout* box = w->aboutBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->findChild<QLabel*>("lblVersion")->text(), version);
    EXPECT_TRUE(box->isVisible());
    EXPECT_FALSE(box->isModal());

    // Enter and Escape close it; each time the same box comes back.
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_FALSE(box->isVisible());
    about->trigger();
    EXPECT_EQ(w->aboutBox(), box);
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_FALSE(box->isVisible());

    // Closing the main window takes the box away too.
    about->trigger();
    w->close();
    EXPECT_FALSE(box->isVisible());
}

} // namespace
} // namespace tarvex::test
