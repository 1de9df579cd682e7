// The settings dialog every driver shares: only OK or Enter confirms, and only then does edit()
// hand back what the user left in the boxes.
#include "ui/frm_options.h"

#include "../support/printers.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace tarvex {
namespace {

TEST(FrmOptions, OnlyOkOrEnterHandsBackTheTextsAndTheDeviceFollowsThePort) {
    frmOptions dlg([](const QString& text) { return "device for [" + text + "]"; });
    QString name = "Left amp", port = " 12", settings = "4800,n,8,1";
    QTimer::singleShot(0, &dlg, [&] {
        EXPECT_EQ(dlg.lblDevice->text(), "device for [ 12]");
        dlg.cboPort->setEditText("3"); // the user types
        QTest::keyClick(dlg.cboPort, Qt::Key_Return);
    });
    EXPECT_TRUE(dlg.edit(name, port, settings));
    EXPECT_EQ(dlg.lblDevice->text(), "device for [3]");
    // The lower-case n shows the texts went through the boxes, not their first choices.
    EXPECT_EQ(QStringList({name, port, settings}), QStringList({"Left amp", "3", "4800,n,8,1"}));
    dlg.cboPort->setCurrentIndex(1); // choosing from the list counts too
    EXPECT_EQ(dlg.lblDevice->text(), "device for [2]");
    QTimer::singleShot(0, dlg.btnOK, &QPushButton::click);
    EXPECT_TRUE(dlg.showModal());

    // A confirmation left from an earlier use never leaks into one ended any other way.
    const std::function<void()> cancels[] = {[&] { dlg.hide(); }, [&] { dlg.btnCancel->click(); },
                                             [&] { QTest::keyClick(&dlg, Qt::Key_Escape); },
                                             [&] { dlg.close(); }};
    for (const auto& cancel : cancels) {
        QTimer::singleShot(0, &dlg, [&] { dlg.txtName->setText("changed"), cancel(); });
        EXPECT_FALSE(dlg.edit(name, port, settings));
        EXPECT_EQ(name, "Left amp");
    }
}

} // namespace
} // namespace tarvex
