#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tarvex {

class PortNames;

// "Amplifier Settings": the one settings dialog shared by every driver. The driver fills the
// three boxes, calls showModal and reads them back when SaveChanges is true. Hidden, not
// destroyed, between uses.
class frmOptions : public QDialog {
    Q_OBJECT

public:
    // The names must outlive the dialog.
    explicit frmOptions(const PortNames& names, QWidget* parent = nullptr);

    // Shows the dialog modally; returns SaveChanges once it is hidden again.
    bool showModal();

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

    const PortNames& mNames;
};

} // namespace tarvex
