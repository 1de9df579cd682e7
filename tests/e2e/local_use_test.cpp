// The desk's use reaches the remote panel from presses in the main window only.
#include "app/local_use_watch.h"

#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace tarvex {
namespace {

TEST(LocalUse, IsAPressOrAKeyInTheWatchedWindow) {
    QWidget window, dialog; // the dialog: another top-level window, as the settings dialog is
    auto* edit = new QLineEdit;
    (new QVBoxLayout(&window))->addWidget(edit);
    int uses = 0;
    LocalUseWatch watch(window, [&uses] { ++uses; });

    QTest::mouseMove(edit);
    QTest::mouseRelease(edit, Qt::LeftButton);
    QTest::keyRelease(edit, Qt::Key_A);
    QTest::mouseClick(&dialog, Qt::LeftButton);
    QTest::keyClick(&dialog, Qt::Key_A);
    EXPECT_EQ(uses, 0) << "a move, a release or another window is no use of this one";
    QTest::mousePress(edit, Qt::LeftButton);
    EXPECT_GT(uses, 0);
    const int afterPress = uses;
    QTest::keyPress(edit, Qt::Key_A);
    EXPECT_GT(uses, afterPress);
}

} // namespace
} // namespace tarvex
