// The About box and how the Help menu shows it.
#include "test_support.h"

#include "ui/frm_about.h"
#include "ui/twips.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace tarvex::test {
namespace {

using AboutTest = MainWindowTest;

// "Version major.minor.revision" straight from the version CMake was given.
QString expectedVersionText() {
    const QStringList parts = QStringLiteral(TARVEX_CMAKE_VERSION).split('.');
    return QStringLiteral("Version %1.%2.%3")
        .arg(parts.value(0), parts.value(1), parts.value(3, "0"));
}

TEST(About, ShowsTitleAndTheBuildVersion) {
    frmAbout box;
    EXPECT_EQ(box.windowTitle(), "About Tarvex");
    EXPECT_EQ(box.findChild<QLabel*>("lblVersion")->text(), expectedVersionText());
    EXPECT_EQ(frmAbout::versionText(), expectedVersionText());
    EXPECT_EQ(box.findChild<QLabel*>("lblTitle")->text(), "Tarvex");
    EXPECT_FALSE(box.findChild<QLabel*>("lblDescription")->text().isEmpty());
    EXPECT_FALSE(box.findChild<QLabel*>("lblDisclaimer")->text().isEmpty());
    EXPECT_FALSE(box.findChild<QLabel*>("picIcon")->pixmap().isNull());

    EXPECT_EQ(widthTwips(&box), 5565);
    EXPECT_EQ(heightTwips(&box), 2115);

    // The etched rule: grey over white, across the box.
    const QList<QFrame*> lines = box.findChildren<QFrame*>("Line1");
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0]->palette().color(QPalette::Window), QColor(128, 128, 128));
    EXPECT_EQ(lines[1]->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_EQ(lines[1]->y(), lines[0]->y() + 1);
    EXPECT_GT(lines[0]->width(), box.width() * 9 / 10);

    // Every element lies inside the inner area.
    for (const QWidget* child : box.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        EXPECT_TRUE(box.rect().contains(child->geometry())) << child->objectName().toStdString();
}

TEST_F(AboutTest, HelpAboutShowsOneReusedNonModalBox) {
    auto w = makeWindow(0);
    w->show();
    QAction* about = w->findChild<QAction*>("mnuHelpAbout");
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(w->aboutBox(), nullptr);

    about->trigger();
    frmAbout* box = w->aboutBox();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_FALSE(box->isModal());

    // OK, Enter and Escape all close it; each time the same box comes back.
    QPushButton* ok = box->findChild<QPushButton*>("cmdOK");
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), "OK");
    EXPECT_TRUE(ok->isDefault());
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_FALSE(box->isVisible());

    about->trigger();
    EXPECT_EQ(w->aboutBox(), box);
    EXPECT_TRUE(box->isVisible());
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_FALSE(box->isVisible());

    about->trigger();
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_FALSE(box->isVisible());
    EXPECT_EQ(w->findChildren<frmAbout*>().size(), 1);

    // Closing the main window takes the box away too.
    about->trigger();
    w->close();
    EXPECT_FALSE(box->isVisible());
}

} // namespace
} // namespace tarvex::test
