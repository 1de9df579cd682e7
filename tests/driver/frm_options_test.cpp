#include "driver/frm_options.h"
#include "driver/port_names.h"

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
    // Shows the dialog modally and does `act` while it is up.
    bool runModal(std::function<void()> act) {
        bool shownWhenActed = false;
        QTimer::singleShot(0, &dlg, [&] {
            shownWhenActed = dlg.isVisible();
            act();
        });
        const bool result = dlg.showModal();
        EXPECT_TRUE(shownWhenActed);
        EXPECT_TRUE(dlg.isHidden());
        EXPECT_EQ(result, dlg.SaveChanges);
        return result;
    }
    void pressKey(QWidget* target, int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
    }

    PortNames names{{{3, "/dev/pts/4"}}};
    frmOptions dlg{names};
};

TEST_F(FrmOptions, OkConfirmsAndEveryOtherWayOutCancels) {
    EXPECT_TRUE(runModal([&] { dlg.btnOK->click(); }));
    EXPECT_TRUE(runModal([&] { pressKey(dlg.txtName, Qt::Key_Return); })); // the default button

    // A confirmation from an earlier use never leaks into a cancelled one.
    EXPECT_FALSE(runModal([&] { dlg.btnCancel->click(); }));
    dlg.SaveChanges = true;
    EXPECT_FALSE(runModal([&] { pressKey(&dlg, Qt::Key_Escape); }));
    dlg.SaveChanges = true;
    EXPECT_FALSE(runModal([&] { dlg.close(); })); // the window frame's close button
}

TEST_F(FrmOptions, DeviceLabelFollowsThePortText) {
    dlg.cboPort->setEditText(" 3");
    EXPECT_EQ(dlg.lblDevice->text(), "/dev/pts/4");
    dlg.cboPort->setEditText("12");
    EXPECT_EQ(dlg.lblDevice->text(), PortNames::platformDefault(12));
    dlg.cboPort->setCurrentIndex(1); // choosing from the list counts too
    EXPECT_EQ(dlg.lblDevice->text(), PortNames::platformDefault(2));
    dlg.cboPort->setEditText("2.5"); // read as the driver will: halves to even
    EXPECT_EQ(dlg.lblDevice->text(), PortNames::platformDefault(2));
    for (const char* none : {"0", "-4", "COM", "", "99999"}) {
        dlg.cboPort->setEditText(none);
        EXPECT_EQ(dlg.lblDevice->text(), "no device") << none;
    }
}

TEST_F(FrmOptions, ReusedDialogShowsWhatTheDriverRefilled) {
    dlg.txtName->setText("Left amp");
    dlg.cboPort->setEditText(" 12");
    dlg.cboSettings->setEditText("4800,n,8,1");
    EXPECT_TRUE(runModal([&] {
        dlg.cboPort->setEditText("3");
        pressKey(dlg.cboPort, Qt::Key_Return);
    }));
    EXPECT_EQ(dlg.cboPort->currentText(), "3");
    EXPECT_EQ(dlg.cboPort->count(), 15); // typed values do not join the list

    dlg.txtName->setText("Right amp");
    dlg.cboPort->setEditText(" 7");
    dlg.cboSettings->setEditText("9600,e,7,1");
    QStringList shown;
    EXPECT_FALSE(runModal([&] {
        shown << dlg.txtName->text() << dlg.cboPort->currentText() << dlg.cboSettings->currentText()
              << dlg.lblDevice->text();
        dlg.btnCancel->click();
    }));
    EXPECT_EQ(shown, QStringList({"Right amp", " 7", "9600,e,7,1", PortNames::platformDefault(7)}));
}

} // namespace
} // namespace tarvex
