#pragma once

#include <QDialog>
#include <QList>

#include <functional>
#include <optional>
#include <utility>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tarvex {

// "Amplifier Settings": the one settings dialog shared by every driver. The driver fills the
// three boxes, calls showModal and reads them back when SaveChanges is true. Hidden, not
// destroyed, between uses. What a port number stands for on this computer, and which devices
// there are, is told by the app, which knows the drivers' port names; the dialog lets the user
// choose another device for the number and has it stored on OK.
class frmOptions : public QDialog {
    Q_OBJECT

public:
    struct Devices {
        // The port number a port text stands for, read as the driver reads it, with the device
        // it resolves to now; nullopt when the text names no port.
        std::function<std::optional<std::pair<int, QString>>(const QString& portText)> resolve = {};
        // This computer's serial devices as {device, description}.
        std::function<QList<std::pair<QString, QString>>()> list = {};
        // "" for a name that can be a device, else why it cannot.
        std::function<QString(const QString& device)> check = {};
        // What would keep the device from opening now ("" when nothing): told, not refused.
        std::function<QString(const QString& device)> problem = {};
        // Makes the port stand for the device from now on; false with *error when it cannot.
        std::function<bool(int port, const QString& device, QString* error)> store = {};
        // The device the command line puts in place of the port, whatever is stored; nullopt
        // when it is not overridden.
        std::function<std::optional<QString>(int port)> override = {};
    };
    explicit frmOptions(Devices devices, QWidget* parent = nullptr);

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
    // The device the port number stands for: a listed port, a typed path or tcp://HOST:PORT.
    QComboBox* cboDevice;
    // What the chosen device is, or what is wrong with it.
    QLabel* lblDevice;
    // Shown for a network device, whose line speed is set at the server.
    QLabel* lblSettingsNote;
    // Shown while the port is overridden on the command line: a device stored here waits for
    // a start without that option.
    QLabel* lblPortOverride;

public slots:
    void reject() override;

private:
    void btnOK_Click();
    void cboPort_EditTextChanged(const QString& text);
    void cboDevice_EditTextChanged(const QString& text);
    void reloadDevices();
    void showDeviceNote(const QString& text, bool problem);
    void showOverrideNote(const QString& device);
    void placeOverActiveWindow();

    Devices mDevices;
    // What the port number resolved to when last shown: leaving it stores nothing.
    std::optional<std::pair<int, QString>> mResolved;
};

} // namespace tarvex
