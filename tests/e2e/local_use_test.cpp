// The desk's use reaches the remote panel from presses in the main window only.
#include "app/local_use_watch.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

namespace tarvex {
namespace {

TEST(LocalUse, IsAPressOrAKeyInTheWatchedWindow) {
    QWidget window;
    auto* button = new QPushButton("OPER");
    auto* edit = new QLineEdit;
    auto* column = new QVBoxLayout(&window);
    column->addWidget(button);
    column->addWidget(edit);
    QWidget dialog; // another top-level window, as the settings dialog is
    int uses = 0;
    LocalUseWatch watch(window, [&uses] { ++uses; });

    QTest::mouseMove(button);
    QTest::mouseRelease(button, Qt::LeftButton);
    QTest::keyRelease(edit, Qt::Key_A);
    QTest::mouseClick(&dialog, Qt::LeftButton);
    QTest::keyClick(&dialog, Qt::Key_A);
    EXPECT_EQ(uses, 0) << "a move, a release or another window is no use of this one";
    QTest::mousePress(button, Qt::LeftButton);
    EXPECT_GT(uses, 0);
    const int afterPress = uses;
    QTest::keyPress(edit, Qt::Key_A);
    EXPECT_GT(uses, afterPress);
}

} // namespace
} // namespace tarvex
