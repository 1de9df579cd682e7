#include "ui/frm_options.h"

#include "../support/printers.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <functional>

namespace tarvex {
namespace {

class FrmOptions : public ::testing::Test {
protected:
    // Does `act` once the dialog is up and modal.
    void whileShown(std::function<void()> act) {
        QTimer::singleShot(0, &dlg, [this, act] {
            EXPECT_TRUE(dlg.isVisible());
            act();
        });
    }
    void pressKey(QWidget* target, int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
    }

    frmOptions dlg{[](const QString& text) { return "device for [" + text + "]"; }};
};

TEST_F(FrmOptions, OkConfirmsAndEveryOtherWayOutCancels) {
    const std::function<void()> confirm[] = {[&] { dlg.btnOK->click(); },
                                             [&] { pressKey(dlg.txtName, Qt::Key_Return); }};
    for (const auto& act : confirm) {
        whileShown(act);
        EXPECT_TRUE(dlg.showModal());
        EXPECT_TRUE(dlg.isHidden());
    }
    // A confirmation from an earlier use never leaks into a cancelled one.
    const std::function<void()> cancel[] = {[&] { dlg.btnCancel->click(); },
                                            [&] { pressKey(&dlg, Qt::Key_Escape); },
                                            [&] { dlg.close(); }};
    for (const auto& act : cancel) {
        dlg.SaveChanges = true;
        whileShown(act);
        EXPECT_FALSE(dlg.showModal());
        EXPECT_FALSE(dlg.SaveChanges);
    }
}

TEST_F(FrmOptions, EditShowsTheTextsAndReturnsWhatTheUserLeft) {
    QString name = "Left amp", port = " 12", settings = "4800,n,8,1";
    QStringList shown;
    whileShown([&] {
        shown << dlg.txtName->text() << dlg.cboPort->currentText() << dlg.cboSettings->currentText()
              << dlg.lblDevice->text();
        dlg.cboPort->setEditText("3");
        EXPECT_EQ(dlg.lblDevice->text(), "device for [3]");
        pressKey(dlg.cboPort, Qt::Key_Return);
    });
    EXPECT_TRUE(dlg.edit(name, port, settings));
    EXPECT_EQ(shown, QStringList({"Left amp", " 12", "4800,n,8,1", "device for [ 12]"}));
    EXPECT_EQ(port, "3");
    EXPECT_EQ(dlg.cboPort->count(), 15); // typed values do not join the list
    dlg.cboPort->setCurrentIndex(1);     // choosing from the list counts too
    EXPECT_EQ(dlg.lblDevice->text(), "device for [2]");

    // Cancelled: the caller's texts stay as they were.
    whileShown([&] {
        dlg.txtName->setText("changed");
        dlg.btnCancel->click();
    });
    EXPECT_FALSE(dlg.edit(name, port, settings));
    EXPECT_EQ(name, "Left amp");
}

} // namespace
} // namespace tarvex
