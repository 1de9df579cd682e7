// The settings dialog every driver shares: only OK or Enter confirms, and only then does edit()
// hand back what the user left in the boxes.
#include "ui/frm_options.h"

#include "core/user_settings.h"
#include "driver/port_names.h"

#include "../support/printers.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace tarvex {
namespace {

TEST(FrmOptions, OnlyOkOrEnterHandsBackTheTextsAndTheDeviceFollowsThePort) {
    frmOptions dlg({.resolve = [](const QString& text) {
        return std::optional(std::pair(text.trimmed().toInt(), "device for [" + text + "]"));
    }});
    QString name = "Left amp", port = " 12", settings = "4800,n,8,1";
    QTimer::singleShot(0, &dlg, [&] {
        EXPECT_EQ(dlg.cboDevice->currentText(), "device for [ 12]");
        dlg.cboPort->setEditText("3");    // the user types
        dlg.txtName->insert("\x1b[2J\n"); // and pastes what no one-line name may hold
        QTest::keyClick(dlg.cboPort, Qt::Key_Return);
    });
    EXPECT_TRUE(dlg.edit(name, port, settings));
    EXPECT_EQ(dlg.cboDevice->currentText(), "device for [3]");
    // The lower-case n shows the texts went through the boxes, not their first choices.
    EXPECT_EQ(QStringList({name, port, settings}), QStringList({"Left amp", "3", "4800,n,8,1"}));
    dlg.cboPort->setCurrentIndex(1); // choosing from the list counts too
    EXPECT_EQ(dlg.cboDevice->currentText(), "device for [2]");
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

// Wired to the real port names, as the app wires it; the harness keeps QSettings in a scratch dir.
// Shared by every driver, it has no parent: it opens centred over the window the user asked from.
TEST(FrmOptions, OpensOverTheActiveWindow) {
    QWidget asking;
    asking.setGeometry(700, 500, 400, 300);
    asking.show();
    QApplication::setActiveWindow(&asking);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&asking));
    frmOptions dlg({});
    QPoint centre;
    QTimer::singleShot(0, &dlg, [&] { centre = dlg.frameGeometry().center(), dlg.close(); });
    dlg.showModal();
    EXPECT_LE((centre - asking.frameGeometry().center()).manhattanLength(), 4);
}

TEST(FrmOptions, AChosenDeviceIsCheckedAndStoredForThePortOnlyOnOk) {
    QTemporaryDir dir;
    // The directory itself stands in for an adapter that is present and may be opened.
    const PortNames::DeviceList devices{{dir.path(), "Acme adapter"}};
    PortNames names({{4, dir.filePath("ttyGone")}});
    frmOptions dlg({[&](const QString& text) { return names.resolvePortText(text); },
                    [&] { return devices; }, &PortNames::checkDeviceName, &PortNames::accessProblem,
                    &PortNames::storeSetting, [&](int port) { return names.overrideFor(port); }});
    QSettings settings = userSettings();
    QString name = "Amp", port = "4", text = "4800,n,8,1";
    const auto editWith = [&](std::function<void()> user) {
        QTimer::singleShot(0, &dlg, user);
        return dlg.edit(name, port, text);
    };

    EXPECT_FALSE(editWith([&] {
        EXPECT_TRUE(dlg.lblDevice->text().endsWith("ttyGone: not present; is it plugged in?"));
        EXPECT_EQ(dlg.lblPortOverride->text(),
                  "Port 4 is overridden on the command line by --port 4=" +
                      dir.filePath("ttyGone") + ".");
        dlg.cboDevice->setCurrentIndex(0);
        EXPECT_EQ(dlg.lblDevice->text(), "Acme adapter");
        EXPECT_TRUE(dlg.lblPortOverride->text().endsWith(
            "ttyGone. OK stores " + dir.path() +
            " for port 4, used only when Tarvex starts without that option."));
        dlg.btnCancel->click();
    }));
    EXPECT_TRUE(editWith([&] { dlg.btnOK->click(); })); // left as it resolves
    EXPECT_FALSE(settings.contains("Ports/4"));

    port = "2";
    EXPECT_TRUE(editWith([&] {
        dlg.cboDevice->setEditText("tcp://ser.local");
        dlg.btnOK->click();
        EXPECT_TRUE(dlg.isVisible() && dlg.lblDevice->text().contains("tcp://HOST:PORT"));
        dlg.cboDevice->setEditText("tcp://ser.local:4001");
        EXPECT_TRUE(dlg.lblSettingsNote->isVisible() && !dlg.cboSettings->isEnabled());
        EXPECT_FALSE(dlg.lblPortOverride->isVisible()); // port 2 is not overridden
        dlg.btnOK->click();
    }));
    EXPECT_EQ(settings.value("Ports/2"), "tcp://ser.local:4001");
}

} // namespace
} // namespace tarvex
