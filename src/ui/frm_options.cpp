#include "frm_options.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

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

frmOptions::frmOptions(DeviceDescriber describeDevice, QWidget* parent)
    : QDialog(parent), mDescribeDevice(std::move(describeDevice)) {
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Amplifier Settings"));
    setModal(true);

    txtName = new QLineEdit(QStringLiteral("No Name"), this);
    txtName->setObjectName(QStringLiteral("txtName"));

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

    lblDevice = new QLabel(this);
    lblDevice->setObjectName(QStringLiteral("lblDevice"));
    lblDevice->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblDevice->setForegroundRole(QPalette::PlaceholderText);
    // Room for a typical device path, so the dialog does not jump as the text changes.
    lblDevice->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("/dev/ttyUSB00")));

    const QFontMetrics fm = fontMetrics();
    cboPort->setMinimumWidth(fm.horizontalAdvance(QStringLiteral("000000")) + 40);
    cboSettings->setMinimumWidth(fm.horizontalAdvance(QStringLiteral("38400,N,8,1.5")) + 40);

    auto* nameLabel = new QLabel(QStringLiteral("Name"), this);
    auto* portLabel = new QLabel(QStringLiteral("Port"), this);
    auto* settingsLabel = new QLabel(QStringLiteral("Settings"), this);
    nameLabel->setBuddy(txtName);
    portLabel->setBuddy(cboPort);
    settingsLabel->setBuddy(cboSettings);

    auto* fields = new QGridLayout;
    fields->addWidget(nameLabel, 0, 0);
    fields->addWidget(txtName, 0, 1, 1, 2);
    fields->addWidget(portLabel, 1, 0);
    fields->addWidget(cboPort, 1, 1);
    fields->addWidget(lblDevice, 1, 2);
    fields->addWidget(settingsLabel, 2, 0);
    fields->addWidget(cboSettings, 2, 1, 1, 2, Qt::AlignLeft);
    fields->setColumnStretch(2, 1);

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

    connect(btnOK, &QPushButton::clicked, this, &frmOptions::btnOK_Click);
    connect(btnCancel, &QPushButton::clicked, this, &frmOptions::reject);
    connect(cboPort, &QComboBox::editTextChanged, this, &frmOptions::cboPort_EditTextChanged);
    cboPort_EditTextChanged(cboPort->currentText());
}

bool frmOptions::showModal() {
    SaveChanges = false;
    txtName->setFocus();
    exec();
    return SaveChanges;
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
    SaveChanges = true;
    accept();
}

// Cancel, Escape and closing by the frame all end here.
void frmOptions::reject() {
    SaveChanges = false;
    QDialog::reject();
}

void frmOptions::cboPort_EditTextChanged(const QString& text) {
    lblDevice->setText(mDescribeDevice ? mDescribeDevice(text) : QString());
}

} // namespace tarvex
