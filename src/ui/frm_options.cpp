#include "frm_options.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <QWindow>

namespace tarvex {

namespace {

QComboBox* makeCombo(const QString& name, const QStringList& choices, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setEditable(true);
    // The lists are fixed; a typed value is the box's text, not a new choice.
    box->setInsertPolicy(QComboBox::NoInsert);
    box->addItems(choices);
    return box;
}

} // namespace

frmOptions::frmOptions(Devices devices, QWidget* parent)
    : QDialog(parent), mDevices(std::move(devices)) {
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Amplifier Settings"));
    setModal(true);

    txtName = new QLineEdit(QStringLiteral("No Name"), this);
    txtName->setObjectName(QStringLiteral("txtName"));
    // A name is shown on one line everywhere: no control characters, typed or pasted.
    txtName->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[^\\x00-\\x1f\\x7f-\\x9f]*")), txtName));

    QStringList ports;
    for (int i = 1; i <= 15; ++i) {
        ports << QString::number(i);
    }
    cboPort = makeCombo(QStringLiteral("cboPort"), ports, this);
    cboSettings = makeCombo(QStringLiteral("cboSettings"),
                            {QStringLiteral("4800,N,8,1"), QStringLiteral("4800,N,8,2"),
                             QStringLiteral("9600,N,8,1"), QStringLiteral("19200,N,8,1"),
                             QStringLiteral("38400,N,8,1"), QStringLiteral("57600,N,8,1")},
                            this);

    cboDevice = makeCombo(QStringLiteral("cboDevice"), {}, this);
    cboDevice->lineEdit()->setPlaceholderText(QStringLiteral("device path or tcp://HOST:PORT"));
    // By-id names are long and differ at the end ("...-if00-port0").
    cboDevice->view()->setTextElideMode(Qt::ElideMiddle);

    lblDevice = new QLabel(this);
    lblDevice->setObjectName(QStringLiteral("lblDevice"));
    lblDevice->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblDevice->setWordWrap(true);
    // Problems in a colour of their own; descriptions stay quiet.
    QPalette problemPalette = lblDevice->palette();
    problemPalette.setColor(QPalette::WindowText, QColor(0xa0, 0x10, 0x10));
    lblDevice->setPalette(problemPalette);

    lblSettingsNote =
        new QLabel(QStringLiteral("not used: the network server sets the line speed"), this);
    lblSettingsNote->setObjectName(QStringLiteral("lblSettingsNote"));
    lblSettingsNote->setForegroundRole(QPalette::PlaceholderText);
    lblSettingsNote->hide();

    lblPortOverride = new QLabel(this);
    lblPortOverride->setObjectName(QStringLiteral("lblPortOverride"));
    lblPortOverride->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblPortOverride->setWordWrap(true);
    lblPortOverride->hide();

    const QFontMetrics fm = fontMetrics();
    cboPort->setMinimumWidth(fm.horizontalAdvance(QStringLiteral("000000")) + 40);
    cboSettings->setMinimumWidth(fm.horizontalAdvance(QStringLiteral("38400,N,8,1.5")) + 40);
    cboDevice->setMinimumWidth(
        fm.horizontalAdvance(QStringLiteral("/dev/serial/by-id/usb-0000_000000-if00")) + 40);
    // Room for two lines of a problem, so the dialog does not jump as the text changes.
    lblDevice->setMinimumHeight(fm.lineSpacing() * 2);
    // The same for the override note, whose second sentence comes and goes as the user types.
    lblPortOverride->setMinimumHeight(fm.lineSpacing() * 3);

    auto* nameLabel = new QLabel(QStringLiteral("Name"), this);
    auto* portLabel = new QLabel(QStringLiteral("Port"), this);
    auto* settingsLabel = new QLabel(QStringLiteral("Settings"), this);
    nameLabel->setBuddy(txtName);
    portLabel->setBuddy(cboPort);
    settingsLabel->setBuddy(cboSettings);

    auto* portRow = new QHBoxLayout;
    portRow->addWidget(cboPort);
    portRow->addWidget(cboDevice, 1);
    auto* settingsRow = new QHBoxLayout;
    settingsRow->addWidget(cboSettings);
    settingsRow->addWidget(lblSettingsNote);
    settingsRow->addStretch(1);

    auto* fields = new QGridLayout;
    fields->addWidget(nameLabel, 0, 0);
    fields->addWidget(txtName, 0, 1);
    fields->addWidget(portLabel, 1, 0);
    fields->addLayout(portRow, 1, 1);
    fields->addWidget(lblDevice, 2, 1, Qt::AlignTop);
    fields->addWidget(lblPortOverride, 3, 1, Qt::AlignTop);
    fields->addWidget(settingsLabel, 4, 0);
    fields->addLayout(settingsRow, 4, 1);

    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addSpacing(fm.height() / 2);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // In reading order, not creation order.
    setTabOrder(cboPort, cboDevice);
    setTabOrder(cboDevice, cboSettings);

    connect(btnOK, &QPushButton::clicked, this, &frmOptions::btnOK_Click);
    connect(btnCancel, &QPushButton::clicked, this, &frmOptions::reject);
    connect(cboPort, &QComboBox::editTextChanged, this, &frmOptions::cboPort_EditTextChanged);
    connect(cboDevice, &QComboBox::editTextChanged, this, &frmOptions::cboDevice_EditTextChanged);
    cboPort_EditTextChanged(cboPort->currentText());
}

bool frmOptions::showModal() {
    SaveChanges = false;
    reloadDevices(); // devices come and go between uses
    txtName->setFocus();
    placeOverActiveWindow();
    exec();
    return SaveChanges;
}

// The dialog is shared by every driver and outlives any one window, so it has no parent to centre
// over: it opens over whichever window the user asked from.
void frmOptions::placeOverActiveWindow() {
    QWidget* over = QApplication::activeWindow();
    if (parentWidget() != nullptr || over == nullptr || over == this)
        return;
    adjustSize();
    move(over->frameGeometry().center() - QPoint(width() / 2, height() / 2));
    if (windowHandle() == nullptr)
        winId();
    windowHandle()->setTransientParent(over->windowHandle());
}

bool frmOptions::edit(QString& name, QString& port, QString& settings) {
    cboSettings->setEditText(settings);
    cboPort->setEditText(port);
    txtName->setText(name);
    if (!showModal())
        return false;
    name = txtName->text();
    port = cboPort->currentText();
    settings = cboSettings->currentText();
    return true;
}

void frmOptions::btnOK_Click() {
    const QString device = cboDevice->currentText().trimmed();
    if (mResolved && device != mResolved->second) {
        QString error = mDevices.check ? mDevices.check(device) : QString();
        if (error.isEmpty() && mDevices.store &&
            !mDevices.store(mResolved->first, device, &error)) {
            error = QStringLiteral("Could not save the device: %1").arg(error);
        }
        if (!error.isEmpty()) {
            showDeviceNote(error, true);
            cboDevice->setFocus();
            return;
        }
    }
    SaveChanges = true;
    accept();
}

// Cancel, Escape and closing by the frame all end here.
void frmOptions::reject() {
    SaveChanges = false;
    QDialog::reject();
}

void frmOptions::reloadDevices() {
    {
        const QSignalBlocker quiet(cboDevice);
        cboDevice->clear();
        const auto devices = mDevices.list ? mDevices.list() : QList<std::pair<QString, QString>>();
        for (const auto& [device, description] : devices) {
            cboDevice->addItem(device);
            cboDevice->setItemData(cboDevice->count() - 1, description, Qt::ToolTipRole);
        }
    }
    cboPort_EditTextChanged(cboPort->currentText());
}

// A new number shows its own device, whatever was chosen for the old one.
void frmOptions::cboPort_EditTextChanged(const QString& text) {
    mResolved = mDevices.resolve ? mDevices.resolve(text) : std::nullopt;
    cboDevice->setEnabled(mResolved.has_value());
    const QString device = mResolved ? mResolved->second : QString();
    const QSignalBlocker quiet(cboDevice);
    cboDevice->setCurrentIndex(cboDevice->findText(device));
    cboDevice->setEditText(device);
    cboDevice_EditTextChanged(device);
}

void frmOptions::cboDevice_EditTextChanged(const QString& text) {
    const QString device = text.trimmed();
    const bool network = device.startsWith(QLatin1String("tcp://"));
    cboSettings->setEnabled(!network);
    lblSettingsNote->setVisible(network);
    showOverrideNote(device);
    if (!mResolved) {
        showDeviceNote(QStringLiteral("no device"), false);
        return;
    }
    const QString problem =
        mDevices.problem && !device.isEmpty() ? mDevices.problem(device) : QString();
    if (!problem.isEmpty()) {
        showDeviceNote(problem, true);
        return;
    }
    const int index = cboDevice->findText(device);
    showDeviceNote(index < 0 ? QString() : cboDevice->itemData(index, Qt::ToolTipRole).toString(),
                   false);
}

void frmOptions::showDeviceNote(const QString& text, bool problem) {
    lblDevice->setText(text);
    lblDevice->setForegroundRole(problem ? QPalette::WindowText : QPalette::PlaceholderText);
}

// The port resolves to the override, so the box shows it; what the user picks instead is stored
// on OK all the same, and they must know it changes nothing until the next start without it.
void frmOptions::showOverrideNote(const QString& device) {
    const auto overridden =
        mResolved && mDevices.override ? mDevices.override(mResolved->first) : std::nullopt;
    lblPortOverride->setVisible(overridden.has_value());
    if (!overridden)
        return;
    const int port = mResolved->first;
    QString note = QStringLiteral("Port %1 is overridden on the command line by --port %1=%2.")
                       .arg(QString::number(port), *overridden);
    if (!device.isEmpty() && device != mResolved->second)
        note += QStringLiteral(" OK stores %1 for port %2, used only when Tarvex starts without "
                               "that option.")
                    .arg(device, QString::number(port));
    lblPortOverride->setText(note);
}

} // namespace tarvex
