#pragma once

#include <QDialog>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tarvex {

// "Amplifier Settings": the one settings dialog shared by every driver. The driver fills the
// three boxes, calls showModal and reads them back when SaveChanges is true. Hidden, not
// destroyed, between uses. What a port text stands for on this computer is told by the app,
// which knows the drivers' port names.
class frmOptions : public QDialog {
    Q_OBJECT

public:
    // Describes the device a port text resolves to ("/dev/ttyUSB0", "no device").
    using DeviceDescriber = std::function<QString(const QString& portText)>;
    explicit frmOptions(DeviceDescriber describeDevice, QWidget* parent = nullptr);

    // Shows the dialog modally; returns SaveChanges once it is hidden again.
    bool showModal();
    // Shows the three texts, and on OK puts back what the user left in the boxes.
    bool edit(QString& name, QString& port, QString& settings);

    // OK sets it, Cancel, Escape and the window frame clear it.
    bool SaveChanges = false;

    QLineEdit* txtName;
    QComboBox* cboPort;
    QComboBox* cboSettings;
    QPushButton* btnOK;
    QPushButton* btnCancel;
    // What the port box's number stands for on this computer.
    QLabel* lblDevice;

public slots:
    void reject() override;

private:
    void btnOK_Click();
    void cboPort_EditTextChanged(const QString& text);

    DeviceDescriber mDescribeDevice;
};

} // namespace tarvex
